#pragma once
#include "framework/HeadlessPlatform.h"
#include "framework/win32/Win32Api.h"
#include "framework/win32/Win32Clock.h"
#include "framework/win32/Win32Files.h"
#include "framework/win32/Win32Network.h"
#include "framework/win32/Win32Process.h"
#include "framework/win32/Win32Registry.h"

namespace hv {

// The headless roles on the real system, one class per role, for the time service and the
// console tools; the desktop program's Win32Platform builds on it. Nothing here needs the
// shell, common controls, dialogs, drawing or sound libraries.
class Win32HeadlessPlatform : public virtual HeadlessPlatform,
                              public Win32Clock,
                              public Win32Files,
                              public Win32Registry,
                              public Win32Network,
                              public Win32Process {
public:
    explicit Win32HeadlessPlatform(HINSTANCE instance) : Win32Network(instance) {}
};

} // namespace hv
