#pragma once
#include "controls/HyperlinkControl.h"
#include "framework/Dialog.h"
#include "framework/Platform.h"

namespace hv {

// The About box: the program's icon, name and version, and a mail link for comments.
class AboutDialog final : public Dialog {
public:
    explicit AboutDialog(Platform& platform);

    int TemplateId() const override;
    void OnInit(DialogView& view) override;
    std::vector<LinkControl*> Links() override { return {&m_mailLink}; }

private:
    HyperlinkControl m_mailLink;
};

} // namespace hv
