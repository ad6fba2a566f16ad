#pragma once

namespace hv {

// Menu command ids; companions reach some of them through copy-data codes 31 to 37.
constexpr int kCmdSynchronizeTime = 32771;
constexpr int kCmdPreferences = 32773;
constexpr int kCmdChangeTimeZone = 32774;
constexpr int kCmdWorldClock = 32775;
constexpr int kCmdCalendar = 32776;
constexpr int kCmdHelp = 32777;
constexpr int kCmdShutDown = 32778;
constexpr int kCmdViewLog = 32779;
constexpr int kCmdRunAtStartup = 32780;
constexpr int kCmdExit = 32789;
constexpr int kCmdDateTimeBar = 32790;
constexpr int kCmdBell = 32793;
constexpr int kCmdAbout = 57664;

} // namespace hv
