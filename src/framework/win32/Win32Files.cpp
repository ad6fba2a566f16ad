#include "framework/win32/Win32Platform.h"

#include <algorithm>

namespace hv {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr const char* kReplacementSuffix = ".tmp";
constexpr DWORD kChunkBytes = 16 * 1024;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() {
        if (IsOpen()) CloseHandle(m_handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

bool IsMissingFileError(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Reads to the end, giving up as soon as more than maxBytes arrived (the file may grow
// while it is read, so its size beforehand is only a first check).
FileRead ReadToEnd(HANDLE file, std::size_t maxBytes) {
    FileRead result;
    char chunk[kChunkBytes];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, kChunkBytes, &got, nullptr)) {
            result.status = FileRead::Status::OpenFailed;
            result.bytes.clear();
            return result;
        }
        if (got == 0) break;
        result.bytes.append(chunk, got);
        if (result.bytes.size() > maxBytes) {
            result.status = FileRead::Status::TooLarge;
            result.bytes.clear();
            return result;
        }
    }
    result.status = FileRead::Status::Ok;
    return result;
}

bool WriteAll(HANDLE file, std::string_view contents) {
    while (!contents.empty()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(contents.size(), kChunkBytes));
        DWORD written = 0;
        if (!WriteFile(file, contents.data(), want, &written, nullptr) || written == 0) return false;
        contents.remove_prefix(written);
    }
    return true;
}

bool WriteNewFile(const std::string& path, std::string_view contents) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return false;
    return WriteAll(file.Get(), contents) && FlushFileBuffers(file.Get());
}

} // namespace

FileRead Win32Platform::ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        FileRead failed;
        failed.status = IsMissingFileError(GetLastError()) ? FileRead::Status::Missing
                                                           : FileRead::Status::OpenFailed;
        return failed;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.Get(), &size) && static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
        FileRead tooLarge;
        tooLarge.status = FileRead::Status::TooLarge;
        return tooLarge;
    }
    return ReadToEnd(file.Get(), maxBytes);
}

bool Win32Platform::CreateFileIfMissing(const std::string& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsOpen();
}

bool Win32Platform::ReplaceFileContents(const std::string& path, std::string_view contents) {
    // The new contents go beside the target, in the same directory and so on the same
    // volume, where the final rename is atomic.
    const std::string replacement = path + kReplacementSuffix;
    if (WriteNewFile(replacement, contents) &&
        MoveFileExA(replacement.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileA(replacement.c_str());
    return false;
}

} // namespace hv
