#pragma once
#include "framework/Dialog.h"

namespace hv {

// The system's month calendar, on today's date, in a window just big enough for one whole
// month with its week numbers.
class CalendarDialog final : public Dialog {
public:
    int TemplateId() const override;
    int ClientFillingControl() const override;
    bool SizesWindowToControl() const override { return true; }
};

} // namespace hv
