#include "timeservice/win32/ServiceCommands.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32HeadlessPlatform.h"
#include "settings/ServerList.h"
#include "settings/SettingsFile.h"
#include "sync/SntpClient.h"
#include "timeservice/InstallApprovals.h"
#include "timeservice/CorrectionLimit.h"
#include "timeservice/ServiceConfig.h"
#include "timeservice/ServiceIdentity.h"
#include "timeservice/ServiceProtocol.h"
#include "timeservice/ServiceStatusText.h"
#include "timeservice/ServerName.h"
#include "timeservice/win32/Win32EventJournal.h"
#include "timeservice/win32/Win32ServiceManager.h"
#include "timeservice/win32/Win32TimeServiceLink.h"

#include <winsvc.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace hv {
namespace {

constexpr const char* kUsage =
    "usage: HorvaneTime install [--approve-config] | uninstall | status | approve ADDRESS | revoke ADDRESS |"
    " limit SECONDS | confirm SECONDS\n"
    "  install        installs (or updates) and starts the time service (administrators only); the first\n"
    "                 install approves the built-in servers, later ones keep the approved list as it is;\n"
    "                 --approve-config also approves the servers in config.txt beside this program,\n"
    "                 which every user may write, and lists them\n"
    "  uninstall      stops and removes the service and its configuration (administrators only)\n"
    "  status         tells whether the service runs, what it may do, and its last result\n"
    "  approve, revoke  adds a time server to, or removes it from, the approved list (administrators only)\n"
    "  limit          sets the most the service corrects the clock in any 24 hours, in seconds\n"
    "  confirm        sets the step, in seconds, above which a second approved server must agree\n";
constexpr const char* kDescription =
    "Sets the system clock for Horvane from approved time servers, measuring them itself.";
// The installers' option from before config.txt needed asking for; it is what a bare install does.
constexpr const char* kDefaultsOnlyOption = "--defaults-only";
constexpr const char* kApproveConfigOption = "--approve-config";
// Where Group Policy decides, approve, revoke and limit change a value nobody uses.
constexpr const char* kFromPolicy = " (set by policy)";
constexpr DWORD kServiceStateWaitMs = 15000;
constexpr DWORD kDatabaseLockedRetryMs = 500;
constexpr ULONGLONG kDatabaseLockedPatienceMs = 30000;
constexpr DWORD kEventTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
// After a failure the manager starts the service again, twice a minute apart, then every
// ten minutes; a day without failures starts the count afresh.
constexpr DWORD kFirstRestartDelayMs = 60'000;
constexpr DWORD kLaterRestartDelayMs = 600'000;
constexpr DWORD kFailureResetSeconds = 24 * 60 * 60;
constexpr ULONGLONG kStatusReplyWaitMs = 3000;
constexpr DWORD kStatusPollMs = 20;

// Console output in the console's own characters; UTF-8 when redirected.
void Print(std::string_view text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::wstring wide = Widen(text);
        DWORD written = 0;
        WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
}

void Say(std::string_view text) { Print(std::string("HorvaneTime: ") + std::string(text) + "\n"); }

int Refused(std::string_view what, DWORD error) {
    Say(std::string(what) + " (error " + std::to_string(error) + ").");
    return kCommandFailed;
}

// Membership that counts: under User Account Control an administrator's normal token holds
// the Administrators group for denying only, and this says false until elevated.
bool IsElevatedAdministrator() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

bool RequireElevation(std::string_view command) {
    if (IsElevatedAdministrator()) return true;
    Say(std::string(command) + " changes the machine's configuration: run it as an administrator (elevated).");
    return false;
}

// A service runs its program with the service's rights, so whoever may replace the program
// runs code as the service. Program Files lets only administrators change what is in it.
bool UnderProgramFiles(const std::wstring& exePath) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"ProgramFiles", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring prefix = std::wstring(folder, length) + L"\\";
    return exePath.size() > prefix.size() &&
           CompareStringOrdinal(exePath.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

std::string ApprovedText(const ApprovedServers& approved) {
    return approved.Names().empty() ? std::string("none") : approved.Stored();
}

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

// What "limit" and "confirm" set: a number of seconds in the settings' range.
struct SecondsSetting {
    const char* command;
    const char* name; // as the messages call it
    SystemResult (*save)(RegistryRole& registry, std::uint32_t seconds);
    std::string (*meaning)(std::uint32_t seconds); // said once it is written
};

constexpr SecondsSetting kLimitSetting{"limit", "limit", &SaveMaxCorrection, [](std::uint32_t seconds) {
                                           return "the service corrects the clock by at most " +
                                                  std::to_string(seconds) + " seconds in any 24 hours.";
                                       }};
constexpr SecondsSetting kConfirmSetting{"confirm", "step", &SaveConfirmAbove, [](std::uint32_t seconds) {
                                             return "steps of more than " + std::to_string(seconds) +
                                                    " seconds need a second approved server's agreement.";
                                         }};

class Commands {
public:
    Commands() : m_platform(GetModuleHandleW(nullptr)) {}

    int Install(bool includeConfig);
    int Uninstall();
    int Status();
    int Approve(const std::string& server);
    int Revoke(const std::string& server);
    int Limit(const std::string& seconds);
    int Confirm(const std::string& seconds);

private:
    int Set(const SecondsSetting& setting, const std::string& seconds);
    SystemResult ApproveAtInstall(bool includeConfig);
    SystemResult RegisterEventSource(const std::wstring& exePath);
    int StartInstalled(SC_HANDLE service);
    void ConfigureService(SC_HANDLE service);
    void ConfigureRecovery(SC_HANDLE service);
    bool RemoveKey(const char* key, const char* what);
    void PrintLastResult();

    Win32HeadlessPlatform m_platform;
};

int Commands::Install(bool includeConfig) {
    if (!RequireElevation("install")) return kCommandNotElevated;
    const std::wstring exePath = Widen(m_platform.ModuleFileName());
    // Quoted, so that a path with spaces cannot be read as a shorter program's path.
    const std::wstring imagePath = L"\"" + exePath + L"\"";
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager) return Refused("the service control manager refused access", GetLastError());
    const std::wstring name = Widen(kTimeServiceName);
    const std::wstring displayName = Widen(kTimeServiceDisplayName);
    const std::wstring account = Widen(kTimeServiceAccount);
    ServiceHandle service(CreateServiceW(manager.Get(), name.c_str(), displayName.c_str(), SERVICE_ALL_ACCESS,
                                         SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                         imagePath.c_str(), nullptr, nullptr, nullptr, account.c_str(), L""));
    if (!service && GetLastError() == ERROR_SERVICE_EXISTS) {
        service = ServiceHandle(OpenServiceW(manager.Get(), name.c_str(), SERVICE_ALL_ACCESS));
        if (service && !ChangeServiceConfigW(service.Get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                             SERVICE_ERROR_NORMAL, imagePath.c_str(), nullptr, nullptr, nullptr,
                                             account.c_str(), L"", displayName.c_str())) {
            return Refused("the service control manager refused to update the service", GetLastError());
        }
    }
    if (!service) return Refused("the service control manager refused to create the service", GetLastError());
    ConfigureService(service.Get());
    ConfigureRecovery(service.Get());
    if (!UnderProgramFiles(exePath)) {
        Say("note: this program is not under Program Files. Make sure only administrators can change its folder: "
            "whoever can replace HorvaneTime.exe runs code as the service.");
    }
    if (!RegisterEventSource(exePath))
        Say("note: could not register the event log source; entries show without their text.");
    if (const SystemResult approved = ApproveAtInstall(includeConfig); !approved) {
        return Refused("could not write the service's configuration", approved.error);
    }
    return StartInstalled(service.Get());
}

// A service that stops on an error (its pipe's name taken, say) is started again, so that a
// program that took the name while the service was down does not keep it for good.
void Commands::ConfigureRecovery(SC_HANDLE service) {
    SC_ACTION actions[] = {{SC_ACTION_RESTART, kFirstRestartDelayMs},
                           {SC_ACTION_RESTART, kFirstRestartDelayMs},
                           {SC_ACTION_RESTART, kLaterRestartDelayMs}};
    SERVICE_FAILURE_ACTIONSW failure{};
    failure.dwResetPeriod = kFailureResetSeconds;
    failure.cActions = static_cast<DWORD>(std::size(actions));
    failure.lpsaActions = actions;
    if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure)) {
        Say("note: the system did not take the restart after a failure (error " + std::to_string(GetLastError()) +
            ").");
        return;
    }
    // Also when the service ends by itself with an error, not only when it crashes.
    SERVICE_FAILURE_ACTIONS_FLAG onError{TRUE};
    if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &onError)) {
        Say("note: the system did not take the restart after a stop with an error (error " +
            std::to_string(GetLastError()) + ").");
    }
}

// What the service may do, beyond its account: nothing here is essential to running it, so
// a system that does not know a setting only gets a note.
void Commands::ConfigureService(SC_HANDLE service) {
    std::wstring description = Widen(kDescription);
    SERVICE_DESCRIPTIONW describe{description.data()};
    ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &describe);
    // Delayed: setting the clock can wait until the machine has started.
    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed)) {
        Say("note: the system did not take the delayed start (error " + std::to_string(GetLastError()) + ").");
    }
    // The manager then starts the service with only these privileges in its token.
    std::wstring privileges; // each name ends with a zero, the list with one more
    for (const char* name : kTimeServicePrivileges) privileges += Widen(name) + L'\0';
    privileges += L'\0';
    SERVICE_REQUIRED_PRIVILEGES_INFOW required{privileges.data()};
    if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_REQUIRED_PRIVILEGES_INFO, &required)) {
        Say("note: the system did not take the list of required privileges (error " + std::to_string(GetLastError()) +
            "); the service drops the others itself when it starts.");
    }
}

SystemResult Commands::ApproveAtInstall(bool includeConfig) {
    const ServiceConfig config = LoadServiceConfig(m_platform);
    const bool firstInstall = !DefaultsApprovedBefore(m_platform);
    std::optional<std::string> configList;
    if (includeConfig) {
        const std::string dir = DirectoryOf(m_platform.ModuleFileName());
        const FileRead file = m_platform.ReadTextFileHead(dir + kSettingsFileName, kSettingsHeadBytes);
        if (file.status == FileRead::Status::Ok) {
            Settings settings;
            ApplyEmptyFileDefaults(settings, dir);
            ParseSettingsText(file.text, dir, settings);
            configList = settings.serverList;
            const InstallApprovals listed = PlanInstallApprovals({}, false, {}, configList);
            Say("approving the servers of " + dir + kSettingsFileName + ": " + ApprovedText(listed.approved));
        }
    }
    const InstallApprovals plan = PlanInstallApprovals(config.approved, firstInstall, DEFAULT_SERVER_LIST, configList);
    if (const SystemResult saved = SaveApprovedServers(m_platform, plan.approved); !saved) return saved;
    if (firstInstall) {
        if (const SystemResult marked = MarkDefaultsApproved(m_platform); !marked) return marked;
    }
    if (!HasStoredMaxCorrection(m_platform)) {
        if (const SystemResult saved = SaveMaxCorrection(m_platform, kDefaultMaxCorrectionSeconds); !saved)
            return saved;
    }
    for (const std::string& server : plan.added) Say("approved " + server);
    if (!firstInstall) Say("kept the approved servers an administrator left: " + ApprovedText(plan.approved));
    return kSystemOk;
}

SystemResult Commands::RegisterEventSource(const std::wstring& exePath) {
    const std::string path = Narrow(exePath);
    const SystemResult file =
        m_platform.WriteRegistryValue({RegistryRoot::LocalMachine, kEventSourceKey, "EventMessageFile"}, path);
    if (!file) return file;
    return m_platform.WriteRegistryValue({RegistryRoot::LocalMachine, kEventSourceKey, "TypesSupported"},
                                         std::uint32_t{kEventTypesSupported});
}

int Commands::StartInstalled(SC_HANDLE service) {
    // Right after the system starts, the manager may still hold its database for a while.
    const ULONGLONG patience = GetTickCount64() + kDatabaseLockedPatienceMs;
    DWORD error = ERROR_SUCCESS;
    while (!StartServiceW(service, 0, nullptr)) {
        error = GetLastError();
        if (error != ERROR_SERVICE_DATABASE_LOCKED || GetTickCount64() >= patience) break;
        Sleep(kDatabaseLockedRetryMs);
        error = ERROR_SUCCESS;
    }
    if (error != ERROR_SUCCESS && error != ERROR_SERVICE_ALREADY_RUNNING) {
        return Refused("installed, but the service did not start", error);
    }
    if (!WaitForServiceState(service, SERVICE_RUNNING, kServiceStateWaitMs)) {
        return Refused("installed, but the service is not running", GetLastError());
    }
    Say(std::string("installed and running as ") + kTimeServiceAccount + ", started automatically (delayed).");
    return kCommandOk;
}

int Commands::Uninstall() {
    if (!RequireElevation("uninstall")) return kCommandNotElevated;
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return Refused("the service control manager refused access", GetLastError());
    const ServiceHandle service(
        OpenServiceW(manager.Get(), Widen(kTimeServiceName).c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service && GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST) {
        return Refused("the service control manager refused access to the service", GetLastError());
    }
    if (service) {
        SERVICE_STATUS status{};
        if (ControlService(service.Get(), SERVICE_CONTROL_STOP, &status) &&
            !WaitForServiceState(service.Get(), SERVICE_STOPPED, kServiceStateWaitMs)) {
            Say("note: the service did not stop in time; it is removed once it ends.");
        }
        if (!DeleteService(service.Get()) && GetLastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
            return Refused("the service control manager refused to remove the service", GetLastError());
        }
    }
    Say(service ? "removed the service." : "the service was not installed.");
    const bool removed =
        RemoveKey(kEventSourceKey, "its event log source") && RemoveKey(kServiceConfigKey, "its configuration");
    return removed ? kCommandOk : kCommandFailed;
}

// Says what the system answered: removed, not there, or refused with its error.
bool Commands::RemoveKey(const char* key, const char* what) {
    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, Widen(key).c_str());
    if (status == ERROR_SUCCESS) {
        Say(std::string("removed ") + what + ".");
        return true;
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        Say(std::string(what) + " was not there.");
        return true;
    }
    Refused(std::string("could not remove ") + what + " (HKLM\\" + key + ")", static_cast<DWORD>(status));
    return false;
}

int Commands::Status() {
    const auto state = QueryTimeService();
    if (!state) return Refused("the service control manager could not be asked", GetLastError());
    const ServiceConfig config = EffectiveServiceConfig(m_platform);
    Say(ServiceStandingText({state->installed, state->Running(), state->processId, state->account, state->imagePath}));
    Say(ApprovedServersText(config.approved) + (config.approvedFromPolicy ? kFromPolicy : ""));
    Say(LargestCorrectionText(config.maxCorrectionSeconds) + (config.limitFromPolicy ? kFromPolicy : ""));
    Say(ConfirmAboveText(config.confirmAboveSeconds));
    if (!config.problems.empty()) Say("registry settings: " + config.problems);
    if (state->Running()) PrintLastResult();
    return state->Running() ? kCommandOk : kCommandFailed;
}

// Asks the running service, as the tray program would, for its last result.
void Commands::PrintLastResult() {
    Win32TimeServiceLink link;
    const auto opened = link.Open();
    if (opened != TimeServiceLink::Opened::Connected) {
        Say(opened == TimeServiceLink::Opened::Impostor ? "its pipe is served by another program!"
                                                        : "its pipe does not answer.");
        return;
    }
    const ULONGLONG deadline = GetTickCount64() + kStatusReplyWaitMs;
    if (!link.Send(EncodeRequest({RequestType::LastResult, {}}))) return;
    TimeServiceLink::Poll poll = link.PollReply();
    while (poll.state == TimeServiceLink::Poll::State::Waiting && GetTickCount64() < deadline) {
        Sleep(kStatusPollMs);
        poll = link.PollReply();
    }
    const auto reply = poll.state == TimeServiceLink::Poll::State::Arrived ? ParseReply(poll.message) : std::nullopt;
    if (!reply) {
        Say("its pipe gave no valid answer.");
        return;
    }
    Say(LastResultText(*reply));
}

int Commands::Approve(const std::string& server) {
    if (!RequireElevation("approve")) return kCommandNotElevated;
    ServiceConfig config = LoadServiceConfig(m_platform);
    const auto name = NormaliseServerName(server);
    if (name && IsSingleLabel(*name)) {
        Say("\"" + server +
            "\" is a single-label name, which any machine on the network can answer for; "
            "approve the server's full DNS name (with its domain) or its address.");
        return kCommandUsage;
    }
    if (!config.approved.Add(server)) {
        Say("\"" + server + "\" is not a host name or IPv4 address.");
        return kCommandUsage;
    }
    if (const SystemResult saved = SaveApprovedServers(m_platform, config.approved); !saved) {
        return Refused("could not write the approved list", saved.error);
    }
    Say("approved " + *NormaliseServerName(server) + ".");
    return kCommandOk;
}

int Commands::Revoke(const std::string& server) {
    if (!RequireElevation("revoke")) return kCommandNotElevated;
    ServiceConfig config = LoadServiceConfig(m_platform);
    if (!config.approved.Remove(server)) {
        Say(server + " was not approved; nothing changed.");
        return kCommandOk;
    }
    if (const SystemResult saved = SaveApprovedServers(m_platform, config.approved); !saved) {
        return Refused("could not write the approved list", saved.error);
    }
    Say("revoked " + *NormaliseServerName(server) + ".");
    return kCommandOk;
}

int Commands::Limit(const std::string& seconds) { return Set(kLimitSetting, seconds); }

int Commands::Confirm(const std::string& seconds) { return Set(kConfirmSetting, seconds); }

int Commands::Set(const SecondsSetting& setting, const std::string& seconds) {
    if (!RequireElevation(setting.command)) return kCommandNotElevated;
    const auto value = ParseCorrectionLimit(seconds);
    if (!value) {
        Say(std::string("the ") + setting.name + " is a whole number of seconds from " +
            std::to_string(kShortestSettingSeconds) + " to " + std::to_string(kLongestSettingSeconds) + ".");
        return kCommandUsage;
    }
    if (const SystemResult saved = setting.save(m_platform, *value); !saved) {
        return Refused(std::string("could not write the ") + setting.name, saved.error);
    }
    Say(setting.meaning(*value));
    return kCommandOk;
}

} // namespace

int RunServiceCommand(const std::vector<std::string>& args) {
    Commands commands;
    const std::string name = args.empty() ? std::string() : args[0];
    if (name == "install" && args.size() == 1) return commands.Install(false);
    if (name == "install" && args.size() == 2 && args[1] == kDefaultsOnlyOption) return commands.Install(false);
    if (name == "install" && args.size() == 2 && args[1] == kApproveConfigOption) return commands.Install(true);
    if (name == "uninstall" && args.size() == 1) return commands.Uninstall();
    if (name == "status" && args.size() == 1) return commands.Status();
    if (name == "approve" && args.size() == 2) return commands.Approve(args[1]);
    if (name == "revoke" && args.size() == 2) return commands.Revoke(args[1]);
    if (name == "limit" && args.size() == 2) return commands.Limit(args[1]);
    if (name == "confirm" && args.size() == 2) return commands.Confirm(args[1]);
    Print(kUsage);
    return kCommandUsage;
}

} // namespace hv
