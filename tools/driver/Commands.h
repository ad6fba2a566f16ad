#pragma once
#include <string>
#include <vector>

namespace driver {

// Exit codes shared by every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // window not found, wait timed out, menu not readable
constexpr int kExitUsage = 2;

using Arguments = std::vector<std::string>; // the words after the subcommand

int RunFind(const Arguments& args);
int RunWait(const Arguments& args);
int RunWaitGone(const Arguments& args);
int RunCount(const Arguments& args);
int RunStyles(const Arguments& args);
int RunCopyData(const Arguments& args);
int RunCopyDataNull(const Arguments& args);
int RunCopyDataBadLength(const Arguments& args);
int RunCommand(const Arguments& args);
int RunClose(const Arguments& args);
int RunPostClose(const Arguments& args);
int RunEndSession(const Arguments& args);
int RunMessage(const Arguments& args);
int RunPost(const Arguments& args);
int RunTrayNotify(const Arguments& args);
int RunTrayIcons(const Arguments& args);
// Opens a file without sharing it, says "held=1" and keeps it so for SECONDS, as a virus
// scanner or a backup program may.
int RunHoldFile(const Arguments& args);

} // namespace driver
