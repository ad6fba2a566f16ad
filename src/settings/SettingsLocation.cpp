#include "settings/SettingsLocation.h"

#include "framework/Platform.h"
#include "settings/SettingsFile.h"

namespace hv {
namespace {

constexpr RegistryPlace kInstallDirPlace{RegistryRoot::LocalMachine, kInstallKey, kInstallDirValue};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string WithBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

// Windows compares file names without regard to case; the recorded folder may be written
// with or without its last backslash.
bool SameFolder(const std::string& a, const std::string& b) {
    const std::string left = WithBackslash(a);
    const std::string right = WithBackslash(b);
    if (left.size() != right.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (Lower(left[i]) != Lower(right[i])) return false;
    }
    return true;
}

} // namespace

SettingsLocation ChooseSettingsLocation(const std::string& programDir, const std::string& installedDir,
                                        const std::string& userDataFolder) {
    if (installedDir.empty() || programDir.empty() || !SameFolder(programDir, installedDir)) {
        return {programDir, {}, false};
    }
    const std::string userFolder =
        userDataFolder.empty() ? std::string{} : WithBackslash(userDataFolder) + kUserSettingsFolder;
    return {userFolder, programDir + kSettingsFileName, true};
}

SettingsLocation FindSettingsLocation(Platform& platform, const std::string& programDir) {
    const std::string installed = ValueAs<std::string>(platform.ReadRegistryValue(kInstallDirPlace)).value_or("");
    return ChooseSettingsLocation(programDir, installed, installed.empty() ? std::string{} : platform.UserDataFolder());
}

} // namespace hv
