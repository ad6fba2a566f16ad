#include "framework/win32/Win32Files.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32Api.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

namespace hv {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr const wchar_t* kReplacementSuffix = L".tmp";
constexpr const wchar_t* kBackupSuffix = L".old";
constexpr DWORD kChunkBytes = 16 * 1024;
constexpr DWORD kReplaceFlags = REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;
// A virus scanner or a backup holds a file for moments: so many tries, this far apart.
constexpr int kBusyFileAttempts = 6;
constexpr DWORD kBusyFilePauseMs = 100;

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

bool IsOneOf(DWORD error, std::initializer_list<DWORD> errors) {
    return std::find(errors.begin(), errors.end(), error) != errors.end();
}

bool IsMissingFileError(DWORD error) { return IsOneOf(error, {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND}); }

// The answers of a file another process holds open, each a reason to try again shortly.
bool IsBusyFileError(DWORD error) {
    return IsOneOf(error, {ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION, ERROR_UNABLE_TO_REMOVE_REPLACED,
                           ERROR_UNABLE_TO_MOVE_REPLACEMENT});
}

// Runs `attempt` (which returns whether it succeeded) until it succeeds, fails for a reason
// other than a busy file, or runs out of tries. The last error stays that of the last try.
template <typename Attempt>
bool RetryWhileBusy(Attempt attempt) {
    for (int tries = 1;; ++tries) {
        if (attempt()) return true;
        const DWORD error = GetLastError();
        if (!IsBusyFileError(error) || tries == kBusyFileAttempts) return false;
        Sleep(kBusyFilePauseMs);
    }
}

HANDLE OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    RetryWhileBusy([&] {
        handle = CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        return handle != INVALID_HANDLE_VALUE;
    });
    return handle;
}

// Up to `limit` bytes from the start; nothing when reading fails.
std::optional<std::string> ReadUpTo(HANDLE file, std::size_t limit) {
    std::string bytes;
    char chunk[kChunkBytes];
    while (bytes.size() < limit) {
        const auto want = static_cast<DWORD>(std::min<std::size_t>(kChunkBytes, limit - bytes.size()));
        DWORD got = 0;
        if (!ReadFile(file, chunk, want, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    return bytes;
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

// Writes the whole contents from the start of an open file and cuts it there.
bool WriteWhole(HANDLE file, std::string_view contents) {
    return WriteAll(file, contents) && SetEndOfFile(file) && FlushFileBuffers(file);
}

// Puts the written replacement in the target's place: ReplaceFileW keeps the target's
// identity (attributes, permissions, creation time); a target that is gone is simply
// taken over. The old file is moved to a backup name of our choosing and then deleted:
// without one, some implementations (Wine's) make a temporary file of their own beside
// it and leave it there when the replacement fails.
bool PutInPlace(const std::wstring& replacement, const std::wstring& target) {
    const std::wstring backup = target + kBackupSuffix;
    return RetryWhileBusy([&] {
        if (ReplaceFileW(target.c_str(), replacement.c_str(), backup.c_str(), kReplaceFlags, nullptr, nullptr)) {
            RetryWhileBusy([&] { return DeleteFileW(backup.c_str()) != FALSE; });
            return true;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file went to the backup name but the new one did not follow: put it back.
            MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            SetLastError(error);
            return false;
        }
        if (!IsMissingFileError(error)) return false;
        return MoveFileExW(replacement.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
    });
}

} // namespace

FileRead Win32Files::ReadTextFileHead(const std::string& path, std::size_t maxBytes) {
    FileHandle file(OpenFile(Widen(path), GENERIC_READ, kShareAll, OPEN_EXISTING));
    if (!file.IsOpen()) {
        return {IsMissingFileError(GetLastError()) ? FileRead::Status::Missing : FileRead::Status::OpenFailed, {}};
    }
    // One byte more than wanted tells whether the file goes on.
    std::optional<std::string> bytes = ReadUpTo(file.Get(), maxBytes + 1);
    if (!bytes) return {FileRead::Status::OpenFailed, {}};
    if (bytes->size() > maxBytes) {
        // Cut at a line end, so that no character is split.
        bytes->resize(maxBytes);
        bytes->resize(bytes->rfind('\n') + 1);
    }
    return {FileRead::Status::Ok, IsUtf8(*bytes) ? std::move(*bytes) : Utf8FromAnsi(*bytes)};
}

bool Win32Files::CreateFolder(const std::string& path) {
    return CreateDirectoryW(Widen(path).c_str(), nullptr) != FALSE || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool Win32Files::CreateFileIfMissing(const std::string& path) {
    FileHandle file(OpenFile(Widen(path), GENERIC_READ, kShareAll, OPEN_ALWAYS));
    return file.IsOpen();
}

FileReplace Win32Files::ReplaceFileContents(const std::string& path, std::string_view contents) {
    // The new contents go beside the target, in the same folder and so on the same
    // volume, where putting them in its place is one step.
    const std::wstring target = Widen(path);
    const std::wstring replacement = target + kReplacementSuffix;
    bool written = false;
    {
        FileHandle file(
            CreateFileW(replacement.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsOpen())
            return GetLastError() == ERROR_ACCESS_DENIED ? FileReplace::NotAllowed : FileReplace::Failed;
        written = WriteWhole(file.Get(), contents);
    }
    if (written && PutInPlace(replacement, target)) return FileReplace::Replaced;
    // The old file may be held, read-only, or not ours to move away; whatever it was, no
    // temporary file stays behind.
    const DWORD error = GetLastError();
    DeleteFileW(replacement.c_str());
    return written && error == ERROR_UNABLE_TO_REMOVE_REPLACED ? FileReplace::NotAllowed : FileReplace::Failed;
}

bool Win32Files::RewriteFileInPlace(const std::string& path, std::string_view contents) {
    FileHandle file(OpenFile(Widen(path), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
    return file.IsOpen() && WriteWhole(file.Get(), contents);
}

} // namespace hv
