#pragma once
#include "framework/Platform.h"
#include "timeservice/TimeServiceLink.h"

#include <memory>

namespace hv {

class CMainFrame;

// The application object: one per process. Run() is the whole life of the program.
class CHorvaneApp {
public:
    // The link, when given, reaches the time service (see CMainFrame).
    explicit CHorvaneApp(Platform& platform, TimeServiceLink* timeService = nullptr);
    ~CHorvaneApp();
    CHorvaneApp(const CHorvaneApp&) = delete;
    CHorvaneApp& operator=(const CHorvaneApp&) = delete;

    // False ends the process at once (no socket layer, or another instance runs).
    bool InitInstance();
    // Destroys the main window's object (which saves the settings), then lets go of the
    // instance lock and the socket layer.
    int ExitInstance(int loopExitCode);
    // InitInstance, the message loop, ExitInstance; returns the process exit code.
    int Run();

    CMainFrame* MainFrame() { return m_mainFrame.get(); }

private:
    Platform& m_platform;
    TimeServiceLink* m_timeService;
    // Released in the reverse order: the frame first, the socket layer last.
    Held m_socketLayer;
    Held m_instanceLock;
    std::unique_ptr<CMainFrame> m_mainFrame;
};

} // namespace hv
