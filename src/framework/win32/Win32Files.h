#pragma once
#include "framework/FilesRole.h"

namespace hv {

// Text files through the Win32 file API, waiting briefly for a file another program holds.
class Win32Files : public virtual FilesRole {
public:
    FileRead ReadTextFileHead(const std::string& path, std::size_t maxBytes) override;
    bool CreateFileIfMissing(const std::string& path) override;
    FileReplace ReplaceFileContents(const std::string& path, std::string_view contents) override;
    bool RewriteFileInPlace(const std::string& path, std::string_view contents) override;
    bool CreateFolder(const std::string& path) override;
};

} // namespace hv
