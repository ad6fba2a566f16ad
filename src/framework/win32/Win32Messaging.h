#pragma once
#include "framework/MessagingRole.h"

namespace hv {

// Messages to other programs' windows, each send bounded by kSendTimeoutMs.
class Win32Messaging : public virtual MessagingRole {
public:
    WindowId FindWindowByTitle(std::string_view title) override;
    bool SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) override;
    bool PostCommand(WindowId to, int commandId) override;
};

} // namespace hv
