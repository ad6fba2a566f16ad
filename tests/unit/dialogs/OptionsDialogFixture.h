#pragma once
#include "dialogs/OptionsDialog.h"
#include "dialogs/DialogFixture.h"
#include "res/resource.h"
#include "sync/SntpTestSupport.h"

namespace hv::testing {

constexpr const char* kThreeServers = "Alpha(10.0.0.1)?Beta(b.test)?Gamma(10.0.0.3)?1";

// The options dialog over three servers, the second (b.test, at 10.0.0.2) the default.
class OptionsDialogTest : public DialogFixture<OptionsDialog> {
protected:
    Settings settings;

    OptionsDialogTest() {
        platform.hosts["b.test"] = {0x0A000002};
        settings.serverList = kThreeServers;
        settings.bellFile = "C:\\Horvane\\bell.wav";
    }

    FakeDialogView& Open() { return OpenWith(platform, settings); }

    // Lets time pass until the dialog sends its next request; false when none comes.
    bool AwaitRequest() {
        const std::size_t before = platform.sent.size();
        for (int waited = 0; waited < 20000 && platform.sent.size() == before; waited += 100) platform.AdvanceMs(100);
        return platform.sent.size() > before;
    }

    // The server answers the last request now, its timestamps making the delay `seconds`:
    // (T4 - T1) - (T3 - T2).
    void Answer(double seconds) {
        const auto& request = platform.sent.back();
        const double t1 = NtpSecondsFromUnixMicros(request.sentAtMicros);
        const double t4 = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes reply = ReplyTo(request.bytes, t4, t4 + (t4 - t1) - seconds);
        platform.Deliver(Datagram{{reply.begin(), reply.end()}, request.to});
    }
};

} // namespace hv::testing
