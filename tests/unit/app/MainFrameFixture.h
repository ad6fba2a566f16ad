#pragma once
#include "app/CompanionProtocol.h"
#include "app/HorvaneApp.h"
#include "app/MainFrame.h"
#include "framework/fake/FakePlatform.h"
#include "sync/NtpTime.h"
#include "sync/SntpTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace hv::testing {

constexpr const char* kProgramDir = "C:\\Horvane\\";
constexpr const char* kConfigPath = "C:\\Horvane\\config.txt";
constexpr std::uint32_t kServerAddress = 0x7F000001;  // 127.0.0.1
constexpr const char* kServerList = "Local Lab, Here, Nowhere(127.0.0.1)?0";

// A main window on the fake backend, started as the program starts it.
class MainFrameTest : public ::testing::Test {
protected:
    FakePlatform platform;
    std::unique_ptr<CMainFrame> frame;
    TimeServiceLink* timeService = nullptr;  // none: every run is in-process

    MainFrameTest() { platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 59, 50, 250000)); }

    void Start(const std::string& config) {
        platform.files[kConfigPath] = config;
        frame = std::make_unique<CMainFrame>(platform, timeService);
        frame->Create();
        frame->OnStartup();
    }

    // Automatic runs off, bar never started: nothing happens that a test did not ask for.
    void StartQuiet(const std::string& extra = {}) {
        Start("[auto]=0\r\n[alsh]=0\r\n[bash]=0\r\n[list]=" + std::string(kServerList) + "\r\n" + extra);
    }

    FakePlatform::FakeWindow& Companion(const char* title) {
        if (platform.WindowTitled(title) == nullptr) platform.AddWindow(title);
        return *platform.WindowTitled(title);
    }

    // The reference server's answer to the last request: its clock `offset` seconds ahead,
    // holding the request for `hold` seconds.
    Datagram ServerReply(double offset, double hold = 0.0) {
        const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes bytes = test::ReplyTo(platform.sent.back().bytes, now + offset, now + offset + hold);
        return Datagram{{bytes.begin(), bytes.end()}, {kServerAddress, kNtpPort}};
    }

    std::string Config() { return platform.files[kConfigPath]; }
};

} // namespace hv::testing
