#include "dialogs/OptionsDialog.h"

#include "framework/TextFormat.h"
#include "prefs/Chime.h"
#include "protocol/BarValues.h"
#include "res/resource.h"
#include "settings/Settings.h"

namespace hv {

namespace {
// The trackbar's steps, the automatic periods from half an hour to 25.5 hours. The arrow
// keys move it by half an hour.
constexpr int kStepsPerArrowKey = 2;
constexpr int kHourMinutes = 60;
constexpr const char* kFormatInterval = "Interval:%.2d(Hour)-%.2d(Min)";

constexpr Colour kColourChooserStart = RgbColour(0, 0, 0);
constexpr const char* kSoundFilterName = "Wave Files (*.wav)";
constexpr const char* kSoundFilterPattern = "*.wav";

// The label shows the period the automatic timer really runs at.
std::string IntervalLabel(int step) {
    const auto minutes = static_cast<int>(AutoSyncMinutes(step));
    return FormatText(kFormatInterval, minutes / kHourMinutes, minutes % kHourMinutes);
}
} // namespace

OptionsDialog::OptionsDialog(Platform& platform, const Settings& settings, const Policy& policy)
    : m_platform(platform), m_settings(settings), m_policy(policy), m_textColour(IDC_TEXT_COLOUR),
      m_backgroundColour(IDC_BG_COLOUR), m_servers(settings.serverList), m_sntp(platform, NameLookup::InBackground) {}

int OptionsDialog::TemplateId() const { return IDD_OPTIONS; }

void OptionsDialog::OnInit(DialogView& view) {
    FillServerList(view);
    view.SetTrackbarRange(IDC_SYNC_INTERVAL, kFirstAutoSyncStep, kLastAutoSyncStep, kStepsPerArrowKey);
    view.Enable(IDC_SYNC_INTERVAL, m_settings.autoSync);
    view.SetChecked(IDC_ALWAYS_SHOW_BAR, m_settings.alwaysShowBar);
    view.SetChecked(IDC_AUTO_SYNC, m_settings.autoSync);
    // A step from outside the range lands on its nearer end, and OK stores that.
    view.SetTrackbarPosition(IDC_SYNC_INTERVAL, m_settings.autoSyncStep);
    RefreshIntervalLabel(view);
    ShowChime(view);
    ShowBarSettings(view);
    ShowPolicy(view);
}

bool OptionsDialog::OnCommand(DialogView& view, int controlId, int notifyCode) {
    if (notifyCode != kNotifyClicked) return false;
    switch (controlId) {
    case IDC_BG_COLOUR: ChooseColour(view, m_backgroundColour, kBarBackgroundValue); return true;
    case IDC_TEXT_COLOUR: ChooseColour(view, m_textColour, kBarTextColourValue); return true;
    case IDC_TIME_ONLY: SwitchTimeOnly(view); return true;
    case IDC_AUTO_SYNC: SwitchAutoSync(view); return true;
    case IDC_BELL_ENABLE: SwitchChime(view); return true;
    case IDC_PER_HALF_HOUR:
    case IDC_PER_HOUR: ChooseChimeMode(view); return true;
    case IDC_BROWSE: BrowseForSound(view); return true;
    case IDC_TEST_MUSIC: TestSound(view); return true;
    case IDC_ADD_SERVER: AddServer(view); return true;
    case IDC_DELETE_SERVER: DeleteSelected(view); return true;
    case IDC_SET_DEFAULT: SetDefault(view); return true;
    case IDC_TEST_SERVER: TestServer(view); return true;
    case IDC_FIND_BEST: FindBest(view); return true;
    case kIdOk: Accept(view); return true;
    default: return false;
    }
}

void OptionsDialog::OnNotify(DialogView& view, int controlId, int notifyCode) {
    if (controlId == IDC_SYNC_INTERVAL && (notifyCode == kNotifyReleasedCapture || notifyCode == kNotifyCustomDraw)) {
        RefreshIntervalLabel(view);
    }
}

bool OptionsDialog::OnClose(DialogView& view) {
    // Also while a measurement has Cancel disabled: closing ends its timers, and its query
    // goes with the dialog.
    view.Close(kIdCancel);
    return true;
}

bool OptionsDialog::OnDrawItem(DialogView& view, const OwnerDrawItem& item, DrawingSurface& surface) {
    for (const ColourSwatchButton* button : {&m_backgroundColour, &m_textColour}) {
        if (item.controlId != button->ControlId()) continue;
        button->Draw(view, item, surface);
        return true;
    }
    return false;
}

std::uint32_t OptionsDialog::ListLook(int listId) const {
    return listId == IDC_SERVER_LIST ? kListGridLines | kListFullRowSelect : 0;
}

// --- the date-time bar ----------------------------------------------------------------------

void OptionsDialog::ShowBarSettings(DialogView& view) {
    const StoredBarValues stored = ReadBarValues(m_platform);
    if (stored.background) m_backgroundColour.SetColours(view, *stored.background, *stored.background);
    if (stored.text) m_textColour.SetColours(view, *stored.text, *stored.text);
    view.SetChecked(IDC_TIME_ONLY, stored.timeOnly.value_or(false));
}

void OptionsDialog::ChooseColour(DialogView& view, ColourSwatchButton& button, std::string_view valueName) {
    const auto chosen = view.PickColour(kColourChooserStart);
    if (!chosen) return;
    button.SetColours(view, *chosen, *chosen);
    WriteBarColour(m_platform, valueName, *chosen);
    // Told even when nothing could be stored: the bar may still hold an older value.
    TellBarSettingsChanged(m_platform);
}

void OptionsDialog::SwitchTimeOnly(DialogView& view) {
    if (WriteBarTimeOnly(m_platform, view.IsChecked(IDC_TIME_ONLY))) TellBarSettingsChanged(m_platform);
}

// --- automatic synchronisation ----------------------------------------------------------------

void OptionsDialog::SwitchAutoSync(DialogView& view) { view.Enable(IDC_SYNC_INTERVAL, view.IsChecked(IDC_AUTO_SYNC)); }

void OptionsDialog::RefreshIntervalLabel(DialogView& view) {
    // Asked on every repaint of the trackbar: an unchanged label is left alone.
    const std::string label = IntervalLabel(view.TrackbarPosition(IDC_SYNC_INTERVAL));
    if (view.Text(IDC_INTERVAL_LABEL) != label) view.SetText(IDC_INTERVAL_LABEL, label);
}

// --- the chime ------------------------------------------------------------------------------

void OptionsDialog::ShowChime(DialogView& view) {
    view.SetChecked(IDC_BELL_ENABLE, m_settings.bellEnabled != 0);
    view.SetChecked(IDC_PER_HOUR, m_settings.chimeHourly);
    view.SetChecked(IDC_PER_HALF_HOUR, !m_settings.chimeHourly);
    SwitchChime(view);
    view.SetText(IDC_BELL_FILE, m_settings.bellFile);
}

void OptionsDialog::SwitchChime(DialogView& view) {
    const bool enabled = view.IsChecked(IDC_BELL_ENABLE);
    view.Enable(IDC_PER_HALF_HOUR, enabled);
    view.Enable(IDC_PER_HOUR, enabled);
}

void OptionsDialog::ChooseChimeMode(DialogView& view) { m_settings.chimeHourly = view.IsChecked(IDC_PER_HOUR); }

void OptionsDialog::BrowseForSound(DialogView& view) {
    const auto path = view.PickFileToOpen(kSoundFilterName, kSoundFilterPattern);
    if (!path || path->empty()) return;
    view.SetText(IDC_BELL_FILE, *path);
    m_settings.bellFile = *path;
}

void OptionsDialog::TestSound(DialogView& view) {
    const std::string path = view.Text(IDC_BELL_FILE);
    if (!path.empty()) PlayChime(m_platform, path);
}

// --- policy -----------------------------------------------------------------------------------

void OptionsDialog::ShowPolicy(DialogView& view) {
    if (!m_policy.FixesAnything()) return;
    view.SetText(IDC_POLICY_NOTE, kTextSetByPolicy);
    for (int id :
         {IDC_AUTO_SYNC, IDC_SYNC_INTERVAL, IDC_ADD_SERVER, IDC_DELETE_SERVER, IDC_SET_DEFAULT, IDC_FIND_BEST}) {
        if (LockedByPolicy(id)) view.Enable(id, false);
    }
}

bool OptionsDialog::LockedByPolicy(int controlId) const {
    switch (controlId) {
    case IDC_AUTO_SYNC:
    case IDC_SYNC_INTERVAL: return m_policy.FixesAutoSync();
    case IDC_ADD_SERVER:
    case IDC_DELETE_SERVER:
    case IDC_SET_DEFAULT:
    case IDC_FIND_BEST: return m_policy.FixesServerList();
    default: return false;
    }
}

// --- OK ---------------------------------------------------------------------------------------

void OptionsDialog::Accept(DialogView& view) {
    // OK is disabled while a server is measured; Enter cannot reach it then either.
    if (m_servers.Measuring()) return;
    m_settings.serverList = m_servers.Encoded();
    m_settings.alwaysShowBar = view.IsChecked(IDC_ALWAYS_SHOW_BAR);
    m_settings.bellEnabled = view.IsChecked(IDC_BELL_ENABLE) ? 1 : 0;
    m_settings.autoSync = view.IsChecked(IDC_AUTO_SYNC);
    m_settings.autoSyncStep = view.TrackbarPosition(IDC_SYNC_INTERVAL);
    view.Close(kIdOk);
}

} // namespace hv
