#pragma once
#include <string>
#include <string_view>

namespace hv {

// The timers of a dialog that measures a time server, and their periods: every measurement
// sends one request, polls for its reply once a second and gives it ten seconds.
constexpr int kReplyTimeoutTimer = 102;
constexpr int kReplyPollTimer = 104;
constexpr int kFindBestStepTimer = 203;
constexpr unsigned kReplyTimeoutMs = 10000;
constexpr unsigned kReplyPollMs = 1000;
constexpr unsigned kFindBestStepMs = 1000;

constexpr const char* kTextSocketError = "Error to create socket!";

// Whether a title or address can be stored in the encoded server list, whose entries are
// built from "(", ")" and "?".
bool IsStorableServerText(std::string_view text);

} // namespace hv
