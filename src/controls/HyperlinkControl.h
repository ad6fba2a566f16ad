#pragma once
#include "framework/LinkControl.h"
#include "framework/Platform.h"

#include <string>
#include <string_view>

namespace hv {

// A static text of a dialog turned into a link: drawn underlined in the link colour, red
// while the mouse is over it, in the visited colour once it has opened; a click opens its
// target through the shell. The runner gives it its window side (see LinkControl).
class HyperlinkControl final : public LinkControl {
public:
    static constexpr Colour kLinkColour = RgbColour(0, 0, 238);
    static constexpr Colour kVisitedColour = RgbColour(85, 26, 139);
    static constexpr Colour kHoverColour = RgbColour(255, 0, 0);

    HyperlinkControl(Platform& platform, int controlId) : m_platform(platform), m_controlId(controlId) {}

    // What a click opens: a URL, a "mailto:" address or a file. The text shown stays.
    void SetTarget(std::string_view target) { m_target = target; }
    void SetVisited(bool visited) { m_visited = visited; }
    bool Visited() const { return m_visited; }

    int ControlId() const override { return m_controlId; }
    bool Underlined() const override { return true; }
    // A link without a target opens its text; one without text shows its target.
    std::string OnAttach(std::string_view windowText) override;
    PixelRect Fitted(const PixelRect& place, PixelSize text, TextAlignment alignment,
                     bool centredVertically) const override;
    std::string Target() const override { return m_target; }
    Colour TextColour() const override;
    bool Hovering() const override { return m_hovering; }
    void SetHovering(bool hovering) override { m_hovering = hovering; }
    // Visited when it opened; otherwise the user is told why not, and it is not visited.
    void OnClicked(DialogView& view) override;

private:
    Platform& m_platform;
    int m_controlId;
    std::string m_target;
    bool m_hovering = false;
    bool m_visited = false;
};

// Opens a link's target: through the shell, or failing that with the program registered for
// web pages (".htm"). Returns the shell's code, or the starter's once the fallback ran.
int OpenLinkTarget(Platform& platform, std::string_view target);

// The command registered for web pages made to open `target`: the line is cut where its
// "%1" placeholder begins (with its opening quote, and the switches after it), and the target
// follows after a blank as one quoted argument.
std::string WebPageCommandLine(std::string_view registered, std::string_view target);

// A command-line argument that the started program reads back as exactly `text`, whatever
// blanks, quotes or backslashes it holds (the system's quoting rules).
std::string QuotedArgument(std::string_view text);

// What the user is told when a link does not open, for the shell's or the starter's code.
std::string LinkErrorText(int code);

} // namespace hv
