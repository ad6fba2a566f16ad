#pragma once
#include "framework/win32/Win32Api.h"
#include "timeservice/ServiceJournal.h"

namespace hv {

// The service's journal in the Application event log, under the source "HorvaneTime"
// that install registers (its message table, in HorvaneTime.exe, shows each entry's text
// as it was written).
class Win32EventJournal final : public ServiceJournal {
public:
    Win32EventJournal();
    ~Win32EventJournal();
    Win32EventJournal(const Win32EventJournal&) = delete;
    Win32EventJournal& operator=(const Win32EventJournal&) = delete;

    void Write(Kind kind, std::string_view text) override;

private:
    HANDLE m_source;
};

// The key under which the event log finds the service's messages.
constexpr const char* kEventSourceKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\HorvaneTime";
// The one message of the service's message table: "%1", the entry's own text.
constexpr DWORD kEventTextMessageId = 1;

} // namespace hv
