#pragma once
#include "shutdown/ShutdownSchedule.h"

#include <cstddef>
#include <cstdint>
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

// The fields of the main window that the settings file holds.
struct SettingsFields : ShutdownSchedule {
    bool m_autoSync = true;
    std::int32_t m_autoSyncStep = 3;
    std::string m_serverList;
    std::int32_t m_bellEnabled = 0;
    std::string m_bellFile;
    bool m_barVisible = false;
    bool m_alwaysShowBar = true;
    bool m_chimeHourly = true;
};

// The values a first start (no file or an empty one) begins with.
void ApplyEmptyFileDefaults(SettingsFields& fields, const std::string& programDir);

// Parses the file's text over the fields. Returns false (after applying the empty-file
// defaults) when the text has no content.
bool ParseSettingsText(std::string_view text, const std::string& programDir, SettingsFields& fields);

std::string FormatSettingsText(const SettingsFields& fields);

// Reads programDir + config.txt, creating it empty when missing. False when it could not be
// read or had no content.
bool LoadSettingsFile(Platform& platform, const std::string& programDir, SettingsFields& fields);
// Replaces programDir + config.txt in one piece. False when it could not be written.
bool SaveSettingsFile(Platform& platform, const std::string& programDir, const SettingsFields& fields);

} // namespace hv
