#include "Output.h"

#include <cstdio>

namespace driver {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";
constexpr int kBitsPerDigit = 4;
constexpr std::uint64_t kDigitMask = 0xF;

void Write(std::FILE* stream, std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace

void PrintFact(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    Write(stdout, line);
}

void PrintLine(std::string_view line) { Write(stdout, line); }

void PrintError(std::string_view line) { Write(stderr, line); }

std::string Hex(std::uint64_t value, int minimumDigits) {
    std::string digits;
    while (value != 0 || static_cast<int>(digits.size()) < minimumDigits) {
        digits.insert(digits.begin(), kHexDigits[value & kDigitMask]);
        value >>= kBitsPerDigit;
    }
    return "0x" + digits;
}

std::string HexBytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        text += kHexDigits[bytes[i] >> kBitsPerDigit];
        text += kHexDigits[bytes[i] & kDigitMask];
    }
    return text;
}

std::string Decimal(std::int64_t value) { return std::to_string(value); }

std::string Corners(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    return Decimal(left) + "," + Decimal(top) + "," + Decimal(right) + "," + Decimal(bottom);
}

} // namespace driver
