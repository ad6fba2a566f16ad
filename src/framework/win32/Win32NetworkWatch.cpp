#include "framework/win32/Win32NetworkWatch.h"

#include <iphlpapi.h>
#include <netioapi.h>

#include <vector>

namespace hv {
namespace {

// NL_NETWORK_CONNECTIVITY_LEVEL_HINT: 1 none, 2 local access only, 3 Internet access,
// 4 constrained Internet access (a captive portal); 0 unknown and 5 hidden say nothing.
constexpr int kLevelNone = 1;
constexpr int kLevelLocalAccess = 2;
constexpr int kLevelInternetAccess = 3;
constexpr int kLevelConstrainedInternetAccess = 4;
constexpr ULONG kAdapterFlags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                                GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
constexpr ULONG kFirstAdapterBufferBytes = 16 * 1024;
constexpr int kAdapterBufferAttempts = 3;

template <typename Function>
Function ProcOf(HMODULE module, const char* name) {
    // Through the generic function type, which converts to any other without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace

Win32NetworkWatch::Win32NetworkWatch(HWND window, UINT message) : m_window(window), m_message(message) {
    // Loaded from the system folder at run time: an import would be looked for beside the
    // program first, where anyone who can write to a portable copy's folder could plant it.
    m_helper = LoadLibraryExW(L"iphlpapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (m_helper == nullptr) return;
    m_cancel = ProcOf<CancelChange>(m_helper, "CancelMibChangeNotify2");
    m_adapters = ProcOf<AdaptersAddresses>(m_helper, "GetAdaptersAddresses");
    if (m_cancel == nullptr) return;
    using HintChange = LONG(WINAPI*)(void(WINAPI*)(void*, Hint), void*, BOOLEAN, HANDLE*);
    if (const auto notify = ProcOf<HintChange>(m_helper, "NotifyNetworkConnectivityHintChange")) {
        if (notify(&Win32NetworkWatch::OnHint, this, FALSE, &m_notification) == NO_ERROR) return;
        m_notification = nullptr;
    }
    using InterfaceChange = LONG(WINAPI*)(ADDRESS_FAMILY, void(WINAPI*)(void*, void*, int), void*, BOOLEAN, HANDLE*);
    const auto notify = ProcOf<InterfaceChange>(m_helper, "NotifyIpInterfaceChange");
    if (m_adapters == nullptr || notify == nullptr ||
        notify(AF_UNSPEC, &Win32NetworkWatch::OnInterfaceChange, this, FALSE, &m_notification) != NO_ERROR) {
        m_notification = nullptr;
    }
}

Win32NetworkWatch::~Win32NetworkWatch() {
    // Returns once no callback runs any more.
    if (m_notification != nullptr) m_cancel(m_notification);
    if (m_helper != nullptr) FreeLibrary(m_helper);
}

void Win32NetworkWatch::Post(bool connected) const { PostMessageW(m_window, m_message, connected ? 1 : 0, 0); }

void WINAPI Win32NetworkWatch::OnHint(void* context, Hint hint) {
    const auto* self = static_cast<const Win32NetworkWatch*>(context);
    if (hint.level == kLevelInternetAccess || hint.level == kLevelConstrainedInternetAccess) self->Post(true);
    if (hint.level == kLevelNone || hint.level == kLevelLocalAccess) self->Post(false);
}

void WINAPI Win32NetworkWatch::OnInterfaceChange(void* context, void* /*row*/, int /*type*/) {
    const auto* self = static_cast<const Win32NetworkWatch*>(context);
    self->Post(self->AnyInterfaceWithGateway());
}

bool Win32NetworkWatch::AnyInterfaceWithGateway() const {
    ULONG size = kFirstAdapterBufferBytes;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < kAdapterBufferAttempts && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = m_adapters(AF_UNSPEC, kAdapterFlags, nullptr, buffer.data(), &size);
    }
    if (result != NO_ERROR) return false;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
        if (adapter->OperStatus == IfOperStatusUp && adapter->IfType != IF_TYPE_SOFTWARE_LOOPBACK &&
            adapter->FirstGatewayAddress != nullptr) {
            return true;
        }
    }
    return false;
}

} // namespace hv
