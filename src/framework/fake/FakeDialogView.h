#pragma once
#include "framework/Dialog.h"
#include "framework/DialogView.h"
#include "framework/fake/DialogTemplates.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hv {

class FakeDialogs;

// A dialog window in memory: every control of the dialog's template with its text, check,
// enabled and visible state, trackbar and list view, driven by a test as a user drives the
// real one (Click, Type, DragTrackbar, SelectRow, PressEnter, PressEscape, PressAltF4). Its
// timers run on the fake platform's clock, together with the main window's.
class FakeDialogView final : public DialogView {
public:
    struct ListState {
        std::vector<ListColumn> columns;
        std::vector<int> images;
        std::vector<std::vector<std::string>> rows;
        std::vector<int> rowImages;
        int selected = -1;
        std::uint32_t look = 0; // the kList... bits the dialog asked for
    };
    struct ControlState {
        ControlTemplate declared;
        std::string text;
        bool checked = false;
        bool enabled = true;
        bool visible = true;
        int trackMin = 0, trackMax = 100, trackLine = 1, trackPosition = 0;
        ListState list;
    };

    FakeDialogView(FakeDialogs& dialogs, Dialog& dialog);
    ~FakeDialogView();
    FakeDialogView(const FakeDialogView&) = delete;
    FakeDialogView& operator=(const FakeDialogView&) = delete;

    // --- a test's hands --------------------------------------------------------------------
    void Open();
    // Clicks a button, check box or radio button as a user does; false (and nothing
    // happens) when the control is disabled or hidden, as no user could click it.
    bool Click(int id);
    // Replaces an edit's text as typing would; false for a disabled or read-only edit.
    bool Type(int id, std::string_view text);
    bool DragTrackbar(int id, int position);
    bool SelectRow(int id, int row);
    void PressEnter() { Command(kIdOk); }
    void PressEscape() { Command(kIdCancel); }
    // The keyboard's close, which the dialog manager turns into Cancel.
    void PressAltF4() {
        if (!m_dialog.IgnoresKeyboardClose()) Command(kIdCancel);
    }
    void FireTimer(int timerId);
    // Another process's copy-data message, refused as the real runner refuses it when too
    // long; returns whether the dialog understood it.
    bool ReceiveCopyData(std::uintptr_t code, std::string_view text = {});
    // Right-clicks and chooses the item; false when the menu has no such item.
    bool ChooseFromContextMenu(int commandId);
    // Drags the window to a new place.
    void MoveTo(ScreenPoint topLeft);

    // --- what a user sees ------------------------------------------------------------------
    int TemplateId() const { return m_template.id; }
    bool IsOpen() const { return m_open; }
    int Result() const { return m_result; }
    const std::string& Caption() const { return m_template.caption; }
    const ControlState& Control(int id) const;
    bool IsEnabled(int id) const { return Control(id).enabled; }
    bool IsVisible(int id) const { return Control(id).visible; }
    int FocusedControl() const { return m_focus; }
    const ListState& List(int id) const { return Control(id).list; }
    bool TimerRunning(int timerId) const;

    // --- DialogView ----------------------------------------------------------------------
    std::string Text(int id) override { return State(id).text; }
    void SetText(int id, std::string_view text) override { State(id).text = text; }
    bool IsChecked(int id) override { return State(id).checked; }
    void SetChecked(int id, bool checked) override { State(id).checked = checked; }
    void Enable(int id, bool enabled) override { State(id).enabled = enabled; }
    void Show(int id, bool visible) override { State(id).visible = visible; }
    void Focus(int id) override;
    void SetTrackbarRange(int id, int minimum, int maximum, int lineSize) override;
    int TrackbarPosition(int id) override { return State(id).trackPosition; }
    void SetTrackbarPosition(int id, int position) override;
    void SetListColumns(int id, const std::vector<ListColumn>& columns) override { ListOf(id).columns = columns; }
    void SetListImages(int id, const std::vector<int>& bitmapIds) override { ListOf(id).images = bitmapIds; }
    int ListRowCount(int id) override { return static_cast<int>(ListOf(id).rows.size()); }
    void AddListRow(int id, const std::vector<std::string>& cells, int image) override;
    void DeleteListRow(int id, int row) override;
    void ClearList(int id) override;
    std::string ListCell(int id, int row, int column) override;
    void SetListCell(int id, int row, int column, std::string_view text) override;
    int SelectedListRow(int id) override { return ListOf(id).selected; }
    void SelectListRow(int id, int row) override;
    void SetTimer(int timerId, unsigned periodMs) override;
    void KillTimer(int timerId) override;
    void Close(int result) override;
    int RunModalChild(Dialog& child) override;
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    std::optional<std::string> PickFileToOpen(std::string_view filterName, std::string_view pattern) override;
    std::optional<Colour> PickColour(Colour initial) override;

private:
    ControlState& State(int id);
    ListState& ListOf(int id);
    void Command(int id);
    bool IsRow(const ListState& list, int row) const;

    FakeDialogs& m_dialogs;
    Dialog& m_dialog;
    DialogTemplate m_template;
    std::vector<int> m_order; // control ids in template order, for radio groups
    std::map<int, ControlState> m_controls;
    int m_focus = 0;
    bool m_open = false;
    int m_result = 0;
};

} // namespace hv
