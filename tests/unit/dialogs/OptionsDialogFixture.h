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
        platform.hosts["b.test"] = 0x0A000002;
        settings.serverList = kThreeServers;
        settings.bellFile = "C:\\Horvane\\bell.wav";
    }

    FakeDialogView& Open() {
        dialog = std::make_unique<OptionsDialog>(platform, settings);
        view = std::make_unique<FakeDialogView>(platform, *dialog);
        view->Open();
        return *view;
    }

    // The server answers the last request after `ms`, holding it no time: that is its delay.
    void AnswerAfter(int ms) {
        platform.AdvanceMs(ms);
        const auto& request = platform.sent.back();
        const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes reply = test::ReplyTo(request.bytes, now, now);
        platform.Deliver(Datagram{{reply.begin(), reply.end()}, request.to});
    }
};

} // namespace hv::testing
