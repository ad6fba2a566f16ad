#pragma once
#include "framework/WindowsRole.h"

#include <cstdint>
#include <string_view>

namespace hv {

// The longest wait for another program's window to take a message. Windows counts a
// window as hung after five seconds without reading its messages and then answers at once;
// this bounds the wait for one not yet known to be hung.
constexpr unsigned kSendTimeoutMs = 3000;

// Messages to the windows of other programs (the companions, another copy of the program).
class MessagingRole {
public:
    virtual ~MessagingRole() = default;

    virtual WindowId FindWindowByTitle(std::string_view title) = 0;
    // WM_COPYDATA without naming a sender; text without terminating zero. It waits for the
    // receiver, but kSendTimeoutMs at most, so that a hung window (found only by its title, it
    // may not even be ours) cannot stop the program; false when the window did not take the
    // message in that time.
    virtual bool SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) = 0;
    // WM_COMMAND, queued: returns at once and the window handles it when it next reads its
    // messages. False when it could not be queued.
    virtual bool PostCommand(WindowId to, int commandId) = 0;
};

} // namespace hv
