#include "dialogs/AboutDialog.h"

#include "res/HorvaneVersion.h"
#include "res/resource.h"

namespace hv {

namespace {
constexpr const char* kProductNameAndVersion = "Horvane " HORVANE_VERSION_DISPLAY;
constexpr const char* kMailScheme = "mailto:";
} // namespace

AboutDialog::AboutDialog(Platform& platform) : m_mailLink(platform, IDC_ABOUT_LINK) {}

int AboutDialog::TemplateId() const { return IDD_ABOUTBOX; }

void AboutDialog::OnInit(DialogView& view) {
    view.SetText(IDC_ABOUT_VERSION, kProductNameAndVersion);
    // The link shows the address and opens a new message to it.
    m_mailLink.SetTarget(kMailScheme + view.Text(IDC_ABOUT_LINK));
}

} // namespace hv
