#include "dialogs/CalendarDialog.h"

#include "res/resource.h"

namespace hv {

int CalendarDialog::TemplateId() const { return IDD_CALENDAR; }

int CalendarDialog::ClientFillingControl() const { return IDC_MONTH_CALENDAR; }

} // namespace hv
