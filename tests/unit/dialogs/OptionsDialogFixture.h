#pragma once
#include "dialogs/OptionsDialog.h"
#include "framework/fake/FakePlatform.h"
#include "res/resource.h"
#include "sync/SntpTestSupport.h"

#include <memory>

namespace hv::testing {

constexpr const char* kThreeServers = "Alpha(10.0.0.1)?Beta(b.test)?Gamma(10.0.0.3)?1";

// The options dialog on the fake backend over three servers, the second (b.test, at
// 10.0.0.2) the default.
class OptionsDialogTest : public ::testing::Test {
protected:
    FakePlatform platform;
    Settings settings;
    std::unique_ptr<OptionsDialog> dialog;
    std::unique_ptr<FakeDialogView> view;

    OptionsDialogTest() {
        platform.hosts["b.test"] = {0x0A000002};
        settings.serverList = kThreeServers;
        settings.bellFile = "C:\\Horvane\\bell.wav";
    }

    FakeDialogView& Open() {
        dialog = std::make_unique<OptionsDialog>(platform, settings);
        view = std::make_unique<FakeDialogView>(platform, *dialog);
        view->Open();
        return *view;
    }

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
