#pragma once
#include "dialogs/OptionsDialog.h"
#include "framework/fake/FakePlatform.h"
#include "res/resource.h"
#include "sync/NtpTime.h"
#include "sync/SntpTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace hv::testing {

constexpr const char* kThreeServers = "Alpha(10.0.0.1)?Beta(b.test)?Gamma(10.0.0.3)?1";

// The options dialog open on the fake backend over three servers, the second the default;
// b.test resolves to 10.0.0.2.
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
        settings.alwaysShowBar = false;
    }

    FakeDialogView& Open() {
        dialog = std::make_unique<OptionsDialog>(platform, settings);
        view = std::make_unique<FakeDialogView>(platform, *dialog);
        view->Open();
        return *view;
    }

    // The server answers the last request after `ms` milliseconds, holding it no time, so
    // the measured delay is exactly that.
    void AnswerAfter(int ms) {
        platform.AdvanceMs(ms);
        const SentDatagram& request = platform.sent.back();
        const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes reply = test::ReplyTo(request.bytes, now, now);
        platform.Deliver(Datagram{{reply.begin(), reply.end()}, request.to});
    }

    std::string Delay(int row) { return view->ListCell(IDC_SERVER_LIST, row, 2); }
    std::vector<std::string> Delays() { return {Delay(0), Delay(1), Delay(2)}; }

    using SentDatagram = FakePlatform::SentDatagram;
};

} // namespace hv::testing
