#pragma once
#include "settings/Settings.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace hv {

class Platform;

constexpr const char* kSettingsFileName = "config.txt";
constexpr const char* kDefaultBellFileName = "bell.wav";
// The reader looks at no more lines than this; the writer produces ten.
constexpr int kMaxSettingsLines = 12;
// A settings file is a few hundred bytes; anything past this is not ours and is refused whole.
constexpr std::size_t kMaxSettingsFileBytes = 64 * 1024;

// The values a first start (no file or an empty one) begins with.
void ApplyEmptyFileDefaults(Settings& settings, const std::string& programDir);

// Parses the file's text over the settings. Returns false (after applying the empty-file
// defaults) when the text has no content.
bool ParseSettingsText(std::string_view text, const std::string& programDir, Settings& settings);

std::string FormatSettingsText(const Settings& settings);

// Reads programDir + config.txt, creating it empty when missing. False when it could not be
// read or had no content.
bool LoadSettingsFile(Platform& platform, const std::string& programDir, Settings& settings);
// Replaces programDir + config.txt in one piece. False when it could not be written.
bool SaveSettingsFile(Platform& platform, const std::string& programDir, const Settings& settings);

} // namespace hv
