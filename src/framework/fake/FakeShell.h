#pragma once
#include "framework/ShellRole.h"
#include "framework/fake/FakeClock.h"

#include <set>
#include <string>
#include <vector>

namespace hv {

// Programs started, documents opened and sounds played, recorded; a sound takes its length
// of the clock's passing time.
class FakeShell : public virtual ShellRole {
public:
    explicit FakeShell(FakeClock& clock) : m_clock(clock) {}

    std::vector<std::string> commandLines; // of the programs started
    std::set<std::string> missingPrograms;
    std::vector<std::string> shellOpened;
    // How a command line as it stands starts, and what the shell answers (above 32: opened).
    ProgramStart commandLineStart{ProgramStart::Status::Started, 0};
    int shellOpenResult = 42;

    std::vector<std::string> soundsPlayed;
    std::int64_t soundBusyUntilMicros = 0;
    std::int64_t soundLengthMicros = 0;
    std::string userDataFolder = "C:\\Users\\Ann\\AppData\\Roaming\\";

    ProgramStart StartProgram(std::string_view program, std::string_view arguments) override;
    ProgramStart StartCommandLine(std::string_view commandLine) override;
    int ShellOpen(std::string_view target) override {
        shellOpened.emplace_back(target);
        return shellOpenResult;
    }
    bool PlaySoundFile(std::string_view path) override;
    std::string UserDataFolder() override { return userDataFolder; }

private:
    FakeClock& m_clock;
};

} // namespace hv
