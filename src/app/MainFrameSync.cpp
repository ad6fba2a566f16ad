#include "app/MainFrame.h"
#include "settings/ServerList.h"

namespace hv {

bool CMainFrame::SelectDefaultServer() {
    if (!EndsWithDefaultIndex(m_settings.serverList)) m_settings.serverList = DEFAULT_SERVER_LIST;
    const auto entries = ParseServerEntries(m_settings.serverList);
    const auto index = static_cast<std::size_t>(DefaultServerIndex(m_settings.serverList));
    if (index >= entries.size() || !entries[index]) return false;
    m_syncRun.SetServerAddress(entries[index]->address);
    return true;
}

void CMainFrame::RefreshLogView() {
    if (!m_logView.IsOpen()) return;
    m_logText.Trim();
    m_logView.Refresh(m_logText.Text());
}

} // namespace hv
