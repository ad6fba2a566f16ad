#pragma once
#include <cstdint>

namespace hv {

// What Horvane and its companions agree on: the titles by which they find each other's
// windows, how Horvane starts each companion, and the copy-data codes they exchange. Each
// side knows only this of the other.
constexpr const char* kMainWindowTitle = "panel";
constexpr const char* kSyncWindowTitle = "sync";
constexpr const char* kBarWindowTitle = "VistrelShow";

// The companions: their files in the program directory, and the argument each is started with.
struct CompanionProgram {
    const char* file;
    const char* argument;
};
constexpr CompanionProgram kBarProgram{"Vistrel.exe", "VistrelShow"};
constexpr CompanionProgram kSyncProgram{"Quorel.exe", "QuorelShow"};
constexpr CompanionProgram kWorldClockProgram{"Globrin.exe", "ChronvelShow"};

// Copy-data codes sent to the date-time bar.
constexpr std::uintptr_t kStatusOk = 0;
constexpr std::uintptr_t kStatusOutstanding = 1;
constexpr std::uintptr_t kStatusFailed = 2;
constexpr std::uintptr_t kCodeQuit = 3;
// No data: the bar reads its values (protocol/BarValues.h) again.
constexpr std::uintptr_t kCodeBarSettingsChanged = 21;

// Copy-data codes exchanged with the manual synchronisation window.
constexpr std::uintptr_t kCodeServerAddress = 10;
constexpr std::uintptr_t kCodeStartSync = 11;
constexpr std::uintptr_t kCodeStopSync = 12;
constexpr std::uintptr_t kCodeSyncResult = 13;

// Copy-data codes 31 to 37 invoke menu commands.
constexpr std::uintptr_t kCodePreferences = 31;
constexpr std::uintptr_t kCodeSynchronizeTime = 32;
constexpr std::uintptr_t kCodeWorldClock = 33;
constexpr std::uintptr_t kCodeCalendar = 34;
constexpr std::uintptr_t kCodeShutDown = 35;
constexpr std::uintptr_t kCodeHelp = 36;
constexpr std::uintptr_t kCodeViewLog = 37;

} // namespace hv
