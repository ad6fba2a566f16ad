#pragma once
#include <string>
#include <string_view>

namespace hv {

// The command line that starts `program` with `arguments`. The program's path is quoted:
// unquoted, "C:\Program Files\Horvane\Vistrel.exe" would first be tried as C:\Program.exe.
inline std::string QuotedCommandLine(std::string_view program, std::string_view arguments) {
    std::string line;
    line.reserve(program.size() + arguments.size() + 3);
    line.append(1, '"').append(program).append(1, '"');
    if (!arguments.empty()) line.append(1, ' ').append(arguments);
    return line;
}

} // namespace hv
