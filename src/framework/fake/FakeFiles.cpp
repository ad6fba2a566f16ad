#include "framework/fake/FakeFiles.h"

namespace hv {

bool FakeFiles::FolderRefusesNewFiles(const std::string& path) const {
    return foldersRefusingNewFiles.count(path.substr(0, path.rfind('\\') + 1)) != 0;
}

FileRead FakeFiles::ReadTextFileHead(const std::string& path, std::size_t maxBytes) {
    if (unopenableFiles.count(path) != 0) return {FileRead::Status::OpenFailed, {}};
    auto it = files.find(path);
    if (it == files.end()) return {FileRead::Status::Missing, {}};
    std::string head = it->second;
    if (head.size() > maxBytes) {
        head.resize(maxBytes);
        head.resize(head.rfind('\n') + 1);
    }
    return {FileRead::Status::Ok, head};
}

bool FakeFiles::CreateFileIfMissing(const std::string& path) {
    if (files.count(path) != 0) return true;
    if (unopenableFiles.count(path) != 0 || FolderRefusesNewFiles(path)) return false;
    files.emplace(path, std::string{});
    return true;
}

FileReplace FakeFiles::ReplaceFileContents(const std::string& path, std::string_view contents) {
    if (FolderRefusesNewFiles(path)) return FileReplace::NotAllowed;
    if (unopenableFiles.count(path) != 0) return FileReplace::Failed;
    files[path] = std::string(contents);
    return FileReplace::Replaced;
}

bool FakeFiles::RewriteFileInPlace(const std::string& path, std::string_view contents) {
    auto it = files.find(path);
    if (it == files.end() || unopenableFiles.count(path) != 0) return false;
    it->second = std::string(contents);
    return true;
}

} // namespace hv
