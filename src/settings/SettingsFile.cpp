#include "settings/SettingsFile.h"

#include "framework/Platform.h"
#include "settings/ServerList.h"

#include <cstdio>
#include <cstdlib>

namespace hv {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kKeyLength = 7;

constexpr std::string_view kKeyAuto = "[auto]=";
constexpr std::string_view kKeyDiff = "[diff]=";
constexpr std::string_view kKeyList = "[list]=";
constexpr std::string_view kKeyRing = "[ring]=";
constexpr std::string_view kKeyRifn = "[rifn]=";
constexpr std::string_view kKeyBash = "[bash]=";
constexpr std::string_view kKeyAlsh = "[alsh]=";
constexpr std::string_view kKeyRpoh = "[rpoh]=";
constexpr std::string_view kKeyShut = "[shut]=";
constexpr std::string_view kKeyShcd = "[shcd]=";

// The C library's atoi over a view that need not be terminated: optional blanks and sign,
// then digits up to the first other character. Saturates instead of overflowing.
std::int32_t AtoiOf(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x80000000LL) value = 0x80000000LL;
    }
    value = negative ? -value : value;
    if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
    return static_cast<std::int32_t>(value);
}

// Several keys look only at the value's first character.
std::int32_t FirstDigitOf(std::string_view value) { return AtoiOf(value.substr(0, 1)); }

// The next line of the remaining text; a last line without line end is never used.
std::string_view TakeLine(std::string_view& rest) {
    const std::size_t end = rest.find(kLineEnd);
    if (end == std::string_view::npos) {
        rest.remove_prefix(1);
        return {};
    }
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + kLineEnd.size());
    return line;
}

void ApplyLine(std::string_view key, std::string_view value, SettingsFields& f, std::int32_t& packedTime) {
    if (key == kKeyAuto) {
        f.m_autoSync = value.front() == '1';
    } else if (key == kKeyDiff) {
        f.m_autoSyncStep = AtoiOf(value);
    } else if (key == kKeyList) {
        f.m_serverList = std::string(value);
    } else if (key == kKeyRing) {
        f.m_bellEnabled = FirstDigitOf(value);
    } else if (key == kKeyRifn) {
        f.m_bellFile = std::string(value);
    } else if (key == kKeyBash) {
        f.m_barVisible = FirstDigitOf(value) != 0;
    } else if (key == kKeyAlsh) {
        f.m_alwaysShowBar = FirstDigitOf(value) != 0;
    } else if (key == kKeyRpoh) {
        f.m_chimeHourly = FirstDigitOf(value) != 0;
    } else if (key == kKeyShut) {
        const std::int32_t v = FirstDigitOf(value);
        f.m_shutdownAtStartup = v % 2 != 0;
        f.m_shutdownKind = static_cast<std::int16_t>(v / 2);
    } else if (key == kKeyShcd) {
        packedTime = AtoiOf(value);
    }
}

void AppendLine(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    out += value;
    out += kLineEnd;
}

void AppendLine(std::string& out, std::string_view key, long long value) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", value);
    AppendLine(out, key, digits);
}

std::string SettingsPath(const std::string& programDir) { return programDir + kSettingsFileName; }

} // namespace

void ApplyEmptyFileDefaults(SettingsFields& f, const std::string& programDir) {
    f.m_autoSync = true;
    f.m_autoSyncStep = 3;
    f.m_serverList = DEFAULT_SERVER_LIST;
    f.m_alwaysShowBar = true;
    f.m_chimeHourly = true;
    f.m_shutdownKind = kShutdownNone;
    f.m_shutdownAtStartup = false;
    f.m_bellFile = programDir + kDefaultBellFileName;
}

bool ParseSettingsText(std::string_view text, const std::string& programDir, SettingsFields& f) {
    // The file is text: whatever follows a zero byte is not part of it.
    text = text.substr(0, text.find('\0'));
    if (text.empty()) {
        ApplyEmptyFileDefaults(f, programDir);
        return false;
    }
    f.m_barVisible = true;
    f.m_alwaysShowBar = true;
    f.m_chimeHourly = true;
    f.m_shutdownKind = kShutdownNone;
    f.m_shutdownAtStartup = false;

    std::int32_t packedTime = 0;
    std::string_view rest = text;
    for (int pass = 0; pass < kMaxSettingsLines && !rest.empty(); ++pass) {
        const std::string_view line = TakeLine(rest);
        if (line.size() <= kKeyLength) continue;
        ApplyLine(line.substr(0, kKeyLength), line.substr(kKeyLength), f, packedTime);
    }
    if (!HasValidServerCounts(f.m_serverList)) f.m_serverList = DEFAULT_SERVER_LIST;
    if (f.m_bellFile.empty()) f.m_bellFile = programDir + kDefaultBellFileName;
    f.ArmAtStartup(packedTime);
    return true;
}

std::string FormatSettingsText(const SettingsFields& f) {
    std::string out;
    AppendLine(out, kKeyAuto, f.m_autoSync ? 1 : 0);
    AppendLine(out, kKeyDiff, f.m_autoSyncStep);
    AppendLine(out, kKeyList, f.m_serverList);
    AppendLine(out, kKeyRing, f.m_bellEnabled);
    AppendLine(out, kKeyRifn, f.m_bellFile);
    AppendLine(out, kKeyBash, f.m_barVisible ? 1 : 0);
    AppendLine(out, kKeyAlsh, f.m_alwaysShowBar ? 1 : 0);
    AppendLine(out, kKeyRpoh, f.m_chimeHourly ? 1 : 0);
    AppendLine(out, kKeyShut, (f.m_shutdownAtStartup ? 1 : 0) + 2 * f.m_shutdownKind);
    AppendLine(out, kKeyShcd, f.PackedTime());
    return out;
}

bool LoadSettingsFile(Platform& platform, const std::string& programDir, SettingsFields& fields) {
    const std::string path = SettingsPath(programDir);
    FileRead read = platform.ReadWholeFile(path, kMaxSettingsFileBytes);
    if (read.status == FileRead::Status::Missing) {
        if (!platform.CreateFileIfMissing(path)) return false;
        read = FileRead{FileRead::Status::Ok, {}};
    }
    if (read.status != FileRead::Status::Ok) return false;
    return ParseSettingsText(read.bytes, programDir, fields);
}

bool SaveSettingsFile(Platform& platform, const std::string& programDir, const SettingsFields& fields) {
    return platform.ReplaceFileContents(SettingsPath(programDir), FormatSettingsText(fields));
}

} // namespace hv
