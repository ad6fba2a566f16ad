#include "dialogs/AboutDialog.h"

#include "res/HorvaneVersion.h"
#include "res/resource.h"

namespace hv {

namespace {
constexpr const char* kProductNameAndVersion = "Horvane " HORVANE_VERSION_DISPLAY;
} // namespace

int AboutDialog::TemplateId() const { return IDD_ABOUTBOX; }

void AboutDialog::OnInit(DialogView& view) { view.SetText(IDC_ABOUT_VERSION, kProductNameAndVersion); }

} // namespace hv
