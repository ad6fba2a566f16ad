#pragma once
#include "framework/Dialog.h"

namespace hv {

// The About box: the program's icon, name and version, and where to send comments.
class AboutDialog final : public Dialog {
public:
    int TemplateId() const override;
    void OnInit(DialogView& view) override;
};

} // namespace hv
