#include "app/HorvaneApp.h"

#include "app/MainFrame.h"

namespace hv {

namespace {
constexpr const char* kInstanceLockName = "Horvane";
constexpr const char* kTextNoSocketLayer =
    "Error to init socket!\r\nPlease make sure your computer has installed winsock!";
} // namespace

CHorvaneApp::CHorvaneApp(Platform& platform, TimeServiceLink* timeService)
    : m_platform(platform), m_timeService(timeService) {}

CHorvaneApp::~CHorvaneApp() = default;

bool CHorvaneApp::InitInstance() {
    m_socketLayer = m_platform.StartSocketLayer();
    if (!m_socketLayer) {
        m_platform.ShowMessageBox(kTextNoSocketLayer);
        return false;
    }
    // One create, judged by its "already exists" answer: two instances started together
    // cannot both pass, as they could with a separate open and create.
    m_instanceLock = m_platform.AcquireInstanceLock(kInstanceLockName);
    if (!m_instanceLock) return false;

    m_mainFrame = std::make_unique<CMainFrame>(m_platform, m_timeService);
    m_mainFrame->Create();
    m_mainFrame->OnStartup();
    return true;
}

int CHorvaneApp::ExitInstance(int loopExitCode) {
    m_mainFrame.reset();
    m_instanceLock.reset();
    m_socketLayer.reset();
    return loopExitCode;
}

int CHorvaneApp::Run() {
    if (!InitInstance()) return ExitInstance(0);
    return ExitInstance(m_platform.RunMessageLoop());
}

} // namespace hv
