#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace driver {

// Every answer is one "key=value" line on standard output, flushed at once so that a
// test reading the pipe sees it even when the driver is killed afterwards.
void PrintFact(std::string_view key, std::string_view value);
void PrintLine(std::string_view line);
void PrintError(std::string_view line);

std::string Hex(std::uint64_t value, int minimumDigits = 1);
std::string HexBytes(const void* data, std::size_t size);
std::string Decimal(std::int64_t value);
// A rectangle as "left,top,right,bottom".
std::string Corners(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);

} // namespace driver
