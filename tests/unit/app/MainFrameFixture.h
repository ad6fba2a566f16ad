#pragma once
#include "app/CompanionProtocol.h"
#include "app/HorvaneApp.h"
#include "app/MainFrame.h"
#include "framework/fake/FakePlatform.h"
#include "sync/NtpTime.h"
#include "sync/SntpTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace hv::testing {

// The modal windows, recorded instead of shown. A test may run code "inside" a dialog to
// see what happens while it is open.
struct FakeDialogs : DialogSeams {
    int preferencesRuns = 0, shutdownRuns = 0, countdownRuns = 0, calendarRuns = 0, aboutRuns = 0;
    int logViewRuns = 0, logViewRefreshes = 0;
    bool logViewVisible = false;
    std::string logViewText;
    bool preferencesAccept = false;
    std::function<void(PreferencesValues&)> editPreferences;
    std::function<void(ShutdownScheduleValues&)> editSchedule;
    std::function<void()> whileCountdownOpen;

    bool RunPreferences(PreferencesValues& values) override {
        ++preferencesRuns;
        if (editPreferences) editPreferences(values);
        return preferencesAccept;
    }
    void RunShutdownSchedule(ShutdownScheduleValues& values) override {
        ++shutdownRuns;
        if (editSchedule) editSchedule(values);
    }
    void RunShutdownCountdown() override {
        ++countdownRuns;
        if (whileCountdownOpen) whileCountdownOpen();
    }
    bool IsLogViewVisible() override { return logViewVisible; }
    void RunLogView(const std::string& text) override {
        ++logViewRuns;
        logViewText = text;
    }
    void RefreshLogView(const std::string& text) override {
        ++logViewRefreshes;
        logViewText = text;
    }
    void RunCalendar() override { ++calendarRuns; }
    void RunAbout() override { ++aboutRuns; }
};

constexpr const char* kProgramDir = "C:\\Horvane\\";
constexpr const char* kConfigPath = "C:\\Horvane\\config.txt";
constexpr std::uint32_t kServerAddress = 0x7F000001;  // 127.0.0.1
constexpr const char* kServerList = "Local Lab, Here, Nowhere(127.0.0.1)?0";

// A main window on the fake backend, started as the program starts it.
class MainFrameTest : public ::testing::Test {
protected:
    FakePlatform platform;
    FakeDialogs dialogs;
    std::unique_ptr<CMainFrame> frame;

    MainFrameTest() { platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 59, 50, 250000)); }

    void Start(const std::string& config) {
        platform.files[kConfigPath] = config;
        frame = std::make_unique<CMainFrame>(platform, dialogs);
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
