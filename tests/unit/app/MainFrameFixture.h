#pragma once
#include "app/CommandIds.h"
#include "app/HorvaneApp.h"
#include "app/MainFrame.h"
#include "framework/fake/FakePlatform.h"
#include "protocol/CompanionProtocol.h"
#include "res/resource.h"
#include "settings/SettingsFile.h"
#include "sync/NtpTime.h"
#include "sync/SntpTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace hv::testing {

constexpr const char* kProgramDir = "C:\\Horvane\\";
constexpr const char* kConfigPath = "C:\\Horvane\\config.txt";
constexpr std::uint32_t kLabAddress = 0x7F000001; // 127.0.0.1
constexpr const char* kServerList = "Local Lab, Here, Nowhere(127.0.0.1)?0";

// A main window on the fake backend, started as the program starts it.
class MainFrameTest : public ::testing::Test {
protected:
    FakePlatform platform;
    std::unique_ptr<CMainFrame> frame;
    TimeServiceLink* timeService = nullptr; // none: every run is in-process

    MainFrameTest() { platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 59, 50, 250000)); }

    void Start(const std::string& config) {
        frame.reset();
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

    // Inside the schedule dialog: `mode` (IDC_AFTER or IDC_AT) set to hour:minute:second, activated.
    static void Arm(FakeDialogView& view, int mode, int hour, int minute, int second) {
        const int firstEdit = mode == IDC_AFTER ? IDC_AFTER_HOUR : IDC_AT_HOUR;
        view.Click(mode);
        view.Type(firstEdit, std::to_string(hour));
        view.Type(firstEdit + 1, std::to_string(minute));
        view.Type(firstEdit + 2, std::to_string(second));
        view.Click(IDC_ACTIVATE);
    }
    // Through the schedule dialog, closed with OK.
    void ArmSchedule(int mode, int hour, int minute, int second) {
        platform.dialogScripts[IDD_SHUTDOWN] = [=](FakeDialogView& view) {
            Arm(view, mode, hour, minute, second);
            view.PressEnter();
        };
        frame->OnCommand(kCmdShutDown);
        platform.dialogScripts.erase(IDD_SHUTDOWN);
        platform.dialogsRun.clear();
    }
    void ArmDelay(int seconds) { ArmSchedule(IDC_AFTER, 0, 0, seconds); }

    // The log as its view shows it, each row back in the log's own form: kind letter,
    // stamp, "):", message.
    std::string Log() {
        std::string text;
        platform.dialogScripts[IDD_LOGVIEW] = [&](FakeDialogView& view) {
            const auto& list = view.List(IDC_LOG_LIST);
            for (std::size_t i = 0; i < list.rows.size(); ++i) {
                text += (list.rowImages[i] == 0 ? "E" : "C") + list.rows[i][0] + "):" + list.rows[i][1] + "\r\n";
            }
        };
        frame->OnCommand(kCmdViewLog);
        platform.dialogScripts.erase(IDD_LOGVIEW);
        platform.dialogsRun.pop_back();
        return text;
    }
    // What the log gained since it read `before`.
    std::string LogSince(const std::string& before) { return Log().substr(before.size()); }

    // The server the runs ask, as the "sync" window hears it.
    std::string ServerAsked() {
        auto& sync = Companion(kSyncWindowTitle);
        frame->OnCopyData(kCodeServerAddress);
        std::string address = sync.received.back().text;
        sync.received.pop_back();
        return address;
    }

    // The settings as the end of the session writes them.
    std::string Saved() {
        frame->OnEndSession();
        return Config();
    }

    Settings SavedSettings() {
        Settings settings;
        ParseSettingsText(Saved(), kProgramDir, settings);
        return settings;
    }

    std::string Config() { return platform.files[kConfigPath]; }
};

// With the sync window and the bar open and 127.0.0.1 as the server.
class SyncRunFixture : public MainFrameTest {
protected:
    FakePlatform::FakeWindow* sync = nullptr;
    FakePlatform::FakeWindow* bar = nullptr;

    void SetUp() override {
        StartQuiet();
        sync = &Companion(kSyncWindowTitle);
        bar = &Companion(kBarWindowTitle);
    }

    // Automatic runs are scheduled but fall due only after half an hour; the server is the
    // list's default, 127.0.0.1.
    void StartQuiet(const std::string& extra = {}) { MainFrameTest::StartQuiet("[auto]=1\r\n[diff]=0\r\n" + extra); }

    std::vector<std::uintptr_t> BarStatuses() const { return Codes(*bar); }

    // The reference server, its clock `offset` seconds ahead, answers the last request
    // after `roundTripMs` on a symmetric path.
    void AnswerAfter(int roundTripMs, double offset) {
        platform.AdvanceMs(roundTripMs / 2);
        const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes bytes = ReplyTo(platform.sent.back().bytes, now + offset, now + offset);
        platform.AdvanceMs(roundTripMs - roundTripMs / 2);
        platform.Deliver(Datagram{{bytes.begin(), bytes.end()}, {kLabAddress, kNtpPort}});
    }
};

} // namespace hv::testing
