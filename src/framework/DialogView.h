#pragma once
#include "framework/Colour.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

class Dialog;

// The buttons every dialog knows: OK (also Enter) and Cancel (also Esc and the close box).
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Notification codes the dialogs react to, as the system numbers them.
constexpr int kNotifyClicked = 0;            // BN_CLICKED, in a command
constexpr int kNotifyReleasedCapture = -16;  // NM_RELEASEDCAPTURE: a trackbar let go
constexpr int kNotifyCustomDraw = -12;       // NM_CUSTOMDRAW: a trackbar redrawn
constexpr int kNotifyListItemChanged = -101; // LVN_ITEMCHANGED: a list row's state changed

struct ListColumn {
    std::string header;
    int width = 0; // pixels at 96 DPI
    bool operator==(const ListColumn&) const = default;
};

enum class MessageIcon { None, Information, Exclamation, Error };

// One open dialog window as its behaviour sees it: controls addressed by id. The Win32
// runner implements it over the real window; the fake backend keeps each control's state
// so that a test can click, type and read. It is the same size for every dialog: a new
// dialog adds handlers, never methods here.
class DialogView {
public:
    // --- any control -------------------------------------------------------------------
    virtual std::string Text(int id) = 0;
    virtual void SetText(int id, std::string_view text) = 0;
    virtual bool IsChecked(int id) = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual void Enable(int id, bool enabled) = 0;
    virtual void Show(int id, bool visible) = 0;
    virtual void Focus(int id) = 0;

    // --- trackbar ----------------------------------------------------------------------
    // Arrow keys move the thumb by lineSize.
    virtual void SetTrackbarRange(int id, int minimum, int maximum, int lineSize) = 0;
    virtual int TrackbarPosition(int id) = 0;
    // A position outside the range lands on its nearer end.
    virtual void SetTrackbarPosition(int id, int position) = 0;

    // --- list view (report style) --------------------------------------------------------
    virtual void SetListColumns(int id, const std::vector<ListColumn>& columns) = 0;
    // The small images of the rows, from bitmap resources whose magenta is transparent.
    virtual void SetListImages(int id, const std::vector<int>& bitmapIds) = 0;
    virtual int ListRowCount(int id) = 0;
    // Appends a row (its cells from the first column on, image -1 for none).
    virtual void AddListRow(int id, const std::vector<std::string>& cells, int image = -1) = 0;
    virtual void DeleteListRow(int id, int row) = 0;
    virtual void ClearList(int id) = 0;
    virtual std::string ListCell(int id, int row, int column) = 0;
    virtual void SetListCell(int id, int row, int column, std::string_view text) = 0;
    // -1 when no row is selected.
    virtual int SelectedListRow(int id) = 0;
    virtual void SelectListRow(int id, int row) = 0;

    // --- the dialog itself ---------------------------------------------------------------
    virtual void SetTimer(int timerId, unsigned periodMs) = 0;
    virtual void KillTimer(int timerId) = 0;
    // Ends the dialog; its run returns `result`.
    virtual void Close(int result) = 0;
    // Runs another dialog modally over this one (which is disabled meanwhile) and returns
    // the result it closed with.
    virtual int RunModalChild(Dialog& child) = 0;
    // A message box with an OK button, owned by the dialog.
    virtual void ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::None) = 0;
    // The common file-open dialog, with one filter; the chosen full path, or nothing.
    virtual std::optional<std::string> PickFileToOpen(std::string_view filterName, std::string_view pattern) = 0;
    // The common colour chooser starting from `initial`; the chosen colour, or nothing.
    virtual std::optional<Colour> PickColour(Colour initial) = 0;

protected:
    ~DialogView() = default;
};

} // namespace hv
