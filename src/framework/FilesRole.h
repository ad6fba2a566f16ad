#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace hv {

struct FileRead {
    enum class Status { Ok, Missing, OpenFailed };
    Status status = Status::OpenFailed;
    std::string text; // UTF-8
};

// How an atomic replacement of a file ended.
enum class FileReplace {
    Replaced,
    // The folder refuses a new file, or the old file may not be moved away; the file
    // itself may still be writable where it stands.
    NotAllowed,
    Failed,
};

// Text files by full path. A file another process holds is waited for briefly before any of
// these gives up.
class FilesRole {
public:
    virtual ~FilesRole() = default;

    // The first maxBytes bytes of a text file, as UTF-8; a longer file is cut after the
    // last line end within them. A file that is not valid UTF-8 was written in the
    // system's ANSI code page and is converted.
    virtual FileRead ReadTextFileHead(const std::string& path, std::size_t maxBytes) = 0;
    // Creates an empty file when none exists; never truncates an existing one.
    virtual bool CreateFileIfMissing(const std::string& path) = 0;
    // Writes a new file beside the target and puts it in the target's place in one step,
    // keeping the target's attributes and permissions. Whatever happens, the old file stays
    // whole and nothing is left beside it.
    virtual FileReplace ReplaceFileContents(const std::string& path, std::string_view contents) = 0;
    // Overwrites an existing file where it stands; false when it is missing or not writable.
    virtual bool RewriteFileInPlace(const std::string& path, std::string_view contents) = 0;
    // Creates the folder (its parent must exist); true when it exists afterwards.
    virtual bool CreateFolder(const std::string& path) = 0;
};

} // namespace hv
