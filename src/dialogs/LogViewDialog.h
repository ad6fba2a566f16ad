#pragma once
#include "framework/Dialog.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace hv {

// The activity log as a two-column list (time stamp, message), each row marked as an error
// or an ordinary entry. The main window keeps one and shows it again and again; while it is
// open, the main window hands it the log after every change.
class LogViewDialog final : public Dialog {
public:
    int TemplateId() const override;
    int ClientFillingControl() const override;
    std::uint32_t ListLook(int listId) const override;
    void OnInit(DialogView& view) override;
    void OnDestroy(DialogView& view) override;

    bool IsOpen() const { return m_view != nullptr; }
    // The log text the list is filled from when the view opens.
    void SetPendingText(std::string_view logText) { m_pendingText = logText; }
    // While open: the list shows `logText` instead.
    void Refresh(std::string_view logText);

private:
    void FillList(DialogView& view);

    DialogView* m_view = nullptr; // while open
    std::string m_pendingText;    // taken just before a fill, which consumes it
};

} // namespace hv
