#pragma once
#include "framework/Dialog.h"
#include "framework/win32/Win32Api.h"

#include <commctrl.h>

#include <set>

namespace hv {

// Posted to a main window that was closed: it goes once the message that closed it has been
// answered.
constexpr UINT kWmDestroyMainDialog = WM_APP + 2;

// A real dialog window seen through DialogView: every call goes to the control of that id.
// A modeless one (a program's main window) is destroyed when closed, a modal one ended.
class Win32DialogView final : public DialogView {
public:
    Win32DialogView(HWND window, HINSTANCE instance, const Dialog& dialog, bool modeless);
    ~Win32DialogView();
    Win32DialogView(const Win32DialogView&) = delete;
    Win32DialogView& operator=(const Win32DialogView&) = delete;

    std::string Text(int id) override;
    void SetText(int id, std::string_view text) override;
    bool IsChecked(int id) override;
    void SetChecked(int id, bool checked) override;
    void Enable(int id, bool enabled) override;
    void Show(int id, bool visible) override;
    void Focus(int id) override;
    void SetTrackbarRange(int id, int minimum, int maximum, int lineSize) override;
    int TrackbarPosition(int id) override;
    void SetTrackbarPosition(int id, int position) override;
    void SetListColumns(int id, const std::vector<ListColumn>& columns) override;
    void SetListImages(int id, const std::vector<int>& bitmapIds) override;
    int ListRowCount(int id) override;
    void AddListRow(int id, const std::vector<std::string>& cells, int image) override;
    void DeleteListRow(int id, int row) override;
    void ClearList(int id) override;
    std::string ListCell(int id, int row, int column) override;
    void SetListCell(int id, int row, int column, std::string_view text) override;
    int SelectedListRow(int id) override;
    void SelectListRow(int id, int row) override;
    void SetTimer(int timerId, unsigned periodMs) override;
    void KillTimer(int timerId) override;
    void Close(int result) override;
    int RunModalChild(Dialog& child) override;
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    std::optional<std::string> PickFileToOpen(std::string_view filterName, std::string_view pattern) override;
    std::optional<Colour> PickColour(Colour initial) override;

    // Stops the timers the dialog left running; called as the window goes.
    void KillAllTimers();
    // The result Close was given.
    int ClosedWith() const { return m_result; }

private:
    HWND Item(int id) const { return GetDlgItem(m_window, id); }
    int Scaled(int pixelsAt96Dpi) const;

    HWND m_window;
    HINSTANCE m_instance;
    const Dialog& m_dialog;
    bool m_modeless;
    int m_result = 0;
    std::set<int> m_timers;
    std::set<HIMAGELIST> m_imageLists;
};

} // namespace hv
