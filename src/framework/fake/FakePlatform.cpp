#include "framework/fake/FakePlatform.h"

#include "framework/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace hv {

namespace {
constexpr std::uint32_t kErrorNotAllAssigned = 1300;
constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;

// A hold that clears a flag of the platform when it is let go.
class FlagHold final : public Releasable {
public:
    explicit FlagHold(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagHold() override { m_flag = false; }
    FlagHold(const FlagHold&) = delete;
    FlagHold& operator=(const FlagHold&) = delete;

private:
    bool& m_flag;
};
} // namespace

class FakePlatform::FakeSocket : public UdpSocket {
public:
    FakeSocket(FakePlatform& owner, int id) : m_owner(owner), m_id(id) {}
    ~FakeSocket() override { m_owner.m_sockets.erase(m_id); }
    FakeSocket(const FakeSocket&) = delete;
    FakeSocket& operator=(const FakeSocket&) = delete;

    bool SendTo(const IpEndpoint& to, std::span<const std::uint8_t> bytes) override {
        if (m_owner.failSends || (m_owner.failIpv6Sends && to.address.IsIpv6())) return false;
        m_owner.sent.push_back({m_id, to, {bytes.begin(), bytes.end()}});
        return true;
    }

    std::optional<Datagram> ReceiveFrom(std::size_t maxBytes) override {
        auto& inbox = m_owner.m_sockets.at(m_id).inbox;
        if (m_owner.failReceive || inbox.empty()) return std::nullopt;
        Datagram d = std::move(inbox.front());
        inbox.erase(inbox.begin());
        if (d.bytes.size() > maxBytes) d.bytes.resize(maxBytes);
        return d;
    }

private:
    FakePlatform& m_owner;
    int m_id;
};

class FakePlatform::FakeLookup : public PendingLookup {
public:
    FakeLookup(FakePlatform& owner, int id) : m_owner(owner), m_id(id) {}
    ~FakeLookup() override { m_owner.m_lookups.erase(m_id); }
    FakeLookup(const FakeLookup&) = delete;
    FakeLookup& operator=(const FakeLookup&) = delete;

private:
    FakePlatform& m_owner;
    int m_id;
};

WindowId FakePlatform::AddWindow(const std::string& title) {
    const WindowId id = m_nextWindowId++;
    m_windows[id] = FakeWindow{title, {}, false};
    return id;
}

void FakePlatform::RemoveWindow(WindowId id) { m_windows.erase(id); }

FakePlatform::FakeWindow* FakePlatform::Window(WindowId id) {
    auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : &it->second;
}

FakePlatform::FakeWindow* FakePlatform::WindowTitled(const std::string& title) {
    return Window(FindWindowByTitle(title));
}

void FakePlatform::AdvanceMs(std::int64_t ms) {
    const std::int64_t end = m_elapsedMicros + ms * 1000;
    FakeDialogView* const modal = m_modalDialogs.empty() ? nullptr : m_modalDialogs.back();
    for (;;) {
        if (modal != nullptr && !modal->IsOpen()) return;  // its loop has ended: time stops here
        // The earliest due timer; ties go to the main window, then to the lower id.
        std::optional<std::int64_t> dueAt;
        int mainId = 0;
        std::pair<FakeDialogView*, int> dialogKey{nullptr, 0};
        for (const auto& [id, timer] : timers) {
            if (timer.nextDueElapsedMicros <= end && (!dueAt || timer.nextDueElapsedMicros < *dueAt)) {
                dueAt = timer.nextDueElapsedMicros;
                mainId = id;
            }
        }
        for (const auto& [key, timer] : m_dialogTimers) {
            if (timer.nextDueElapsedMicros <= end && (!dueAt || timer.nextDueElapsedMicros < *dueAt)) {
                dueAt = timer.nextDueElapsedMicros;
                dialogKey = key;
            }
        }
        // An answer due by now comes as soon as the thread is free, even when the handler
        // that asked for it read the clock past the end.
        const auto lookup = NextLookupDue(std::max(end, m_elapsedMicros));
        if (lookup && (!dueAt || lookup->first < *dueAt)) {
            const std::int64_t step = std::max<std::int64_t>(0, lookup->first - m_elapsedMicros);
            m_elapsedMicros += step;
            m_nowMicros += step;
            AnswerLookup(lookup->second);
            continue;
        }
        if (!dueAt) break;
        const std::int64_t step = std::max<std::int64_t>(0, *dueAt - m_elapsedMicros);
        m_elapsedMicros += step;
        m_nowMicros += step;
        if (dialogKey.first != nullptr) {
            TimerState& timer = m_dialogTimers.at(dialogKey);
            timer.nextDueElapsedMicros += std::int64_t{timer.periodMs} * 1000;
            dialogKey.first->FireTimer(dialogKey.second);
        } else {
            TimerState& timer = timers.at(mainId);
            timer.nextDueElapsedMicros += std::int64_t{timer.periodMs} * 1000;
            if (m_events != nullptr) m_events->OnTimer(mainId);
        }
    }
    m_nowMicros += end - m_elapsedMicros;
    m_elapsedMicros = end;
}

FakeDialogView* FakePlatform::OpenDialog(int templateId) {
    for (auto it = m_modalDialogs.rbegin(); it != m_modalDialogs.rend(); ++it) {
        if ((*it)->IsOpen() && (*it)->TemplateId() == templateId) return *it;
    }
    return nullptr;
}

void FakePlatform::SetDialogTimer(FakeDialogView* view, int timerId, unsigned periodMs) {
    m_dialogTimers[{view, timerId}] = TimerState{periodMs, m_elapsedMicros + std::int64_t{periodMs} * 1000};
}

void FakePlatform::KillDialogTimer(FakeDialogView* view, int timerId) { m_dialogTimers.erase({view, timerId}); }

void FakePlatform::KillDialogTimers(const FakeDialogView* view) {
    std::erase_if(m_dialogTimers, [view](const auto& entry) { return entry.first.first == view; });
}

bool FakePlatform::DialogTimerRunning(const FakeDialogView* view, int timerId) const {
    return std::any_of(m_dialogTimers.begin(), m_dialogTimers.end(),
                       [&](const auto& entry) { return entry.first.first == view && entry.first.second == timerId; });
}

int FakePlatform::RunModalDialog(Dialog& dialog) {
    FakeDialogView view(*this, dialog);
    dialogsRun.push_back(dialog.TemplateId());
    m_modalDialogs.push_back(&view);
    view.Open();
    if (const auto script = dialogScripts.find(dialog.TemplateId()); script != dialogScripts.end() && view.IsOpen()) {
        script->second(view);
    }
    if (view.IsOpen()) view.PressEscape();
    // A dialog that will not close on Esc is closed all the same: the test is over with it.
    if (view.IsOpen()) view.Close(kIdCancel);
    m_modalDialogs.pop_back();
    return view.Result();
}

bool FakePlatform::Deliver(const Datagram& datagram, int socketId) {
    if (socketId < 0) socketId = NewestSocketId();
    auto it = m_sockets.find(socketId);
    if (it == m_sockets.end()) return false;
    it->second.inbox.push_back(datagram);
    it->second.events->OnReceive(0);
    return true;
}

int FakePlatform::NewestSocketId() const { return m_sockets.empty() ? -1 : m_sockets.rbegin()->first; }

Held FakePlatform::StartSocketLayer() {
    if (!socketLayerAvailable) return nullptr;
    return std::make_unique<FlagHold>(socketLayerStarted);
}

Held FakePlatform::AcquireInstanceLock(std::string_view) {
    if (otherInstanceRunning) return nullptr;
    return std::make_unique<FlagHold>(instanceLockHeld);
}

bool FakePlatform::FolderRefusesNewFiles(const std::string& path) const {
    return foldersRefusingNewFiles.count(path.substr(0, path.rfind('\\') + 1)) != 0;
}

FileRead FakePlatform::ReadTextFileHead(const std::string& path, std::size_t maxBytes) {
    if (unopenableFiles.count(path) != 0) return {FileRead::Status::OpenFailed, {}};
    auto it = files.find(path);
    if (it == files.end()) return {FileRead::Status::Missing, {}};
    std::string head = it->second;
    if (head.size() > maxBytes) {
        head.resize(maxBytes);
        head.resize(head.rfind('\n') + 1);
    }
    return {FileRead::Status::Ok, head};
}

bool FakePlatform::CreateFileIfMissing(const std::string& path) {
    if (files.count(path) != 0) return true;
    if (unopenableFiles.count(path) != 0 || FolderRefusesNewFiles(path)) return false;
    files.emplace(path, std::string{});
    return true;
}

FileReplace FakePlatform::ReplaceFileContents(const std::string& path, std::string_view contents) {
    if (FolderRefusesNewFiles(path)) return FileReplace::NotAllowed;
    if (unopenableFiles.count(path) != 0) return FileReplace::Failed;
    files[path] = std::string(contents);
    return FileReplace::Replaced;
}

bool FakePlatform::RewriteFileInPlace(const std::string& path, std::string_view contents) {
    auto it = files.find(path);
    if (it == files.end() || unopenableFiles.count(path) != 0) return false;
    it->second = std::string(contents);
    return true;
}

bool FakePlatform::CreateMainWindow(WindowEvents& events) {
    m_events = &events;
    mainWindowExists = true;
    events.OnWindowCreated();
    return true;
}

void FakePlatform::DestroyMainWindow() {
    mainWindowExists = false;
    timers.clear();
}

bool FakePlatform::SetTimer(int timerId, unsigned periodMs) {
    if (refusedTimers.count(timerId) != 0) return false;
    timers[timerId] = TimerState{periodMs, m_elapsedMicros + std::int64_t{periodMs} * 1000};
    return true;
}

WindowId FakePlatform::FindWindowByTitle(std::string_view title) {
    if (mainWindowExists && mainWindowTitle == title) return kMainWindowId;
    for (const auto& [id, window] : m_windows) {
        if (window.title == title) return id;
    }
    return 0;
}

bool FakePlatform::SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) {
    if (to == kMainWindowId && m_events != nullptr) {
        m_events->OnCopyData(code);
        return true;
    }
    FakeWindow* w = Window(to);
    if (w == nullptr) return false;
    if (w->hung) {
        // The thread is blocked meanwhile: time passes and no timer fires until later.
        m_elapsedMicros += std::int64_t{kSendTimeoutMs} * 1000;
        m_nowMicros += std::int64_t{kSendTimeoutMs} * 1000;
        return false;
    }
    w->received.push_back({code, std::string(text)});
    return true;
}

bool FakePlatform::SendCommand(WindowId to, int commandId) {
    if (to != kMainWindowId || m_events == nullptr) return false;
    m_events->OnCommand(commandId);
    return true;
}

ProgramStart FakePlatform::StartProgram(std::string_view program, std::string_view arguments) {
    constexpr std::uint32_t kErrorFileNotFound = 2;
    if (missingPrograms.count(std::string(program)) != 0) return {ProgramStart::Status::Missing, kErrorFileNotFound};
    commandLines.push_back(QuotedCommandLine(program, arguments));
    return {ProgramStart::Status::Started, 0};
}

ProgramStart FakePlatform::StartCommandLine(std::string_view commandLine) {
    if (commandLineStart.status == ProgramStart::Status::Started) commandLines.emplace_back(commandLine);
    return commandLineStart;
}

bool FakePlatform::AddTrayIcon(std::string_view tip) {
    if (trayIconRefusals > 0) {
        --trayIconRefusals;
        return false;
    }
    trayIconPresent = true;
    ++trayIconAdds;
    trayTip = tip;
    return true;
}

CivilTime FakePlatform::ToLocalTime(std::int64_t unixSeconds) {
    const bool summer = daylightSaving && unixSeconds >= daylightSaving->startUtc && unixSeconds < daylightSaving->endUtc;
    return CivilFromUnixSeconds(unixSeconds + localOffsetSeconds + (summer ? daylightSaving->shiftSeconds : 0));
}

std::int64_t FakePlatform::NowMicroseconds() {
    const std::int64_t now = m_nowMicros;
    m_nowMicros += clockReadMicros;
    m_elapsedMicros += clockReadMicros;
    return now;
}

bool FakePlatform::SetSystemTimeUtc(const CivilTime& utc) {
    if (refuseSystemTime) return false;
    systemTimeSets.push_back(utc);
    m_nowMicros = UnixSecondsFromCivil(utc) * 1'000'000 + std::int64_t{utc.millisecond} * 1000 + setTimeCallMicros;
    m_elapsedMicros += setTimeCallMicros;
    return true;
}

PrivilegeOutcome FakePlatform::EnablePrivilege(std::string_view name) {
    if (!tokenOpens) return {PrivilegeOutcome::Step::OpenToken, tokenOpenError};
    if (name != kSystemTimePrivilege && name != kShutdownPrivilege) {
        return {PrivilegeOutcome::Step::Enable, kErrorNoSuchPrivilege};
    }
    if (!privilegeHeld) return {PrivilegeOutcome::Step::Enable, kErrorNotAllAssigned};
    privilegesEnabled.emplace_back(name);
    return {};
}

std::string FakePlatform::RegistryKeyName(RegistryRoot root, std::string_view key) {
    switch (root) {
    case RegistryRoot::LocalMachine: return "HKLM\\" + std::string(key);
    case RegistryRoot::ClassesRoot: return "HKCR\\" + std::string(key);
    case RegistryRoot::CurrentUser: break;
    }
    return "HKCU\\" + std::string(key);
}

bool FakePlatform::CanWriteRegistryKey(RegistryRoot root, std::string_view key) {
    return registryKeysDeniedWrite.count(RegistryKeyName(root, key)) == 0;
}

std::optional<RegistryValue> FakePlatform::ReadRegistryValue(const RegistryPlace& place) {
    const auto key = registry.find(RegistryKeyName(place.root, place.key));
    if (key == registry.end()) return std::nullopt;
    const auto value = key->second.find(std::string(place.name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

bool FakePlatform::WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) {
    if (!CanWriteRegistryKey(place.root, place.key)) return false;
    registry[RegistryKeyName(place.root, place.key)][std::string(place.name)] = value;
    return true;
}

bool FakePlatform::DeleteRegistryValue(const RegistryPlace& place) {
    if (!CanWriteRegistryKey(place.root, place.key)) return false;
    return registry[RegistryKeyName(place.root, place.key)].erase(std::string(place.name)) != 0;
}

bool FakePlatform::PlaySoundFile(std::string_view path) {
    // A sound plays in passing time, which setting the clock does not change.
    if (m_elapsedMicros < soundBusyUntilMicros) return false;
    soundsPlayed.emplace_back(path);
    soundBusyUntilMicros = m_elapsedMicros + soundLengthMicros;
    return true;
}

std::vector<IpAddress> FakePlatform::ResolveHost(std::string_view host) {
    if (const auto literal = ParseIpLiteral(host)) return {*literal};
    const auto it = hosts.find(std::string(host));
    return it == hosts.end() ? std::vector<IpAddress>{} : it->second;
}

std::unique_ptr<PendingLookup> FakePlatform::StartLookup(std::string_view host, LookupEvents& events) {
    lookupsStarted.emplace_back(host);
    const int id = m_nextLookupId++;
    std::optional<std::int64_t> due;
    if (!lookupsNeverAnswer) due = m_elapsedMicros + lookupDelayMs * 1000;
    m_lookups[id] = LookupSlot{&events, std::string(host), due};
    return std::make_unique<FakeLookup>(*this, id);
}

std::optional<std::pair<std::int64_t, int>> FakePlatform::NextLookupDue(std::int64_t end) const {
    std::optional<std::pair<std::int64_t, int>> next;
    for (const auto& [id, lookup] : m_lookups) {
        if (lookup.dueElapsedMicros && *lookup.dueElapsedMicros <= end && (!next || *lookup.dueElapsedMicros < next->first)) {
            next = std::pair{*lookup.dueElapsedMicros, id};
        }
    }
    return next;
}

void FakePlatform::AnswerLookup(int id) {
    const LookupSlot lookup = m_lookups.at(id);
    m_lookups.erase(id);
    lookup.events->OnLookupDone(ResolveHost(lookup.host));
}

std::unique_ptr<UdpSocket> FakePlatform::OpenUdpSocket(UdpSocketEvents& events) {
    if (failSocketOpen) return nullptr;
    const int id = m_nextSocketId++;
    m_sockets[id] = SocketSlot{&events, {}};
    return std::make_unique<FakeSocket>(*this, id);
}

std::uint32_t FakePlatform::RandomBits() {
    // xorshift32: reproducible from run to run.
    m_randomState ^= m_randomState << 13;
    m_randomState ^= m_randomState >> 17;
    m_randomState ^= m_randomState << 5;
    return m_randomState;
}

std::int64_t MicrosFromUtc(int year, int month, int day, int hour, int minute, int second,
                           int microsecond) {
    CivilTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return UnixSecondsFromCivil(t) * 1'000'000 + microsecond;
}

} // namespace hv
