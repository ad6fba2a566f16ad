#pragma once
#include "settings/Settings.h"
#include "settings/SettingsLocation.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace hv {

class Platform;

constexpr const char* kSettingsFileName = "config.txt";
constexpr const char* kDefaultBellFileName = "bell.wav";
// The reader looks at no more lines than this; the writer produces ten.
constexpr int kMaxSettingsLines = 12;
// How much of the file is read: far more than twelve lines of any length the writer
// produces. A longer file is no reason to lose its first lines.
constexpr std::size_t kSettingsHeadBytes = 64 * 1024;

// What reading the file found.
enum class SettingsFileState {
    Read,       // it had content, which was parsed
    NoContent,  // missing (created empty when possible) or empty: the first-start defaults
    Unreadable, // it exists but could not be read: it holds settings that must not be lost
};

// The values a first start (no file or an empty one) begins with.
void ApplyEmptyFileDefaults(Settings& settings, const std::string& programDir);

// Parses the file's text over the settings. Returns false (after applying the empty-file
// defaults) when the text has no content.
bool ParseSettingsText(std::string_view text, const std::string& programDir, Settings& settings);

std::string FormatSettingsText(const Settings& settings);

// Reads the location's config.txt, creating it (and its folder) empty when missing. A file
// without content takes the location's seed file when that has some. programDir is where the
// default chime lies.
SettingsFileState LoadSettingsFile(Platform& platform, const SettingsLocation& location, const std::string& programDir,
                                   Settings& settings);
// Replaces the location's config.txt in one piece, or rewrites it in place where its folder
// allows no new file. False when it could not be written, or the location has no folder.
bool SaveSettingsFile(Platform& platform, const SettingsLocation& location, const Settings& settings);

} // namespace hv
