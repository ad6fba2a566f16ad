// Stands in for a companion program in the end-to-end tests: copied next to Horvane.exe under
// a companion's file name, it records the command line it was started with beside itself
// (<its own path>.started, in UTF-8) and ends. The tests read that file to see what Horvane
// started. Wide-character throughout, so that it works from a folder of any name.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kLongestPath = 32768;

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

} // namespace

int main() {
    std::wstring self(kLongestPath, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), kLongestPath);
    if (length == 0 || length >= kLongestPath) return 1;
    self.resize(length);
    std::FILE* file = _wfopen((self + L".started").c_str(), L"ab");
    if (file == nullptr) return 1;
    std::fprintf(file, "%s\n", Utf8(GetCommandLineW()).c_str());
    std::fclose(file);
    return 0;
}
