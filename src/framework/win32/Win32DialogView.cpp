#include "framework/win32/Win32DialogView.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32DialogRunner.h"

#include <commctrl.h>
#include <commdlg.h>

#include <array>
#include <numeric>

namespace hv {
namespace {

constexpr const wchar_t* kMessageCaption = L"Horvane";
constexpr int kSmallImageSize = 16;
// A list's row images are strips of one mark drawn for each of these pixel grids, left to
// right and top-aligned (tools/make_log_images.py draws them); the list takes the cell for
// its window's scaling, so that the mark stays sharp. A bitmap of another shape goes in whole.
constexpr std::array kImageStripCells{16, 20, 24, 32};
constexpr COLORREF kTransparentMagenta = RGB(255, 0, 255);
// The longest path the system can name; the picker's buffer never cuts one short.
constexpr std::size_t kLongestPath = 32768;
constexpr UINT kDefaultDpi = 96;

UINT IconFlags(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::None: break;
    }
    return 0;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return Narrow(text);
}

// The largest strip cell that the scaled small-image size holds.
int StripCellFor(int scaledSize) {
    int cell = kImageStripCells.front();
    for (int size : kImageStripCells) {
        if (size <= scaledSize) cell = size;
    }
    return cell;
}

// The strip's cell of that size as a bitmap of its own; nothing when `strip` is no strip.
HBITMAP CutStripCell(HBITMAP strip, int cell) {
    BITMAP shape{};
    if (GetObjectW(strip, sizeof shape, &shape) == 0) return nullptr;
    const int stripWidth = std::accumulate(kImageStripCells.begin(), kImageStripCells.end(), 0);
    if (shape.bmWidth != stripWidth || shape.bmHeight != kImageStripCells.back()) return nullptr;
    int left = 0;
    for (int size : kImageStripCells) {
        if (size == cell) break;
        left += size;
    }
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP cut = CreateCompatibleBitmap(screen, cell, cell);
    if (from != nullptr && to != nullptr && cut != nullptr) {
        const HGDIOBJ oldFrom = SelectObject(from, strip);
        const HGDIOBJ oldTo = SelectObject(to, cut);
        BitBlt(to, 0, 0, cell, cell, from, left, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    if (from != nullptr) DeleteDC(from);
    if (to != nullptr) DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return cut;
}

} // namespace

Win32DialogView::Win32DialogView(HWND window, HINSTANCE instance, const Dialog& dialog, bool modeless)
    : m_window(window), m_instance(instance), m_dialog(dialog), m_modeless(modeless) {}

Win32DialogView::~Win32DialogView() {
    for (HIMAGELIST list : m_imageLists) ImageList_Destroy(list);
}

int Win32DialogView::Scaled(int pixelsAt96Dpi) const {
    const UINT dpi = GetDpiForWindow(m_window);
    return MulDiv(pixelsAt96Dpi, static_cast<int>(dpi == 0 ? kDefaultDpi : dpi), static_cast<int>(kDefaultDpi));
}

// --- any control --------------------------------------------------------------------------

std::string Win32DialogView::Text(int id) { return WindowText(Item(id)); }

void Win32DialogView::SetText(int id, std::string_view text) {
    HWND control = Item(id);
    SetWindowTextW(control, Widen(text).c_str());
    // An owner-drawn button paints its caption itself and is not always asked to again;
    // setting its text (even the same) is how its owner shows a change of its look.
    if ((GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) InvalidateRect(control, nullptr, FALSE);
    if (!m_dialog.FollowsLastLine(id)) return;
    // The caret at the end, and the view scrolled to it.
    const auto length = static_cast<WPARAM>(GetWindowTextLengthW(control));
    SendMessageW(control, EM_SETSEL, length, static_cast<LPARAM>(length));
    SendMessageW(control, EM_SCROLLCARET, 0, 0);
}

bool Win32DialogView::IsChecked(int id) { return IsDlgButtonChecked(m_window, id) == BST_CHECKED; }

void Win32DialogView::SetChecked(int id, bool checked) {
    CheckDlgButton(m_window, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32DialogView::Enable(int id, bool enabled) { EnableWindow(Item(id), enabled ? TRUE : FALSE); }

void Win32DialogView::Show(int id, bool visible) { ShowWindow(Item(id), visible ? SW_SHOW : SW_HIDE); }

void Win32DialogView::Focus(int id) {
    // Through the dialog manager, so that the default button follows the focus.
    SendMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

// --- trackbar -----------------------------------------------------------------------------

void Win32DialogView::SetTrackbarRange(int id, int minimum, int maximum, int lineSize) {
    SendDlgItemMessageW(m_window, id, TBM_SETRANGEMIN, FALSE, minimum);
    SendDlgItemMessageW(m_window, id, TBM_SETRANGEMAX, TRUE, maximum);
    SendDlgItemMessageW(m_window, id, TBM_SETLINESIZE, 0, lineSize);
}

int Win32DialogView::TrackbarPosition(int id) {
    return static_cast<int>(SendDlgItemMessageW(m_window, id, TBM_GETPOS, 0, 0));
}

void Win32DialogView::SetTrackbarPosition(int id, int position) {
    SendDlgItemMessageW(m_window, id, TBM_SETPOS, TRUE, position);
}

// --- list view ----------------------------------------------------------------------------

void Win32DialogView::SetListColumns(int id, const std::vector<ListColumn>& columns) {
    HWND list = Item(id);
    while (ListView_DeleteColumn(list, 0)) {}
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::wstring header = Widen(columns[i].header);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = header.data();
        column.cx = Scaled(columns[i].width);
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void Win32DialogView::SetListImages(int id, const std::vector<int>& bitmapIds) {
    const int cell = StripCellFor(Scaled(kSmallImageSize));
    HIMAGELIST images = ImageList_Create(cell, cell, ILC_COLOR24 | ILC_MASK, static_cast<int>(bitmapIds.size()), 1);
    if (images == nullptr) return;
    for (int bitmapId : bitmapIds) {
        HBITMAP bitmap = LoadBitmapW(m_instance, MAKEINTRESOURCEW(bitmapId));
        if (bitmap == nullptr) continue;
        HBITMAP cut = CutStripCell(bitmap, cell);
        ImageList_AddMasked(images, cut != nullptr ? cut : bitmap, kTransparentMagenta);
        if (cut != nullptr) DeleteObject(cut);
        DeleteObject(bitmap);
    }
    m_imageLists.insert(images);
    ListView_SetImageList(Item(id), images, LVSIL_SMALL);
}

int Win32DialogView::ListRowCount(int id) { return ListView_GetItemCount(Item(id)); }

void Win32DialogView::AddListRow(int id, const std::vector<std::string>& cells, int image) {
    HWND list = Item(id);
    std::wstring first = Widen(cells.empty() ? std::string_view{} : std::string_view{cells[0]});
    LVITEMW item{};
    item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0u);
    item.iItem = ListView_GetItemCount(list);
    item.pszText = first.data();
    item.iImage = image;
    const auto row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return;
    for (std::size_t column = 1; column < cells.size(); ++column) {
        SetListCell(id, row, static_cast<int>(column), cells[column]);
    }
}

void Win32DialogView::DeleteListRow(int id, int row) { ListView_DeleteItem(Item(id), row); }

void Win32DialogView::ClearList(int id) { ListView_DeleteAllItems(Item(id)); }

std::string Win32DialogView::ListCell(int id, int row, int column) {
    // The control copies at most the buffer's size; try again with more room until it fits.
    for (std::size_t size = 256; size <= kLongestPath; size *= 4) {
        std::wstring text(size, L'\0');
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(size);
        const auto length = static_cast<std::size_t>(SendDlgItemMessageW(
            m_window, id, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < size) {
            text.resize(length);
            return Narrow(text);
        }
    }
    return {};
}

void Win32DialogView::SetListCell(int id, int row, int column, std::string_view text) {
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendDlgItemMessageW(m_window, id, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int Win32DialogView::SelectedListRow(int id) { return ListView_GetNextItem(Item(id), -1, LVNI_SELECTED); }

void Win32DialogView::SelectListRow(int id, int row) {
    HWND list = Item(id);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row < 0) return;
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, row, FALSE);
}

// --- the dialog itself ----------------------------------------------------------------------

void Win32DialogView::SetTimer(int timerId, unsigned periodMs) {
    if (::SetTimer(m_window, static_cast<UINT_PTR>(timerId), periodMs, nullptr) != 0) m_timers.insert(timerId);
}

void Win32DialogView::KillTimer(int timerId) {
    ::KillTimer(m_window, static_cast<UINT_PTR>(timerId));
    m_timers.erase(timerId);
}

void Win32DialogView::KillAllTimers() {
    for (int timerId : m_timers) ::KillTimer(m_window, static_cast<UINT_PTR>(timerId));
    m_timers.clear();
}

void Win32DialogView::Close(int result) {
    m_result = result;
    if (m_modeless) {
        PostMessageW(m_window, kWmDestroyMainDialog, 0, 0);
    } else {
        EndDialog(m_window, result);
    }
}

int Win32DialogView::RunModalChild(Dialog& child) { return RunWin32ModalDialog(m_instance, m_window, child); }

void Win32DialogView::ShowMessage(std::string_view text, MessageIcon icon) {
    MessageBoxW(m_window, Widen(text).c_str(), kMessageCaption, MB_OK | IconFlags(icon));
}

std::optional<std::string> Win32DialogView::PickFileToOpen(std::string_view filterName, std::string_view pattern) {
    // The filter is pairs of zero-ended texts, ended by one more zero.
    std::wstring filter = Widen(filterName);
    filter += L'\0';
    filter += Widen(pattern);
    filter += L'\0';
    filter += L'\0';
    std::wstring path(kLongestPath, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_window;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    path.resize(wcsnlen(path.c_str(), path.size()));
    return Narrow(path);
}

std::optional<Colour> Win32DialogView::PickColour(Colour initial) {
    static std::array<COLORREF, 16> customColours{};
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_window;
    dialog.rgbResult = initial;
    dialog.lpCustColors = customColours.data();
    dialog.Flags = CC_RGBINIT;
    if (!ChooseColorW(&dialog)) return std::nullopt;
    return static_cast<Colour>(dialog.rgbResult);
}

} // namespace hv
