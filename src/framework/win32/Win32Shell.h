#pragma once
#include "framework/ShellRole.h"

namespace hv {

// Programs started with CreateProcess, documents opened through the shell, sounds played,
// the user's known folders.
class Win32Shell : public virtual ShellRole {
public:
    ProgramStart StartProgram(std::string_view program, std::string_view arguments) override;
    ProgramStart StartCommandLine(std::string_view commandLine) override;
    int ShellOpen(std::string_view target) override;
    bool PlaySoundFile(std::string_view path) override;
    std::string UserDataFolder() override;
};

} // namespace hv
