// Stands in for a companion program in the end-to-end tests: copied next to Horvane.exe under
// a companion's file name, it records the command line it was started with beside itself
// (<its own path>.started) and ends. The tests read that file to see what Horvane started.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) return 1;
    const std::string record = std::string(self, length) + ".started";
    std::FILE* file = std::fopen(record.c_str(), "ab");
    if (file == nullptr) return 1;
    std::fprintf(file, "%s\n", GetCommandLineA());
    std::fclose(file);
    return 0;
}
