// HorvaneDriver: the end-to-end tests' hands inside the Windows session. It finds windows by
// their exact title, sends them messages, and plays a companion window that records what it
// is sent. Answers are "key=value" lines on standard output.

#include "Commands.h"
#include "Companion.h"
#include "DialogControls.h"
#include "Output.h"
#include "ServicePipe.h"
#include "ShellRestart.h"
#include "Tooltip.h"
#include "UserInput.h"
#include "WindowList.h"

#include <array>
#include <string_view>

namespace {

using driver::Arguments;

struct Subcommand {
    std::string_view name;
    std::size_t minArgs;
    std::size_t maxArgs;
    int (*run)(const Arguments&);
    std::string_view usage;
};

int RunCompanionCommand(const Arguments& args) {
    auto options = driver::ParseCompanionOptions(args);
    if (!options) return driver::kExitUsage;
    return driver::RunCompanion(*options);
}

constexpr std::size_t kUnlimited = 1000;

constexpr std::array kSubcommands{
    Subcommand{"find", 1, 1, driver::RunFind, "find TITLE"},
    Subcommand{"wait", 2, 2, driver::RunWait, "wait TITLE SECONDS"},
    Subcommand{"wait-gone", 2, 2, driver::RunWaitGone, "wait-gone TITLE SECONDS"},
    Subcommand{"count", 1, 1, driver::RunCount, "count TITLE"},
    Subcommand{"styles", 1, 1, driver::RunStyles, "styles TITLE"},
    Subcommand{"copydata", 2, 3, driver::RunCopyData, "copydata TITLE CODE [TEXT]"},
    Subcommand{"copydata-null", 1, 1, driver::RunCopyDataNull, "copydata-null TITLE"},
    Subcommand{"copydata-badlen", 2, 2, driver::RunCopyDataBadLength, "copydata-badlen TITLE CODE"},
    Subcommand{"command", 2, 2, driver::RunCommand, "command TITLE ID"},
    Subcommand{"close", 1, 1, driver::RunClose, "close TITLE"},
    Subcommand{"post-close", 1, 1, driver::RunPostClose, "post-close TITLE"},
    Subcommand{"endsession", 1, 1, driver::RunEndSession, "endsession TITLE"},
    Subcommand{"message", 4, 4, driver::RunMessage, "message TITLE MSG WPARAM LPARAM"},
    Subcommand{"post", 4, 4, driver::RunPost, "post TITLE MSG WPARAM LPARAM"},
    Subcommand{"tray-notify", 2, 2, driver::RunTrayNotify, "tray-notify TITLE MOUSEMSG"},
    Subcommand{"tray-icons", 0, 0, driver::RunTrayIcons, "tray-icons"},
    Subcommand{"tray-delete", 1, 1, driver::RunTrayDelete, "tray-delete TITLE"},
    Subcommand{"broadcast", 1, 1, driver::RunBroadcast, "broadcast MESSAGENAME"},
    Subcommand{"menu-wait", 1, 1, driver::RunMenuWait, "menu-wait SECONDS"},
    Subcommand{"menu-keys", 2, kUnlimited, driver::RunMenuKeys, "menu-keys SECONDS KEY..."},
    Subcommand{"click", 3, 3, driver::RunClick, "click X Y left|right"},
    Subcommand{"drag", 4, 4, driver::RunDrag, "drag X1 Y1 X2 Y2"},
    Subcommand{"cursor", 2, 2, driver::RunCursor, "cursor X Y"},
    Subcommand{"tooltip", 1, 1, driver::RunTooltip, "tooltip SECONDS"},
    Subcommand{"windows", 0, 0, driver::RunWindows, "windows"},
    Subcommand{"controls", 1, 1, driver::RunControls, "controls TITLE"},
    Subcommand{"window", 1, 1, driver::RunWindowFacts, "window TITLE"},
    Subcommand{"set-text", 3, 3, driver::RunSetText, "set-text TITLE ID TEXT"},
    Subcommand{"click-control", 2, 2, driver::RunClickControl, "click-control TITLE ID"},
    Subcommand{"keys", 2, kUnlimited, driver::RunKeys, "keys TITLE KEY..."},
    Subcommand{"listview", 2, 2, driver::RunListView, "listview TITLE ID"},
    Subcommand{"monthcal", 2, 2, driver::RunMonthCalendar, "monthcal TITLE ID"},
    Subcommand{"pipe-send", 3, 3, driver::RunPipeSend, "pipe-send PIPE HEX|- SECONDS"},
    Subcommand{"companion", 2, kUnlimited, RunCompanionCommand,
               "companion TITLE LOGFILE [--seconds N] [--hung] [--send-after MS CODE [TEXT]]..."},
    Subcommand{"hold-file", 2, 2, driver::RunHoldFile, "hold-file PATH SECONDS"},
};

int PrintUsage() {
    driver::PrintError("usage: HorvaneDriver SUBCOMMAND ARGS...");
    for (const auto& subcommand : kSubcommands) driver::PrintError(subcommand.usage);
    return driver::kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return PrintUsage();
    std::string_view name = argv[1];
    Arguments args(argv + 2, argv + argc);
    for (const auto& subcommand : kSubcommands) {
        if (subcommand.name != name) continue;
        if (args.size() < subcommand.minArgs || args.size() > subcommand.maxArgs) {
            driver::PrintError("usage: HorvaneDriver " + std::string(subcommand.usage));
            return driver::kExitUsage;
        }
        return subcommand.run(args);
    }
    return PrintUsage();
}
