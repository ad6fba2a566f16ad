#include "controls/HyperlinkControl.h"

#include "framework/Registry.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace hv {

namespace {

constexpr std::string_view kWebPageExtension = ".htm";
constexpr std::string_view kOpenCommandSubkey = "\\shell\\open\\command";
constexpr std::string_view kDefaultValue = "";
constexpr std::string_view kQuotedPlaceholder = "\"%1\"";
constexpr std::string_view kPlaceholder = "%1";
constexpr std::string_view kErrorIntro = "Unable to open hyperlink:\n\n";
// The fallback's outcome in the shell's terms: any code above 32 means it started, and the
// system's "bad program format" is the shell's invalid .EXE file.
constexpr int kStartedCode = 33;
constexpr std::uint32_t kErrorBadProgramFormat = 193;
constexpr int kShellInvalidProgram = 11;

struct CodeText {
    int code;
    std::string_view text;
};

// The shell's documented execution errors, in the words the user is shown.
constexpr std::array kErrorTexts{
    CodeText{0, "The operating system is out\nof memory or resources."},
    CodeText{2, "The specified file was not found."},
    CodeText{3, "The specified path was not found."},
    CodeText{5, "The operating system denied\naccess to the specified file."},
    CodeText{8, "There was not enough memory to complete the operation."},
    CodeText{11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    CodeText{26, "A sharing violation occurred. "},
    CodeText{27, "The filename association is\nincomplete or invalid."},
    CodeText{28, "The DDE transaction could not\nbe completed because the request timed out."},
    CodeText{29, "The DDE transaction failed."},
    CodeText{30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
    CodeText{31, "There is no application associated\nwith the given filename extension."},
    CodeText{32, "The specified dynamic-link library was not found."},
};

// A non-empty string value of the classes root, or nothing.
std::optional<std::string> ClassesRootText(Platform& platform, std::string_view key) {
    auto text = ValueAs<std::string>(platform.ReadRegistryValue({RegistryRoot::ClassesRoot, key, kDefaultValue}));
    if (text && text->empty()) return std::nullopt;
    return text;
}

} // namespace

std::string HyperlinkControl::OnAttach(std::string_view windowText) {
    if (m_target.empty()) m_target = windowText;
    return windowText.empty() ? m_target : std::string(windowText);
}

PixelRect HyperlinkControl::Fitted(const PixelRect& place, PixelSize text, TextAlignment alignment,
                                   bool centredVertically) const {
    PixelRect fitted = place;
    if (centredVertically) {
        const int half = (place.bottom - place.top - text.height) / 2;
        fitted.top += half;
        fitted.bottom -= half;
    } else {
        fitted.bottom = fitted.top + text.height;
    }
    switch (alignment) {
    case TextAlignment::Centre: {
        const int half = (place.right - place.left - text.width) / 2;
        fitted.left += half;
        fitted.right -= half;
        break;
    }
    case TextAlignment::Right: fitted.left = fitted.right - text.width; break;
    case TextAlignment::Left: fitted.right = fitted.left + text.width; break;
    }
    return fitted;
}

Colour HyperlinkControl::TextColour() const {
    if (m_hovering) return kHoverColour;
    return m_visited ? kVisitedColour : kLinkColour;
}

void HyperlinkControl::OnClicked(DialogView& view) {
    const int code = OpenLinkTarget(m_platform, m_target);
    m_visited = Launched(code);
    // The exclamation icon brings the system's exclamation sound with it.
    if (!m_visited) view.ShowMessage(LinkErrorText(code), MessageIcon::Exclamation);
}

int OpenLinkTarget(Platform& platform, std::string_view target) {
    const int shellCode = platform.ShellOpen(target);
    if (Launched(shellCode)) return shellCode;
    const auto webPageKind = ClassesRootText(platform, kWebPageExtension);
    if (!webPageKind) return shellCode;
    const auto command = ClassesRootText(platform, *webPageKind + std::string(kOpenCommandSubkey));
    if (!command) return shellCode;
    const ProgramStart start = platform.StartCommandLine(WebPageCommandLine(*command, target));
    if (start.status == ProgramStart::Status::Started) return kStartedCode;
    return start.error == kErrorBadProgramFormat ? kShellInvalidProgram : static_cast<int>(start.error);
}

std::string WebPageCommandLine(std::string_view registered, std::string_view target) {
    std::string_view line = registered;
    if (const auto quoted = line.find(kQuotedPlaceholder); quoted != std::string_view::npos) {
        line = line.substr(0, quoted);
    } else if (const auto bare = line.find(kPlaceholder); bare != std::string_view::npos) {
        line = line.substr(0, bare);
    }
    return std::string(line) + " " + QuotedArgument(target);
}

std::string QuotedArgument(std::string_view text) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only before a quote: there they are doubled, and the
        // quote itself is escaped.
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        quoted += c;
        backslashes = 0;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::string LinkErrorText(int code) {
    for (const CodeText& known : kErrorTexts) {
        if (known.code == code) return std::string(kErrorIntro) + std::string(known.text);
    }
    return std::string(kErrorIntro) + "Unknown Error (" + std::to_string(code) + ") occurred.";
}

} // namespace hv
