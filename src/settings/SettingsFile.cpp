#include "settings/SettingsFile.h"

#include "framework/Platform.h"
#include "settings/ServerList.h"

#include <array>
#include <cstdio>

namespace hv {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
// Editors that save UTF-8 may put this signature in front of the first key.
constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";
constexpr const char* kTraceRewrittenInPlace =
    "Horvane: config.txt is rewritten in place, its folder takes no new file";

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

std::string Decimal(long long value) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", value);
    return digits;
}

// While the lines are read: the packed schedule time waits for the start-up arming.
struct ReadState {
    Settings& settings;
    std::int32_t packedTime = 0;
};

// One line of the file: its key, how its value is read, and how it is written.
struct SettingsKey {
    std::string_view key;
    void (*read)(std::string_view value, ReadState& state);
    std::string (*write)(const Settings& settings);
};

// The ten keys in the order the writer puts them. A value is never empty when read: a line
// holds at least one character after its key.
constexpr std::array<SettingsKey, 10> kSettingsKeys{{
    {"[auto]=", [](std::string_view v, ReadState& r) { r.settings.autoSync = v.front() == '1'; },
     [](const Settings& s) { return Decimal(s.autoSync ? 1 : 0); }},
    {"[diff]=", [](std::string_view v, ReadState& r) { r.settings.autoSyncStep = AtoiOf(v); },
     [](const Settings& s) { return Decimal(s.autoSyncStep); }},
    {"[list]=", [](std::string_view v, ReadState& r) { r.settings.serverList = std::string(v); },
     [](const Settings& s) { return s.serverList; }},
    {"[ring]=", [](std::string_view v, ReadState& r) { r.settings.bellEnabled = FirstDigitOf(v); },
     [](const Settings& s) { return Decimal(s.bellEnabled); }},
    {"[rifn]=", [](std::string_view v, ReadState& r) { r.settings.bellFile = std::string(v); },
     [](const Settings& s) { return s.bellFile; }},
    {"[bash]=", [](std::string_view v, ReadState& r) { r.settings.barVisible = FirstDigitOf(v) != 0; },
     [](const Settings& s) { return Decimal(s.barVisible ? 1 : 0); }},
    {"[alsh]=", [](std::string_view v, ReadState& r) { r.settings.alwaysShowBar = FirstDigitOf(v) != 0; },
     [](const Settings& s) { return Decimal(s.alwaysShowBar ? 1 : 0); }},
    {"[rpoh]=", [](std::string_view v, ReadState& r) { r.settings.chimeHourly = FirstDigitOf(v) != 0; },
     [](const Settings& s) { return Decimal(s.chimeHourly ? 1 : 0); }},
    {"[shut]=",
     [](std::string_view v, ReadState& r) {
         const std::int32_t packed = FirstDigitOf(v);
         r.settings.shutdown.atStartup = packed % 2 != 0;
         r.settings.shutdown.kind = static_cast<std::int16_t>(packed / 2);
     },
     [](const Settings& s) { return Decimal((s.shutdown.atStartup ? 1 : 0) + 2 * s.shutdown.kind); }},
    {"[shcd]=", [](std::string_view v, ReadState& r) { r.packedTime = AtoiOf(v); },
     [](const Settings& s) { return Decimal(s.shutdown.PackedTime()); }},
}};

constexpr std::size_t kKeyLength = 7;

// The next line of the remaining text, ended by CRLF or by a lone LF (as editors outside
// Windows save it); a last line without line end is never used.
std::string_view TakeLine(std::string_view& rest) {
    const std::size_t end = rest.find(kLineFeed);
    if (end == std::string_view::npos) {
        rest.remove_prefix(1);
        return {};
    }
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    if (!line.empty() && line.back() == kCarriageReturn) line.remove_suffix(1);
    return line;
}

void ApplyLine(std::string_view line, ReadState& state) {
    if (line.size() <= kKeyLength) return;
    const std::string_view key = line.substr(0, kKeyLength);
    for (const SettingsKey& entry : kSettingsKeys) {
        if (entry.key == key) entry.read(line.substr(kKeyLength), state);
    }
}

std::string SettingsPath(const std::string& programDir) { return programDir + kSettingsFileName; }

} // namespace

void ApplyEmptyFileDefaults(Settings& s, const std::string& programDir) {
    s.autoSync = true;
    s.autoSyncStep = 3;
    s.serverList = DEFAULT_SERVER_LIST;
    s.alwaysShowBar = true;
    s.chimeHourly = true;
    s.shutdown.kind = kShutdownNone;
    s.shutdown.atStartup = false;
    s.bellFile = programDir + kDefaultBellFileName;
}

bool ParseSettingsText(std::string_view text, const std::string& programDir, Settings& s) {
    // The file is text: whatever follows a zero byte is not part of it.
    text = text.substr(0, text.find('\0'));
    if (text.starts_with(kUtf8Signature)) text.remove_prefix(kUtf8Signature.size());
    if (text.empty()) {
        ApplyEmptyFileDefaults(s, programDir);
        return false;
    }
    s.barVisible = true;
    s.alwaysShowBar = true;
    s.chimeHourly = true;
    s.shutdown.kind = kShutdownNone;
    s.shutdown.atStartup = false;

    ReadState state{s};
    std::string_view rest = text;
    for (int pass = 0; pass < kMaxSettingsLines && !rest.empty(); ++pass) ApplyLine(TakeLine(rest), state);
    if (!HasValidServerCounts(s.serverList)) s.serverList = DEFAULT_SERVER_LIST;
    if (s.bellFile.empty()) s.bellFile = programDir + kDefaultBellFileName;
    s.shutdown.ArmAtStartup(state.packedTime);
    return true;
}

std::string FormatSettingsText(const Settings& s) {
    std::string out;
    for (const SettingsKey& entry : kSettingsKeys) {
        out += entry.key;
        out += entry.write(s);
        out += kLineEnd;
    }
    return out;
}

SettingsFileState LoadSettingsFile(Platform& platform, const SettingsLocation& location, const std::string& programDir,
                                   Settings& settings) {
    FileRead read;
    if (!location.folder.empty()) {
        const std::string path = SettingsPath(location.folder);
        read = platform.ReadTextFileHead(path, kSettingsHeadBytes);
        if (read.status == FileRead::Status::OpenFailed) return SettingsFileState::Unreadable;
        if (read.status == FileRead::Status::Missing) {
            platform.CreateFolder(location.folder);
            platform.CreateFileIfMissing(path);
        }
    }
    // A user's first start: the administrator's defaults for new users, when there are any.
    if (read.text.empty() && !location.seedFile.empty())
        read = platform.ReadTextFileHead(location.seedFile, kSettingsHeadBytes);
    return ParseSettingsText(read.text, programDir, settings) ? SettingsFileState::Read : SettingsFileState::NoContent;
}

bool SaveSettingsFile(Platform& platform, const SettingsLocation& location, const Settings& settings) {
    if (location.folder.empty()) return false;
    const std::string path = SettingsPath(location.folder);
    const std::string text = FormatSettingsText(settings);
    switch (platform.ReplaceFileContents(path, text)) {
    case FileReplace::Replaced: return true;
    case FileReplace::NotAllowed:
        // Programs installed for all users often live in a folder where a user may change
        // config.txt but make no file beside it: then the file is rewritten where it is.
        platform.Trace(kTraceRewrittenInPlace);
        return platform.RewriteFileInPlace(path, text);
    case FileReplace::Failed: break;
    }
    return false;
}

} // namespace hv
