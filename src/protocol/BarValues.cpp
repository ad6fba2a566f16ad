#include "protocol/BarValues.h"

#include "protocol/CompanionProtocol.h"

#include <string>

namespace hv {
namespace {

constexpr RegistryRoot kRoots[] = {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine};

std::optional<std::uint32_t> ReadNumber(Platform& platform, std::string_view name) {
    for (RegistryRoot root : kRoots) {
        const auto value = platform.ReadRegistryValue(RegistryPlace{root, kBarRegistryKey, name});
        if (value && std::holds_alternative<std::uint32_t>(*value)) return std::get<std::uint32_t>(*value);
    }
    return std::nullopt;
}

bool WriteNumber(Platform& platform, std::string_view name, std::uint32_t number) {
    const RegistryPlace machine{RegistryRoot::LocalMachine, kBarRegistryKey, name};
    const RegistryPlace user{RegistryRoot::CurrentUser, kBarRegistryKey, name};
    if (platform.WriteRegistryValue(machine, number)) {
        // A value the current user stored earlier would be read before this one.
        platform.DeleteRegistryValue(user);
        return true;
    }
    if (platform.WriteRegistryValue(user, number)) return true;
    platform.Trace("the date-time bar's value " + std::string(name) + " was not stored");
    return false;
}

} // namespace

StoredBarValues ReadBarValues(Platform& platform) {
    StoredBarValues read;
    const auto background = ReadNumber(platform, kBarBackgroundValue);
    if (!background) return read;
    read.background = SwapRedAndBlue(*background);
    const auto text = ReadNumber(platform, kBarTextColourValue);
    if (!text) return read;
    read.text = SwapRedAndBlue(*text);
    if (const auto timeOnly = ReadNumber(platform, kBarTimeOnlyValue)) read.timeOnly = *timeOnly != 0;
    return read;
}

BarAppearance ReadBarAppearance(Platform& platform) {
    const StoredBarValues stored = ReadBarValues(platform);
    BarAppearance appearance;
    appearance.background = stored.background.value_or(appearance.background);
    appearance.text = stored.text.value_or(appearance.text);
    appearance.timeOnly = stored.timeOnly.value_or(appearance.timeOnly);
    return appearance;
}

bool WriteBarColour(Platform& platform, std::string_view valueName, Colour colour) {
    return WriteNumber(platform, valueName, SwapRedAndBlue(colour));
}

bool WriteBarTimeOnly(Platform& platform, bool timeOnly) {
    return WriteNumber(platform, kBarTimeOnlyValue, timeOnly ? 1u : 0u);
}

void TellBarSettingsChanged(Platform& platform) {
    const WindowId bar = platform.FindWindowByTitle(kBarWindowTitle);
    if (bar != 0 && !platform.SendCopyData(bar, kCodeBarSettingsChanged, {})) {
        platform.Trace("the date-time bar did not take the news of its changed settings in time");
    }
}

} // namespace hv
