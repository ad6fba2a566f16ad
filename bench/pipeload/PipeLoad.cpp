// PipeLoad PIPE CLIENTS SECONDS SERVICE_PID
//
// Many callers at once on the time service's pipe, each in a loop until the time is up:
// connecting, sending valid, malformed, partial and over-long messages, hanging up before
// the reply, and saying nothing. Every ten seconds it prints the service process's handle
// count; at the end, what the callers saw and whether a genuine request is still answered.
// A load generator, not a test: it prints figures, it judges nothing.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kClientAccess = 0x12018b; // what the users' grant allows, as the tray program asks
constexpr DWORD kReplyWaitMs = 3000;
constexpr DWORD kPollMs = 10;
constexpr DWORD kSampleMs = 10'000;
constexpr DWORD kSilentHoldMs = 300;
constexpr std::size_t kLongestReply = 512;
constexpr std::size_t kOverLongBytes = 4096;

// Hand-written messages: header "HVTS", version 1, type, payload length little-endian.
const std::vector<BYTE> kLastResult = {'H', 'V', 'T', 'S', 1, 2, 0, 0};
const std::vector<BYTE> kSynchronise = {'H', 'V', 'T', 'S', 1, 1, 9, 0, '1', '2', '7', '.', '0', '.', '0', '.', '1'};
const std::vector<BYTE> kBadMagic = {'X', 'V', 'T', 'S', 1, 2, 0, 0};
const std::vector<BYTE> kPartial = {'H', 'V', 'T', 'S', 1, 1, 9, 0, '1', '2'};

enum Behaviour { LastResult, Synchronise, Malformed, Partial, OverLong, HangUpEarly, Silent, kBehaviours };
const char* const kNames[] = {"last-result", "synchronise", "malformed", "partial", "over-long", "hang-up", "silent"};

struct Counts {
    std::atomic<long> tried[kBehaviours]{};
    std::atomic<long> answered[kBehaviours]{};
    std::atomic<long> openFailed{};
    std::atomic<long> statuses[16]{};
};

HANDLE Connect(const std::string& pipe) {
    HANDLE handle = CreateFileA(pipe.c_str(), kClientAccess, 0, nullptr, OPEN_EXISTING,
                                SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return handle;
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(handle, &mode, nullptr, nullptr);
    return handle;
}

// The reply's status byte, or -1 when none came in time.
int AwaitReply(HANDLE pipe) {
    const ULONGLONG deadline = GetTickCount64() + kReplyWaitMs;
    DWORD available = 0;
    while (GetTickCount64() < deadline) {
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return -1;
        if (available > 0) break;
        Sleep(kPollMs);
    }
    if (available == 0) return -1;
    BYTE reply[kLongestReply];
    DWORD got = 0;
    if (!ReadFile(pipe, reply, sizeof reply, &got, nullptr) || got < 9) return -1;
    return reply[8];
}

void Send(HANDLE pipe, const std::vector<BYTE>& bytes) {
    DWORD written = 0;
    WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Once(const std::string& pipe, Behaviour behaviour, Counts& counts) {
    HANDLE handle = Connect(pipe);
    if (handle == INVALID_HANDLE_VALUE) {
        ++counts.openFailed;
        if (GetLastError() == ERROR_PIPE_BUSY) WaitNamedPipeA(pipe.c_str(), kPollMs * 10);
        return -1;
    }
    ++counts.tried[behaviour];
    int status = -1;
    switch (behaviour) {
    case LastResult:
        Send(handle, kLastResult);
        status = AwaitReply(handle);
        break;
    case Synchronise:
        Send(handle, kSynchronise);
        status = AwaitReply(handle);
        break;
    case Malformed:
        Send(handle, kBadMagic);
        status = AwaitReply(handle);
        break;
    case Partial:
        Send(handle, kPartial);
        status = AwaitReply(handle);
        break;
    case OverLong:
        Send(handle, std::vector<BYTE>(kOverLongBytes, 'H'));
        status = AwaitReply(handle);
        break;
    case HangUpEarly: Send(handle, kSynchronise); break;
    case Silent: Sleep(kSilentHoldMs); break;
    default: break;
    }
    CloseHandle(handle);
    if (status >= 0) {
        ++counts.answered[behaviour];
        ++counts.statuses[status & 15];
    }
    return status;
}

DWORD HandleCount(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) return 0;
    DWORD count = 0;
    if (!GetProcessHandleCount(process, &count)) count = 0;
    CloseHandle(process);
    return count;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fputs("usage: PipeLoad PIPE CLIENTS SECONDS SERVICE_PID\n", stderr);
        return 2;
    }
    const std::string pipe = argv[1];
    const int clients = std::atoi(argv[2]);
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::atoi(argv[3])) * 1000;
    const DWORD pid = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10));
    Counts counts;
    std::printf("handles t=0 %lu\n", HandleCount(pid));
    std::fflush(stdout);
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            for (unsigned n = static_cast<unsigned>(i); GetTickCount64() < end; ++n) {
                Once(pipe, static_cast<Behaviour>(n % kBehaviours), counts);
            }
        });
    }
    for (ULONGLONG t = kSampleMs; GetTickCount64() < end; t += kSampleMs) {
        Sleep(kSampleMs);
        std::printf("handles t=%llu %lu\n", t / 1000, HandleCount(pid));
        std::fflush(stdout);
    }
    for (std::thread& thread : threads) thread.join();
    for (int b = 0; b < kBehaviours; ++b) {
        std::printf("behaviour %s tried=%ld answered=%ld\n", kNames[b], counts.tried[b].load(),
                    counts.answered[b].load());
    }
    std::printf("open-failed %ld\n", counts.openFailed.load());
    for (int s = 0; s < 16; ++s) {
        if (counts.statuses[s] > 0) std::printf("status %d count=%ld\n", s, counts.statuses[s].load());
    }
    Sleep(kReplyWaitMs); // the service drops the last silent callers
    std::printf("handles after %lu\n", HandleCount(pid));
    // Afterwards a genuine caller is answered (retrying a moment if every instance is taken).
    int genuine = -1;
    for (int attempt = 0; attempt < 20 && genuine < 0; ++attempt) {
        genuine = Once(pipe, LastResult, counts);
        if (genuine < 0) Sleep(250);
    }
    std::printf("genuine last-result status=%d\n", genuine);
    return genuine > 0 ? 0 : 1;
}
