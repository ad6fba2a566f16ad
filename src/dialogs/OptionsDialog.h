#pragma once
#include "controls/ColourSwatchButton.h"
#include "dialogs/ServerTable.h"
#include "framework/Dialog.h"
#include "framework/Platform.h"
#include "settings/Policy.h"
#include "settings/Settings.h"
#include "sync/SntpClient.h"

#include <optional>
#include <string>

namespace hv {

// "Options...": the date-time bar's look, automatic synchronisation and its interval, the
// time-server list (edited, tested one by one, ranked by Find Best) and the chime. It
// edits a copy of the main window's settings, which OK hands back (Chosen); the bar's
// colours and time-only switch go to the registry at the moment they change, whatever
// becomes of the dialog. Its handlers are spread over OptionsDialog.cpp (opening, the bar,
// the interval, the chime, OK) and OptionsDialogServers.cpp (the server list).
class OptionsDialog final : public Dialog {
public:
    // What the policy fixes is shown disabled, with a note.
    OptionsDialog(Platform& platform, const Settings& settings, const Policy& policy = {});

    // The settings as the dialog closed; of interest after OK.
    const Settings& Chosen() const { return m_settings; }

    int TemplateId() const override;
    void OnInit(DialogView& view) override;
    bool OnCommand(DialogView& view, int controlId, int notifyCode) override;
    void OnNotify(DialogView& view, int controlId, int notifyCode) override;
    void OnTimer(DialogView& view, int timerId) override;
    bool OnClose(DialogView& view) override;
    // A closed dialog gives up its measurement, a look-up in flight included.
    void OnDestroy(DialogView& /*view*/) override { m_sntp.Abandon(); }
    bool OnDrawItem(DialogView& view, const OwnerDrawItem& item, DrawingSurface& surface) override;
    std::uint32_t ListLook(int listId) const override;

private:
    // --- the bar, the interval, the chime and OK (OptionsDialog.cpp) ---------------------
    void ShowBarSettings(DialogView& view);
    void ChooseColour(DialogView& view, ColourSwatchButton& button, std::string_view valueName);
    void SwitchTimeOnly(DialogView& view);
    void SwitchAutoSync(DialogView& view);
    void RefreshIntervalLabel(DialogView& view);
    void ShowChime(DialogView& view);
    void SwitchChime(DialogView& view);
    void ChooseChimeMode(DialogView& view);
    void BrowseForSound(DialogView& view);
    void TestSound(DialogView& view);
    void Accept(DialogView& view);
    void ShowPolicy(DialogView& view);
    bool LockedByPolicy(int controlId) const;

    // --- the server list (OptionsDialogServers.cpp) --------------------------------------
    void FillServerList(DialogView& view);
    void ShowDefaultServer(DialogView& view, const std::string& address);
    void ShowDelay(DialogView& view, int row);
    void AddServer(DialogView& view);
    void DeleteSelected(DialogView& view);
    void SetDefault(DialogView& view);
    void TestServer(DialogView& view);
    void FindBest(DialogView& view);
    void OnReplyTimeout(DialogView& view);
    void OnReplyPoll(DialogView& view);
    void OnFindBestStep(DialogView& view);
    bool StartQuery(DialogView& view, int row);
    void EndMeasurement(DialogView& view, std::optional<int> row);
    void SetButtons(DialogView& view, bool enabled);

    Platform& m_platform;
    Settings m_settings;
    Policy m_policy;
    ColourSwatchButton m_textColour;
    ColourSwatchButton m_backgroundColour;
    ServerTable m_servers;
    SntpClient m_sntp;
};

} // namespace hv
