#include "app/HorvaneApp.h"

#include "app/MainFrame.h"

namespace hv {

namespace {
constexpr const char* kInstanceLockName = "Horvane";
constexpr const char* kTextNoSocketLayer = "Error to init socket!\r\nPlease make sure your computer has installed winsock!";
} // namespace

CHorvaneApp::CHorvaneApp(Platform& platform, DialogSeams& dialogs) : m_platform(platform), m_dialogs(dialogs) {}

CHorvaneApp::~CHorvaneApp() = default;

bool CHorvaneApp::InitInstance() {
    if (!m_platform.StartSocketLayer()) {
        m_platform.ShowMessageBox(kTextNoSocketLayer);
        return false;
    }
    // One create, judged by its "already exists" answer: two instances started together
    // cannot both pass, as they could with a separate open and create.
    if (m_platform.AcquireInstanceLock(kInstanceLockName) != InstanceLock::Acquired) return false;
    m_holdsInstanceLock = true;

    m_mainFrame = std::make_unique<CMainFrame>(m_platform, m_dialogs);
    m_mainFrame->Create();
    m_mainFrame->OnStartup();
    return true;
}

int CHorvaneApp::ExitInstance(int loopExitCode) {
    // The window is gone; the frame's destructor writes the settings.
    m_mainFrame.reset();
    if (m_holdsInstanceLock) m_platform.ReleaseInstanceLock();
    m_holdsInstanceLock = false;
    m_platform.StopSocketLayer();
    return loopExitCode;
}

int CHorvaneApp::Run() {
    if (!InitInstance()) {
        m_platform.StopSocketLayer();
        return 0;
    }
    return ExitInstance(m_platform.RunMessageLoop());
}

} // namespace hv
