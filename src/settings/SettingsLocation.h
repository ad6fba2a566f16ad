#pragma once
#include <string>

namespace hv {

class Platform;

// The installer records the folder it installed into, machine-wide; the portable zip has no
// such value, so a copy run from anywhere else keeps its settings beside itself.
constexpr const char* kInstallKey = "Software\\Horvane";
constexpr const char* kInstallDirValue = "InstallDir";
// Below the user's roaming application data folder.
constexpr const char* kUserSettingsFolder = "Horvane\\";

// Where one copy of the program keeps config.txt.
struct SettingsLocation {
    // The folder of config.txt, with its trailing backslash; empty when an installed copy
    // finds no folder of the user's (then nothing is ever written).
    std::string folder;
    // The administrator's defaults for a user's first start: the install folder's config.txt.
    // Empty for a portable copy.
    std::string seedFile;
    bool perUser = false;
};

// An installed copy (one run from the folder the installer recorded) keeps each user's
// settings in userDataFolder + "Horvane\", seeded from the install folder's file, which the
// program never writes: with one shared file, one user would choose the sound file and the
// servers of every other. A portable copy keeps them beside itself.
SettingsLocation ChooseSettingsLocation(const std::string& programDir, const std::string& installedDir,
                                        const std::string& userDataFolder);

// The same, from the installer's registry value and the user's folder.
SettingsLocation FindSettingsLocation(Platform& platform, const std::string& programDir);

} // namespace hv
