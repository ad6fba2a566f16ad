#include "common/CleanText.h"

namespace hv {
namespace {

// Whether the byte continues a UTF-8 character begun before it.
bool ContinuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

} // namespace

bool IsControlCharacter(char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7F'; }

std::string PrintableLine(std::string_view text, std::size_t limit) {
    std::string line;
    for (char c : text) {
        if (!IsControlCharacter(c)) line += c;
    }
    if (line.size() <= limit) return line;
    std::size_t end = limit;
    while (end > 0 && ContinuesCharacter(line[end])) --end;
    line.resize(end);
    return line;
}

} // namespace hv
