#include "dialogs/LogViewDialog.h"

#include "log/ActivityLog.h"
#include "res/resource.h"

namespace hv {

namespace {
constexpr int kErrorImage = 0;
constexpr int kOrdinaryImage = 1;
const std::vector<ListColumn> kColumns = {{"DateTime", 130}, {"Log Information", 248}};
} // namespace

int LogViewDialog::TemplateId() const { return IDD_LOGVIEW; }

int LogViewDialog::ClientFillingControl() const { return IDC_LOG_LIST; }

std::uint32_t LogViewDialog::ListLook(int) const { return kListGridLines | kListFullRowSelect; }

void LogViewDialog::OnInit(DialogView& view) {
    m_view = &view;
    view.SetListImages(IDC_LOG_LIST, {IDB_LOG_ERROR, IDB_LOG_INFO});
    view.SetListColumns(IDC_LOG_LIST, kColumns);
    FillList(view);
}

void LogViewDialog::OnDestroy(DialogView&) {
    m_view = nullptr;
    m_pendingText.clear();
}

void LogViewDialog::Refresh(std::string_view logText) {
    if (m_view == nullptr) return;
    m_pendingText = logText;
    FillList(*m_view);
}

void LogViewDialog::FillList(DialogView& view) {
    view.ClearList(IDC_LOG_LIST);
    for (const LogEntry& entry : ParseLogEntries(m_pendingText)) {
        view.AddListRow(IDC_LOG_LIST, {entry.stamp, entry.message}, entry.isError ? kErrorImage : kOrdinaryImage);
    }
    m_pendingText.clear();
}

} // namespace hv
