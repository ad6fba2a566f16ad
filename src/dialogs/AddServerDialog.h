#pragma once
#include "framework/Dialog.h"
#include "framework/Platform.h"
#include "sync/SntpClient.h"

#include <string>

namespace hv {

// "Adding New Time Server...": a title and an address typed in, refused when the server
// list could not store them, and a check that measures the server before it is added.
class AddServerDialog final : public Dialog {
public:
    explicit AddServerDialog(Platform& platform) : m_sntp(platform, NameLookup::InBackground) {}

    // What OK accepted; an empty title became "Undefined".
    const std::string& Title() const { return m_title; }
    const std::string& Address() const { return m_address; }

    int TemplateId() const override;
    bool OnCommand(DialogView& view, int controlId, int notifyCode) override;
    void OnTimer(DialogView& view, int timerId) override;
    // A closed dialog gives up its measurement, a look-up in flight included.
    void OnDestroy(DialogView& /*view*/) override { m_sntp.Abandon(); }

private:
    void CheckServer(DialogView& view);
    void OnReplyTimeout(DialogView& view);
    void OnReplyPoll(DialogView& view);
    void ReportOutcome(DialogView& view);
    void StopTimers(DialogView& view);
    bool Accept(DialogView& view);

    std::string m_title;
    std::string m_address;
    SntpClient m_sntp;
};

} // namespace hv
