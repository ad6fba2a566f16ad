#pragma once
#include "framework/NameResolver.h"
#include "framework/win32/Win32Api.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hv {

// A socket address of either family as the program holds it; nothing for another family.
std::optional<IpEndpoint> EndpointOf(const sockaddr* address);
// GetAddrInfoW, both families, in the order the system gives them. Blocks for as long as
// the system's resolver takes.
std::vector<IpAddress> LookUpHost(const std::wstring& host);

// Looks names up one after the other on a worker thread of its own and hands each answer to
// the user-interface thread as a message to a hidden window of its own, where it is given to
// its owner, unless the owner has abandoned the look-up meanwhile. The worker only ever
// touches the queue it shares with this object, so a look-up that never ends holds up the
// later ones but nothing else, and the program can end while one is still running.
class Win32NameResolver final : public NameResolver {
public:
    explicit Win32NameResolver(HINSTANCE instance);
    ~Win32NameResolver() override;
    Win32NameResolver(const Win32NameResolver&) = delete;
    Win32NameResolver& operator=(const Win32NameResolver&) = delete;

    std::unique_ptr<PendingLookup> StartLookup(std::string_view host, LookupEvents& events) override;

private:
    struct Queue;
    class Pending;

    bool EnsureStarted();
    void Abandon(std::uint64_t id);
    void Deliver(LPARAM answer);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI Work(void* queue);

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    std::shared_ptr<Queue> m_queue;
    HANDLE m_worker = nullptr;
    std::map<std::uint64_t, LookupEvents*> m_waiting;
    std::uint64_t m_nextId = 1;
};

} // namespace hv
