#pragma once
#include "framework/DialogView.h"

namespace hv {

// A dialog's behaviour, one handler per kind of event, acting only through the view. The
// runner (Win32, or the fake in tests) creates the window from the template, calls the
// handlers on the user-interface thread and ends the run when the view is closed.
class Dialog {
public:
    virtual ~Dialog() = default;

    // The resource id of the dialog's template.
    virtual int TemplateId() const = 0;

    // An alarm must be seen: it opens topmost, centred on the work area of the monitor that
    // holds the cursor. Other dialogs open where their template puts them.
    virtual bool IsAlarm() const { return false; }
    // Whether the keyboard's close (Alt+F4) is ignored; Esc still arrives as Cancel.
    virtual bool IgnoresKeyboardClose() const { return false; }

    // The window and its controls exist; nothing is shown yet.
    virtual void OnInit(DialogView& /*view*/) {}
    // A control's command (a click, ...), or OK (Enter) or Cancel (Esc, close box). Returns
    // whether it was handled; OK and Cancel left unhandled close the dialog with their id.
    virtual bool OnCommand(DialogView& /*view*/, int /*controlId*/, int /*notifyCode*/) { return false; }
    // A common control's notification (trackbar, list view).
    virtual void OnNotify(DialogView& /*view*/, int /*controlId*/, int /*notifyCode*/) {}
    // A trackbar's thumb moved.
    virtual void OnScroll(DialogView& /*view*/, int /*controlId*/) {}
    virtual void OnTimer(DialogView& /*view*/, int /*timerId*/) {}
    // The window is going; its timers are stopped afterwards by the runner.
    virtual void OnDestroy(DialogView& /*view*/) {}
};

} // namespace hv
