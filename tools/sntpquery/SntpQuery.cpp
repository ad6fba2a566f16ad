// SntpQuery HOST [--timeout SECONDS] [--samples N]
//
// Runs one exchange, or a burst of N (SampleBurst, as the time service does), with
// SntpClient on the real backend and prints, one "key=value" per line, the server, every
// sample of a burst, then either the chosen delay and offset in seconds (to the
// microsecond) or why no time was obtained. Exit code 0 only for a valid reply. The
// timeout is the wait for the last request's reply.
#include "framework/win32/DllSearch.h"
#include "framework/win32/Win32HeadlessPlatform.h"
#include "sync/ReplyValidation.h"
#include "sync/SampleBurst.h"
#include "sync/SntpClient.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kExitReply = 0;
constexpr int kExitNoReply = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoSend = 3;
constexpr double kDefaultTimeoutSeconds = 10.0;
constexpr double kLongestTimeoutSeconds = 3600.0;
constexpr double kMillisPerSecond = 1000.0;
constexpr long kMostSamples = 16;
constexpr char kTimeoutOption[] = "--timeout";
constexpr char kSamplesOption[] = "--samples";
constexpr char kUsage[] = "usage: SntpQuery HOST [--timeout SECONDS] [--samples N]\n";

struct Arguments {
    std::string host;
    double timeoutSeconds = kDefaultTimeoutSeconds;
    int samples = 1;
};

bool ParseSamples(const char* text, int& samples) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > kMostSamples) return false;
    samples = static_cast<int>(value);
    return true;
}

bool ParseArguments(int argc, char** argv, Arguments& out) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kTimeoutOption) == 0 && i + 1 < argc) {
            char* end = nullptr;
            out.timeoutSeconds = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(out.timeoutSeconds > 0.0) ||
                out.timeoutSeconds > kLongestTimeoutSeconds) {
                return false;
            }
        } else if (std::strcmp(argv[i], kSamplesOption) == 0 && i + 1 < argc) {
            if (!ParseSamples(argv[++i], out.samples)) return false;
        } else if (out.host.empty() && argv[i][0] != '-') {
            out.host = argv[i];
        } else {
            return false;
        }
    }
    return !out.host.empty();
}

// Pumps this thread's messages, through which the socket reports its replies, and lets the
// burst send and take its samples until it is over.
void RunBurst(const hv::SntpClient& client, hv::SampleBurst& burst) {
    while (burst.Running()) {
        const auto now = static_cast<std::int64_t>(GetTickCount64());
        burst.Poll(now);
        if (!burst.Running()) return;
        const std::int64_t wait = std::max<std::int64_t>(burst.NextPollMs() - now, 0);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait), QS_ALLINPUT);
        MSG message;
        while (client.AwaitingReply() && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void ReportSamples(const hv::SampleBurst& burst) {
    for (const hv::BurstSample& sample : burst.Samples()) {
        std::printf("sample=%d delay=%.6f offset=%.6f\n", sample.number, sample.delay, sample.offset);
    }
    if (const auto best = burst.Best()) {
        std::printf("samples=%zu\nrequests=%d\nchosen=%d\n", burst.Samples().size(), burst.Requests(), best->number);
    }
}

int ReportReply(const hv::SntpClient& client) {
    if (client.TooSlow()) {
        std::printf("delay=%.6f\nerror=%s%s\n", client.Delay(), client.ServerAddress().c_str(), hv::kLogDelayTooLong);
        return kExitNoReply;
    }
    std::printf("delay=%.6f\noffset=%.6f\nstratum=%d\n", client.Delay(), client.Offset(),
                static_cast<int>(client.Packet().stratum));
    return kExitReply;
}

int ReportNoReply(const hv::SntpClient& client, double timeoutSeconds) {
    std::printf("error=no valid reply within %g s\n", timeoutSeconds);
    if (client.LastRefusal() != hv::ReplyVerdict::Accepted) {
        const std::string_view reason = hv::ReplyVerdictText(client.LastRefusal());
        std::printf("refused=%.*s\n", static_cast<int>(reason.size()), reason.data());
    }
    return kExitNoReply;
}

int Query(const Arguments& arguments) {
    hv::Win32HeadlessPlatform platform(GetModuleHandleA(nullptr));
    const hv::Held socketLayer = platform.StartSocketLayer();
    if (!socketLayer) {
        std::printf("error=Windows Sockets 1.1 is not available\n");
        return kExitNoSend;
    }
    int result = kExitNoSend;
    {
        hv::SntpClient client(platform);
        const auto lastWaitMs = static_cast<std::int64_t>(std::llround(arguments.timeoutSeconds * kMillisPerSecond));
        hv::SampleBurst burst(client, platform, arguments.samples,
                              (arguments.samples - 1) * (hv::SampleBurst::kSpacingMs + hv::SampleBurst::kClockGrainMs) +
                                  lastWaitMs);
        client.SetServerAddress(arguments.host);
        std::printf("server=%s\n", arguments.host.c_str());
        if (!client.Create()) {
            std::printf("error=cannot open a UDP socket\n");
        } else if (!burst.Start(static_cast<std::int64_t>(GetTickCount64()))) {
            std::printf("error=cannot send to %s (unknown host or send failure)\n", arguments.host.c_str());
        } else {
            RunBurst(client, burst);
            if (arguments.samples > 1) ReportSamples(burst);
            result = burst.Best() ? ReportReply(client) : ReportNoReply(client, arguments.timeoutSeconds);
        }
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    hv::LoadDllsFromSystem32Only();
    Arguments arguments;
    if (!ParseArguments(argc, argv, arguments)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const int result = Query(arguments);
    std::fflush(stdout);
    return result;
}
