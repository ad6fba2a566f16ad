#include "framework/fake/FakePlatform.h"

#include <algorithm>
#include <charconv>

namespace hv {

namespace {
constexpr std::uint32_t kErrorNotAllAssigned = 1300;
constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;
} // namespace

class FakePlatform::FakeSocket : public UdpSocket {
public:
    FakeSocket(FakePlatform& owner, int id) : m_owner(owner), m_id(id) {}
    ~FakeSocket() override { m_owner.m_sockets.erase(m_id); }
    FakeSocket(const FakeSocket&) = delete;
    FakeSocket& operator=(const FakeSocket&) = delete;

    bool SendTo(const Ipv4Endpoint& to, std::span<const std::uint8_t> bytes) override {
        if (m_owner.failSends) return false;
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

WindowId FakePlatform::AddWindow(const std::string& title) {
    const WindowId id = m_nextWindowId++;
    m_windows[id] = FakeWindow{title, {}};
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
    for (;;) {
        // The earliest due timer; ties go to the lower id, as a stable order for tests.
        auto due = timers.end();
        for (auto it = timers.begin(); it != timers.end(); ++it) {
            if (it->second.nextDueElapsedMicros <= end &&
                (due == timers.end() || it->second.nextDueElapsedMicros < due->second.nextDueElapsedMicros)) {
                due = it;
            }
        }
        if (due == timers.end()) break;
        const int id = due->first;
        const std::int64_t step = std::max<std::int64_t>(0, due->second.nextDueElapsedMicros - m_elapsedMicros);
        m_elapsedMicros += step;
        m_nowMicros += step;
        due->second.nextDueElapsedMicros += std::int64_t{due->second.periodMs} * 1000;
        if (m_events != nullptr) m_events->OnTimer(id);
    }
    m_nowMicros += end - m_elapsedMicros;
    m_elapsedMicros = end;
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

InstanceLock FakePlatform::AcquireInstanceLock(std::string_view) {
    if (otherInstanceRunning) return InstanceLock::AlreadyRunning;
    instanceLockHeld = true;
    return InstanceLock::Acquired;
}

FileRead FakePlatform::ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    if (unopenableFiles.count(path) != 0) return {FileRead::Status::OpenFailed, {}};
    auto it = files.find(path);
    if (it == files.end()) return {FileRead::Status::Missing, {}};
    if (it->second.size() > maxBytes) return {FileRead::Status::TooLarge, {}};
    return {FileRead::Status::Ok, it->second};
}

bool FakePlatform::CreateFileIfMissing(const std::string& path) {
    if (unopenableFiles.count(path) != 0) return false;
    files.emplace(path, std::string{});
    return true;
}

bool FakePlatform::ReplaceFileContents(const std::string& path, std::string_view contents) {
    if (failFileReplace || unopenableFiles.count(path) != 0) return false;
    files[path] = std::string(contents);
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

void FakePlatform::SetTimer(int timerId, unsigned periodMs) {
    timers[timerId] = TimerState{periodMs, m_elapsedMicros + std::int64_t{periodMs} * 1000};
}

WindowId FakePlatform::FindWindowByTitle(std::string_view title) {
    if (mainWindowExists && mainWindowTitle == title) return kMainWindowId;
    for (const auto& [id, window] : m_windows) {
        if (window.title == title) return id;
    }
    return 0;
}

void FakePlatform::SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) {
    if (to == kMainWindowId && m_events != nullptr) {
        m_events->OnCopyData(code);
        return;
    }
    if (FakeWindow* w = Window(to)) w->received.push_back({code, std::string(text)});
}

void FakePlatform::SendCommand(WindowId to, int commandId) {
    if (to == kMainWindowId && m_events != nullptr) m_events->OnCommand(commandId);
}

void FakePlatform::AddTrayIcon(std::string_view tip) {
    trayIconPresent = true;
    ++trayIconAdds;
    trayTip = tip;
}

CivilTime FakePlatform::ToLocalTime(std::int64_t unixSeconds) {
    return CivilFromUnixSeconds(unixSeconds + localOffsetSeconds);
}

bool FakePlatform::SetSystemTimeUtc(const CivilTime& utc) {
    if (refuseSystemTime) return false;
    systemTimeSets.push_back(utc);
    m_nowMicros = UnixSecondsFromCivil(utc) * 1'000'000 + std::int64_t{utc.millisecond} * 1000;
    return true;
}

std::optional<TokenHandle> FakePlatform::OpenProcessTokenForAdjust() {
    if (!tokenOpens) {
        m_lastError = tokenOpenError;
        return std::nullopt;
    }
    ++openTokens;
    m_lastError = 0;
    return TokenHandle{42};
}

bool FakePlatform::LookupPrivilege(std::string_view name) {
    const bool known = name == "SeSystemtimePrivilege" || name == "SeShutdownPrivilege";
    m_lastError = known ? 0 : kErrorNoSuchPrivilege;
    return known;
}

void FakePlatform::AdjustTokenPrivilege(TokenHandle, std::string_view name, bool enable) {
    if (!privilegeHeld) {
        m_lastError = kErrorNotAllAssigned;
        return;
    }
    m_lastError = 0;
    if (enable) privilegesEnabled.emplace_back(name);
}

std::optional<RegistryKey> FakePlatform::OpenRegistryKey(RegistryRoot root, std::string_view path,
                                                         bool fullAccess) {
    std::string full = (root == RegistryRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + std::string(path);
    if (fullAccess && registryKeysDeniedFullAccess.count(full) != 0) return std::nullopt;
    const RegistryKey key = m_nextKey++;
    m_openKeys[key] = full;
    ++openRegistryKeys;
    return key;
}

std::optional<std::string> FakePlatform::ReadRegistryString(RegistryKey key, std::string_view name,
                                                            std::size_t bufferBytes) {
    auto& values = registry[m_openKeys.at(key)];
    auto it = values.find(std::string(name));
    if (it == values.end() || it->second.size() + 1 > bufferBytes) return std::nullopt;
    return it->second;
}

bool FakePlatform::WriteRegistryString(RegistryKey key, std::string_view name, std::string_view value) {
    registry[m_openKeys.at(key)][std::string(name)] = std::string(value);
    return true;
}

bool FakePlatform::DeleteRegistryValue(RegistryKey key, std::string_view name) {
    return registry[m_openKeys.at(key)].erase(std::string(name)) != 0;
}

bool FakePlatform::PlaySoundFile(std::string_view path) {
    if (m_nowMicros < soundBusyUntilMicros) return false;
    soundsPlayed.emplace_back(path);
    soundBusyUntilMicros = m_nowMicros + soundLengthMicros;
    return true;
}

std::optional<std::uint32_t> FakePlatform::ResolveIpv4(std::string_view host) {
    std::uint32_t address = 0;
    int parts = 0;
    const char* p = host.data();
    const char* end = host.data() + host.size();
    while (p < end && parts < 4) {
        unsigned octet = 0;
        auto [next, ec] = std::from_chars(p, end, octet);
        if (ec != std::errc{} || octet > 255) break;
        address = (address << 8) | octet;
        ++parts;
        p = next;
        if (p == end || *p != '.') break;
        ++p;
    }
    if (parts == 4 && p == end) return address;
    auto it = hosts.find(std::string(host));
    if (it == hosts.end()) return std::nullopt;
    return it->second;
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
