#include "timeservice/win32/Win32EventJournal.h"

#include "framework/win32/Utf16.h"
#include "timeservice/ServiceIdentity.h"

#include <string>

namespace hv {
namespace {

WORD EventType(ServiceJournal::Kind kind) {
    switch (kind) {
    case ServiceJournal::Kind::Information: return EVENTLOG_INFORMATION_TYPE;
    case ServiceJournal::Kind::Warning: return EVENTLOG_WARNING_TYPE;
    case ServiceJournal::Kind::Error: return EVENTLOG_ERROR_TYPE;
    }
    return EVENTLOG_INFORMATION_TYPE;
}

} // namespace

Win32EventJournal::Win32EventJournal() : m_source(RegisterEventSourceW(nullptr, Widen(kTimeServiceName).c_str())) {}

Win32EventJournal::~Win32EventJournal() {
    if (m_source != nullptr) DeregisterEventSource(m_source);
}

void Win32EventJournal::Write(Kind kind, std::string_view text) {
    const std::wstring wide = Widen(text);
    OutputDebugStringW((wide + L"\n").c_str());
    if (m_source == nullptr) return;
    LPCWSTR strings[] = {wide.c_str()};
    ReportEventW(m_source, EventType(kind), 0, kEventTextMessageId, nullptr, 1, 0, strings, nullptr);
}

} // namespace hv
