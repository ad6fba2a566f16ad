#pragma once
#include "framework/FilesRole.h"

#include <map>
#include <set>
#include <string>

namespace hv {

// Files by full path, in memory.
class FakeFiles : public virtual FilesRole {
public:
    std::map<std::string, std::string> files;
    // Files that exist but cannot be opened: held by another program, or access denied.
    std::set<std::string> unopenableFiles;
    // Folders (with their trailing backslash) where no new file may be made.
    std::set<std::string> foldersRefusingNewFiles;
    std::set<std::string> foldersCreated;

    FileRead ReadTextFileHead(const std::string& path, std::size_t maxBytes) override;
    bool CreateFileIfMissing(const std::string& path) override;
    FileReplace ReplaceFileContents(const std::string& path, std::string_view contents) override;
    bool RewriteFileInPlace(const std::string& path, std::string_view contents) override;
    bool CreateFolder(const std::string& path) override { return foldersCreated.insert(path), true; }

private:
    bool FolderRefusesNewFiles(const std::string& path) const;
};

} // namespace hv
