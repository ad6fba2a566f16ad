#pragma once
#include "framework/DialogView.h"
#include "framework/DrawingSurface.h"

#include <cstdint>

namespace hv {

// List view looks a dialog can ask for, as the system numbers them.
constexpr std::uint32_t kListGridLines = 0x1;
constexpr std::uint32_t kListFullRowSelect = 0x20;

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
    // The look of a list view control (kList... bits), set before OnInit; 0 is the plain one.
    virtual std::uint32_t ListLook(int /*listId*/) const { return 0; }

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

    // Paints an owner-drawn control (one whose template style says so); false leaves it
    // to the system.
    virtual bool OnDrawItem(DialogView& /*view*/, const OwnerDrawItem& /*item*/, DrawingSurface& /*surface*/) {
        return false;
    }
    // The close box (or Alt+F4); false leaves it to the system, which cancels the dialog
    // unless its Cancel button is disabled.
    virtual bool OnClose(DialogView& /*view*/) { return false; }
};

} // namespace hv
