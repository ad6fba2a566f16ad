#pragma once
#include "framework/DialogView.h"
#include "framework/DrawingSurface.h"
#include "framework/LinkControl.h"
#include "framework/PopupMenu.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace hv {

// List view looks a dialog can ask for, as the system numbers them.
constexpr std::uint32_t kListGridLines = 0x1;
constexpr std::uint32_t kListFullRowSelect = 0x20;

// A point on the screen in physical pixels.
struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// Where a window opens: a remembered top-left corner, else the bottom-right corner of the
// primary screen's work area when asked, else where its template puts it. Wherever that is,
// the runner keeps the whole window on a screen.
struct OpeningPlace {
    std::optional<ScreenPoint> topLeft;
    bool bottomRightCorner = false;
};

struct ControlColours {
    Colour text = 0;
    Colour background = 0;
};

// The id ColoursOf is asked with for the dialog's own background.
constexpr int kDialogItself = 0;

// The longest copy-data text a dialog is handed; a longer record is refused unread.
constexpr std::size_t kMaxCopyDataText = 16 * 1024;

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
    // A control that covers the whole client area and follows its size; 0 for none.
    virtual int ClientFillingControl() const { return 0; }
    // Whether the window is sized so that its client area holds that control's smallest whole
    // view (a month calendar: one whole month) instead of keeping the template's size.
    virtual bool SizesWindowToControl() const { return false; }
    // Static controls shown as hyperlinks, bound to their windows before OnInit.
    virtual std::vector<LinkControl*> Links() { return {}; }

    // The window and its controls exist; nothing is shown yet.
    virtual void OnInit(DialogView& /*view*/) {}
    // A control's command (a click, ...), or OK (Enter) or Cancel (Esc, close box). Returns
    // whether it was handled; OK and Cancel left unhandled close the dialog with their id.
    // An item chosen from ContextMenu arrives here too.
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

    // --- a dialog that is a program's main window (the companions) ---------------------
    // A copy-data message from another process: its code and its text, which may hold any
    // bytes. Malformed records and texts above kMaxCopyDataText never arrive. Returns
    // whether the code was understood.
    virtual bool OnCopyData(DialogView& /*view*/, std::uintptr_t /*code*/, std::string_view /*text*/) { return false; }
    // Stays above every window that is not topmost itself.
    virtual bool StaysOnTop() const { return false; }
    // Has no caption: the user drags the window by any point of it.
    virtual bool MovesByBody() const { return false; }
    virtual OpeningPlace PlaceToOpen() { return {}; }
    // The user has moved the window; `topLeft` is where it now is.
    virtual void OnMoved(DialogView& /*view*/, ScreenPoint /*topLeft*/) {}
    // The menu of a right click (or Shift+F10); none when empty.
    virtual std::vector<MenuItem> ContextMenu() { return {}; }
    // Colours a static control (or the dialog, kDialogItself) is drawn in; nothing leaves the
    // system's. Asked again whenever the control is drawn.
    virtual std::optional<ControlColours> ColoursOf(int /*controlId*/) const { return std::nullopt; }
    // A multi-line edit whose view follows its last line whenever its text is set.
    virtual bool FollowsLastLine(int /*controlId*/) const { return false; }
};

} // namespace hv
