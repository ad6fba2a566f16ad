#pragma once
#include "framework/win32/Win32Api.h"
#include "timeservice/TimeServiceLink.h"

namespace hv {

// The tray program's end of the time service's pipe. It opens the pipe only while the
// service runs, refuses to talk to any process but the service (see IsGenuineTimeService),
// and never lets the server act as the user: the pipe is opened for identification only.
// Reads never block: PollReply peeks first.
class Win32TimeServiceLink final : public TimeServiceLink {
public:
    Win32TimeServiceLink() = default;
    ~Win32TimeServiceLink() override { Close(); }
    Win32TimeServiceLink(const Win32TimeServiceLink&) = delete;
    Win32TimeServiceLink& operator=(const Win32TimeServiceLink&) = delete;

    Opened Open() override;
    bool Send(std::span<const std::uint8_t> message) override;
    Poll PollReply() override;
    void Close() override;

private:
    HANDLE m_pipe = INVALID_HANDLE_VALUE;
};

} // namespace hv
