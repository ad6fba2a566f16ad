#pragma once
#include "settings/BarSettings.h"

#include <cstdint>

namespace hv {

// Window titles by which the programs of the suite find each other (the bar's, with its
// settings, in settings/BarSettings.h).
constexpr const char* kMainWindowTitle = "panel";
constexpr const char* kSyncWindowTitle = "sync";

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
constexpr std::uintptr_t kFirstCommandCode = kCodePreferences;
constexpr std::uintptr_t kLastCommandCode = kCodeViewLog;

// The menu command a copy-data code stands for; 0 when it stands for none.
int CommandForCopyDataCode(std::uintptr_t code);

// Time stamps of the companion texts and the log.
constexpr const char* kCompanionStampFormat = "(%H:%M:%S %m-%d-%Y):\r\n";
constexpr const char* kStopStampFormat = "(%H:%M:%S %m-%d-%Y):";

// Texts for the manual synchronisation window.
constexpr const char* kTextSyncRunning = "Synch is running,please retry later.\r\n";
constexpr const char* kTextRequestSent = "Succed to Send Request Data to Time Server!\r\n";
constexpr const char* kTextRequestFailed = "Failed to Send Request Data to Time Server!\r\n";
constexpr const char* kTextSyncStopped = "Stop Sycn Process.\r\n";
constexpr const char* kTextNoResponse = "Time Server doesn't send response data back!\r\n";

// Message texts shared by the log and the companion.
constexpr const char* kFormatDelayOffset = "Net delay:%.3f sec,localtime off:%.3f sec.\r\n";
constexpr const char* kFormatAdjusted = "Complete to adjust time,adjust size:%.3fsec.\r\n";

// Log-only texts around the server address.
constexpr const char* kLogRequestSent = "Succed to Send Request Data to ";
constexpr const char* kLogRequestFailed = "Failed to Send Request Data to ";
constexpr const char* kLogAddressEnd = "!\r\n";
constexpr const char* kLogNoResponse = " doesn't send response data back!\r\n";

} // namespace hv
