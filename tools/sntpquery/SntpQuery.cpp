// SntpQuery HOST [--timeout SECONDS]
//
// Runs one exchange with SntpClient on the real backend and prints, one "key=value" per
// line, the server, then either the delay and offset in seconds (to the microsecond) or
// why no time was obtained. Exit code 0 only for a valid reply.
#include "framework/win32/DllSearch.h"
#include "framework/win32/Win32Platform.h"
#include "sync/ReplyValidation.h"
#include "sync/SntpClient.h"

#include <cmath>
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
constexpr char kTimeoutOption[] = "--timeout";
constexpr char kUsage[] = "usage: SntpQuery HOST [--timeout SECONDS]\n";

struct Arguments {
    std::string host;
    double timeoutSeconds = kDefaultTimeoutSeconds;
};

bool ParseArguments(int argc, char** argv, Arguments& out) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kTimeoutOption) == 0 && i + 1 < argc) {
            char* end = nullptr;
            out.timeoutSeconds = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !(out.timeoutSeconds > 0.0) ||
                out.timeoutSeconds > kLongestTimeoutSeconds) {
                return false;
            }
        } else if (out.host.empty() && argv[i][0] != '-') {
            out.host = argv[i];
        } else {
            return false;
        }
    }
    return !out.host.empty();
}

// Pumps this thread's messages, through which the socket reports its reply, until the
// reply has been taken or the time is up.
void AwaitReply(const hv::SntpClient& client, double timeoutSeconds) {
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(std::llround(timeoutSeconds * kMillisPerSecond));
    while (client.AwaitingReply()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        MSG message;
        while (client.AwaitingReply() && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

int ReportReply(const hv::SntpClient& client) {
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
    hv::Win32Platform platform(GetModuleHandleA(nullptr));
    const hv::Held socketLayer = platform.StartSocketLayer();
    if (!socketLayer) {
        std::printf("error=Windows Sockets 1.1 is not available\n");
        return kExitNoSend;
    }
    int result = kExitNoSend;
    {
        hv::SntpClient client(platform);
        client.SetServerAddress(arguments.host);
        std::printf("server=%s\n", arguments.host.c_str());
        if (!client.Create()) {
            std::printf("error=cannot open a UDP socket\n");
        } else if (!client.SendRequest()) {
            std::printf("error=cannot send to %s (unknown host or send failure)\n", arguments.host.c_str());
        } else {
            AwaitReply(client, arguments.timeoutSeconds);
            result = client.AwaitingReply() ? ReportNoReply(client, arguments.timeoutSeconds)
                                            : ReportReply(client);
            client.Abandon();
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
