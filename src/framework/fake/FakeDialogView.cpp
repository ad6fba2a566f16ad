#include "framework/fake/FakeDialogView.h"

#include "framework/fake/FakeDialogs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace hv {

namespace {

constexpr int kUnnamedControl = -1;

[[noreturn]] void Misuse(const char* what, int id) {
    // A dialog that addresses a control its template lacks is a programming error that the
    // real window would swallow silently; the test stops at once instead.
    std::fprintf(stderr, "fake dialog: %s %d\n", what, id);
    std::abort();
}

} // namespace

FakeDialogView::FakeDialogView(FakeDialogs& dialogs, Dialog& dialog) : m_dialogs(dialogs), m_dialog(dialog) {
    const DialogTemplate* declared = FindDialogTemplate(dialog.TemplateId());
    if (declared == nullptr) Misuse("no template for dialog", dialog.TemplateId());
    m_template = *declared;
    for (const ControlTemplate& control : m_template.controls) {
        if (control.id == kUnnamedControl) continue;
        ControlState state;
        state.declared = control;
        state.text = control.text;
        state.enabled = !control.disabled;
        m_controls[control.id] = state;
        m_order.push_back(control.id);
    }
}

FakeDialogView::~FakeDialogView() { m_dialogs.KillDialogTimers(this); }

void FakeDialogView::Open() {
    m_open = true;
    for (auto& [id, control] : m_controls) {
        if (control.declared.kind == ControlTemplate::Kind::ListView) control.list.look = m_dialog.ListLook(id);
    }
    // As the real runner does, links are bound to their statics before the dialog starts.
    for (LinkControl* link : m_dialog.Links()) {
        ControlState& control = State(link->ControlId());
        control.text = link->OnAttach(control.text);
    }
    m_dialog.OnInit(*this);
}

bool FakeDialogView::Click(int id) {
    ControlState& control = State(id);
    if (!m_open || !control.enabled || !control.visible) return false;
    for (LinkControl* link : m_dialog.Links()) {
        if (link->ControlId() != id) continue;
        link->OnClicked(*this);
        return true;
    }
    using Kind = ControlTemplate::Kind;
    if (control.declared.automatic && control.declared.kind == Kind::CheckBox) control.checked = !control.checked;
    if (control.declared.automatic && control.declared.kind == Kind::RadioButton) {
        // An auto radio button checks itself and clears the others of its group: the
        // controls from the last group start before it to the next group start.
        auto at = std::find(m_order.begin(), m_order.end(), id);
        auto first = at;
        while (first != m_order.begin() && !m_controls[*first].declared.startsGroup) --first;
        auto last = at + 1;
        while (last != m_order.end() && !m_controls[*last].declared.startsGroup) ++last;
        for (auto it = first; it != last; ++it) {
            if (m_controls[*it].declared.kind == Kind::RadioButton) m_controls[*it].checked = false;
        }
        control.checked = true;
    }
    m_focus = id;
    Command(id);
    return true;
}

bool FakeDialogView::Type(int id, std::string_view text) {
    ControlState& control = State(id);
    if (!m_open || !control.enabled || !control.visible || control.declared.readOnly) return false;
    control.text = text;
    m_focus = id;
    return true;
}

bool FakeDialogView::DragTrackbar(int id, int position) {
    ControlState& control = State(id);
    if (!m_open || !control.enabled) return false;
    SetTrackbarPosition(id, position);
    m_dialog.OnScroll(*this, id);
    if (m_open) m_dialog.OnNotify(*this, id, kNotifyReleasedCapture);
    return true;
}

bool FakeDialogView::SelectRow(int id, int row) {
    ControlState& control = State(id);
    if (!m_open || !control.enabled || !IsRow(control.list, row)) return false;
    control.list.selected = row;
    m_dialog.OnNotify(*this, id, kNotifyListItemChanged);
    return true;
}

void FakeDialogView::FireTimer(int timerId) {
    if (m_open) m_dialog.OnTimer(*this, timerId);
}

bool FakeDialogView::ReceiveCopyData(std::uintptr_t code, std::string_view text) {
    if (!m_open || text.size() > kMaxCopyDataText) return false;
    return m_dialog.OnCopyData(*this, code, text);
}

bool FakeDialogView::ChooseFromContextMenu(int commandId) {
    if (!m_open || commandId == 0) return false;
    const std::vector<MenuItem> menu = m_dialog.ContextMenu();
    const bool offered =
        std::any_of(menu.begin(), menu.end(), [&](const MenuItem& item) { return item.commandId == commandId; });
    if (offered) m_dialog.OnCommand(*this, commandId, kNotifyClicked);
    return offered;
}

void FakeDialogView::MoveTo(ScreenPoint topLeft) {
    if (m_open) m_dialog.OnMoved(*this, topLeft);
}

void FakeDialogView::Command(int id) {
    if (!m_open) return;
    const bool handled = m_dialog.OnCommand(*this, id, kNotifyClicked);
    if (!handled && (id == kIdOk || id == kIdCancel)) Close(id);
}

const FakeDialogView::ControlState& FakeDialogView::Control(int id) const {
    const auto it = m_controls.find(id);
    if (it == m_controls.end()) Misuse("no control", id);
    return it->second;
}

FakeDialogView::ControlState& FakeDialogView::State(int id) {
    const auto it = m_controls.find(id);
    if (it == m_controls.end()) Misuse("no control", id);
    return it->second;
}

FakeDialogView::ListState& FakeDialogView::ListOf(int id) {
    ControlState& control = State(id);
    if (control.declared.kind != ControlTemplate::Kind::ListView) Misuse("not a list view:", id);
    return control.list;
}

bool FakeDialogView::IsRow(const ListState& list, int row) const {
    return row >= 0 && row < static_cast<int>(list.rows.size());
}

bool FakeDialogView::TimerRunning(int timerId) const { return m_dialogs.DialogTimerRunning(this, timerId); }

void FakeDialogView::Focus(int id) {
    State(id);
    m_focus = id;
}

void FakeDialogView::SetTrackbarRange(int id, int minimum, int maximum, int lineSize) {
    ControlState& control = State(id);
    control.trackMin = minimum;
    control.trackMax = maximum;
    control.trackLine = lineSize;
    control.trackPosition = std::clamp(control.trackPosition, minimum, maximum);
}

void FakeDialogView::SetTrackbarPosition(int id, int position) {
    ControlState& control = State(id);
    control.trackPosition = std::clamp(position, control.trackMin, control.trackMax);
}

void FakeDialogView::AddListRow(int id, const std::vector<std::string>& cells, int image) {
    ListState& list = ListOf(id);
    list.rows.push_back(cells);
    list.rows.back().resize(std::max(cells.size(), list.columns.size()));
    list.rowImages.push_back(image);
}

void FakeDialogView::DeleteListRow(int id, int row) {
    ListState& list = ListOf(id);
    if (!IsRow(list, row)) return;
    list.rows.erase(list.rows.begin() + static_cast<std::ptrdiff_t>(row));
    list.rowImages.erase(list.rowImages.begin() + static_cast<std::ptrdiff_t>(row));
    if (list.selected == row) list.selected = -1;
    if (list.selected > row) --list.selected;
}

void FakeDialogView::ClearList(int id) {
    ListState& list = ListOf(id);
    list.rows.clear();
    list.rowImages.clear();
    list.selected = -1;
}

std::string FakeDialogView::ListCell(int id, int row, int column) {
    ListState& list = ListOf(id);
    if (!IsRow(list, row) || column < 0) return {};
    const auto& cells = list.rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)] : std::string{};
}

void FakeDialogView::SetListCell(int id, int row, int column, std::string_view text) {
    ListState& list = ListOf(id);
    if (!IsRow(list, row) || column < 0) return;
    auto& cells = list.rows[static_cast<std::size_t>(row)];
    if (column >= static_cast<int>(cells.size())) cells.resize(static_cast<std::size_t>(column) + 1);
    cells[static_cast<std::size_t>(column)] = text;
}

void FakeDialogView::SelectListRow(int id, int row) {
    ListState& list = ListOf(id);
    list.selected = IsRow(list, row) ? row : -1;
}

void FakeDialogView::SetTimer(int timerId, unsigned periodMs) { m_dialogs.SetDialogTimer(this, timerId, periodMs); }

void FakeDialogView::KillTimer(int timerId) { m_dialogs.KillDialogTimer(this, timerId); }

void FakeDialogView::Close(int result) {
    if (!m_open) return;
    m_open = false;
    m_result = result;
    m_dialog.OnDestroy(*this);
    m_dialogs.KillDialogTimers(this);
}

int FakeDialogView::RunModalChild(Dialog& child) { return m_dialogs.RunModalDialog(child); }

void FakeDialogView::ShowMessage(std::string_view text, MessageIcon) { m_dialogs.messageBoxes.emplace_back(text); }

std::optional<std::string> FakeDialogView::PickFileToOpen(std::string_view filterName, std::string_view pattern) {
    m_dialogs.filePickerFilters.push_back(std::string(filterName) + "|" + std::string(pattern));
    return m_dialogs.fileToPick;
}

std::optional<Colour> FakeDialogView::PickColour(Colour initial) {
    m_dialogs.colourPickerStarts.push_back(initial);
    return m_dialogs.colourToPick;
}

} // namespace hv
