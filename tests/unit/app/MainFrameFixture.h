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
#include <vector>

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

    // The copy-data codes a window received, in order.
    static std::vector<std::uintptr_t> Codes(const FakePlatform::FakeWindow& window) {
        std::vector<std::uintptr_t> codes;
        for (const auto& r : window.received) codes.push_back(r.code);
        return codes;
    }

    void ArmDelay(std::int32_t seconds) {
        frame->m_settings.shutdown.kind = kShutdownAfterDelay;
        frame->m_settings.shutdown.disarmed = false;
        frame->m_settings.shutdown.secondsLeft = seconds;
    }

    std::string Config() { return platform.files[kConfigPath]; }
};

// Quiet, with the sync window and the bar open and 127.0.0.1 as the server.
class SyncRunFixture : public MainFrameTest {
protected:
    FakePlatform::FakeWindow* sync = nullptr;
    FakePlatform::FakeWindow* bar = nullptr;

    void SetUp() override {
        StartQuiet();
        sync = &Companion(kSyncWindowTitle);
        bar = &Companion(kBarWindowTitle);
        frame->m_sntp.SetServerAddress("127.0.0.1");
    }

    std::vector<std::uintptr_t> BarStatuses() const { return Codes(*bar); }

    // The reference server, its clock `offset` seconds ahead, answers the last request
    // after `roundTripMs` on a symmetric path.
    void AnswerAfter(int roundTripMs, double offset) {
        platform.AdvanceMs(roundTripMs / 2);
        const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes bytes = test::ReplyTo(platform.sent.back().bytes, now + offset, now + offset);
        platform.AdvanceMs(roundTripMs - roundTripMs / 2);
        platform.Deliver(Datagram{{bytes.begin(), bytes.end()}, {kServerAddress, kNtpPort}});
    }
};

} // namespace hv::testing
