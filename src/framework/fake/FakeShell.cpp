#include "framework/fake/FakeShell.h"

#include "framework/CommandLine.h"

namespace hv {

ProgramStart FakeShell::StartProgram(std::string_view program, std::string_view arguments) {
    constexpr std::uint32_t kErrorFileNotFound = 2;
    if (missingPrograms.count(std::string(program)) != 0) return {ProgramStart::Status::Missing, kErrorFileNotFound};
    commandLines.push_back(QuotedCommandLine(program, arguments));
    return {ProgramStart::Status::Started, 0};
}

ProgramStart FakeShell::StartCommandLine(std::string_view commandLine) {
    if (commandLineStart.status == ProgramStart::Status::Started) commandLines.emplace_back(commandLine);
    return commandLineStart;
}

bool FakeShell::PlaySoundFile(std::string_view path) {
    // A sound plays in passing time, which setting the clock does not change.
    const std::int64_t now = m_clock.ElapsedMicros();
    if (now < soundBusyUntilMicros) return false;
    soundsPlayed.emplace_back(path);
    soundBusyUntilMicros = now + soundLengthMicros;
    return true;
}

} // namespace hv
