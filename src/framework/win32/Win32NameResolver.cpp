#include "framework/win32/Win32NameResolver.h"

#include "framework/win32/MessageWindow.h"
#include "framework/win32/Utf16.h"

#include <algorithm>
#include <deque>

namespace hv {
namespace {

constexpr const wchar_t* kResolverWindowClass = L"HorvaneNameResolver";
constexpr UINT kLookupDoneMessage = WM_APP;

struct Request {
    std::uint64_t id;
    std::wstring host;
};

struct Answer {
    std::uint64_t id;
    std::vector<IpAddress> addresses;
};

} // namespace

struct Win32NameResolver::Queue {
    Queue() {
        InitializeCriticalSection(&lock);
        wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    ~Queue() {
        if (wake != nullptr) CloseHandle(wake);
        DeleteCriticalSection(&lock);
    }
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    CRITICAL_SECTION lock;
    HANDLE wake = nullptr;
    HWND window = nullptr;
    std::deque<Request> requests;
    bool stopping = false;
};

class Win32NameResolver::Pending final : public PendingLookup {
public:
    Pending(Win32NameResolver& owner, std::uint64_t id) : m_owner(owner), m_id(id) {}
    ~Pending() override { m_owner.Abandon(m_id); }
    Pending(const Pending&) = delete;
    Pending& operator=(const Pending&) = delete;

private:
    Win32NameResolver& m_owner;
    std::uint64_t m_id;
};

std::vector<IpAddress> LookUpHost(const std::wstring& host) {
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(host.c_str(), nullptr, &hints, &found) != 0) return {};
    std::vector<IpAddress> addresses;
    for (const ADDRINFOW* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_addr == nullptr) continue;
        const std::optional<IpEndpoint> endpoint = EndpointOf(entry->ai_addr);
        if (endpoint && std::find(addresses.begin(), addresses.end(), endpoint->address) == addresses.end()) {
            addresses.push_back(endpoint->address);
        }
    }
    FreeAddrInfoW(found);
    return addresses;
}

Win32NameResolver::Win32NameResolver(HINSTANCE instance) : m_instance(instance) {}

Win32NameResolver::~Win32NameResolver() {
    if (m_queue) {
        EnterCriticalSection(&m_queue->lock);
        m_queue->stopping = true;
        m_queue->requests.clear();
        m_queue->window = nullptr;
        LeaveCriticalSection(&m_queue->lock);
        SetEvent(m_queue->wake);
    }
    // A worker stuck in a look-up is not waited for: it ends on its own, holding its share
    // of the queue, and posts nowhere.
    if (m_worker != nullptr) CloseHandle(m_worker);
    if (m_window != nullptr) DestroyWindow(m_window);
}

bool Win32NameResolver::EnsureStarted() {
    if (m_worker != nullptr) return true;
    if (m_window == nullptr) {
        m_window = CreateMessageWindow(m_instance, kResolverWindowClass, &Win32NameResolver::WindowProc, this);
        if (m_window == nullptr) return false;
    }
    m_queue = std::make_shared<Queue>();
    if (m_queue->wake == nullptr) return false;
    m_queue->window = m_window;
    auto* share = new std::shared_ptr<Queue>(m_queue);
    m_worker = CreateThread(nullptr, 0, &Win32NameResolver::Work, share, 0, nullptr);
    if (m_worker == nullptr) {
        delete share;
        m_queue.reset();
        return false;
    }
    return true;
}

std::unique_ptr<PendingLookup> Win32NameResolver::StartLookup(std::string_view host, LookupEvents& events) {
    if (host.empty() || !EnsureStarted()) return nullptr;
    const std::uint64_t id = m_nextId++;
    EnterCriticalSection(&m_queue->lock);
    m_queue->requests.push_back(Request{id, Widen(host)});
    LeaveCriticalSection(&m_queue->lock);
    SetEvent(m_queue->wake);
    m_waiting[id] = &events;
    return std::make_unique<Pending>(*this, id);
}

void Win32NameResolver::Abandon(std::uint64_t id) {
    if (m_waiting.erase(id) == 0 || !m_queue) return;
    // Not yet begun: it never will be.
    EnterCriticalSection(&m_queue->lock);
    std::erase_if(m_queue->requests, [id](const Request& request) { return request.id == id; });
    LeaveCriticalSection(&m_queue->lock);
}

DWORD WINAPI Win32NameResolver::Work(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Queue>> share(static_cast<std::shared_ptr<Queue>*>(parameter));
    Queue& queue = **share;
    for (;;) {
        WaitForSingleObject(queue.wake, INFINITE);
        for (;;) {
            EnterCriticalSection(&queue.lock);
            if (queue.stopping || queue.requests.empty()) {
                const bool stopping = queue.stopping;
                LeaveCriticalSection(&queue.lock);
                if (stopping) return 0;
                break;
            }
            Request request = std::move(queue.requests.front());
            queue.requests.pop_front();
            LeaveCriticalSection(&queue.lock);

            auto answer = std::make_unique<Answer>(Answer{request.id, LookUpHost(request.host)});
            EnterCriticalSection(&queue.lock);
            const HWND window = queue.window;
            LeaveCriticalSection(&queue.lock);
            if (window != nullptr &&
                PostMessageW(window, kLookupDoneMessage, 0, reinterpret_cast<LPARAM>(answer.get())) != 0) {
                answer.release(); // the window's now
            }
        }
    }
}

LRESULT CALLBACK Win32NameResolver::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = MessageWindowOwner<Win32NameResolver>(window);
    if (message == kLookupDoneMessage) {
        if (self != nullptr) {
            self->Deliver(lParam);
        } else {
            delete reinterpret_cast<Answer*>(lParam);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32NameResolver::Deliver(LPARAM posted) {
    const std::unique_ptr<Answer> answer(reinterpret_cast<Answer*>(posted));
    const auto waiting = m_waiting.find(answer->id);
    if (waiting == m_waiting.end()) return; // abandoned meanwhile
    LookupEvents* const events = waiting->second;
    m_waiting.erase(waiting);
    events->OnLookupDone(answer->addresses);
}

} // namespace hv
