#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace hv {

// Whether a code of the shell or of the program starter means success: above 32 it does;
// otherwise it is the error (0 out of memory, 2 file not found, 31 no association, ...).
constexpr bool Launched(int code) { return code > 32; }

// How starting a program ended.
struct ProgramStart {
    enum class Status { Started, Missing, Failed };
    Status status = Status::Failed;
    std::uint32_t error = 0; // the system's error number when it did not start
};

// What the program hands to other programs and the shell: programs started, documents and
// addresses opened, sounds played; and the folders the shell keeps for the user.
class ShellRole {
public:
    virtual ~ShellRole() = default;

    // Starts a program shown normally, its path quoted in the command line
    // (QuotedCommandLine). A bare file name is looked for where the system looks for programs.
    virtual ProgramStart StartProgram(std::string_view program, std::string_view arguments) = 0;
    // Starts a command line as it stands (one registered for a kind of file, say): the system
    // finds its program by its own rules.
    virtual ProgramStart StartCommandLine(std::string_view commandLine) = 0;
    // Asks the shell to open a file, a URL or a "mailto:" address with what is registered
    // for it. Returns the shell's code (see Launched).
    virtual int ShellOpen(std::string_view target) = 0;
    // Plays asynchronously and never cuts off a sound still playing (then reports false).
    virtual bool PlaySoundFile(std::string_view path) = 0;
    // The user's roaming application data folder, with its trailing backslash; empty when
    // the user has none.
    virtual std::string UserDataFolder() = 0;
};

} // namespace hv
