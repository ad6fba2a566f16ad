#pragma once
#include "app/DialogSeams.h"
#include "framework/Platform.h"

#include <memory>

namespace hv {

class CMainFrame;

// The application object: one per process. Run() is the whole life of the program.
class CHorvaneApp {
public:
    CHorvaneApp(Platform& platform, DialogSeams& dialogs);
    ~CHorvaneApp();
    CHorvaneApp(const CHorvaneApp&) = delete;
    CHorvaneApp& operator=(const CHorvaneApp&) = delete;

    // False ends the process at once (no socket layer, or another instance runs).
    bool InitInstance();
    int ExitInstance(int loopExitCode);
    // InitInstance, the message loop, ExitInstance; returns the process exit code.
    int Run();

    CMainFrame* MainFrame() { return m_mainFrame.get(); }

private:
    Platform& m_platform;
    DialogSeams& m_dialogs;
    bool m_holdsInstanceLock = false;
    std::unique_ptr<CMainFrame> m_mainFrame;
};

} // namespace hv
