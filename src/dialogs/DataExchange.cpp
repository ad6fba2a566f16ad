#include "dialogs/DataExchange.h"

#include <charconv>
#include <string>

namespace hv {

namespace {

constexpr const char* kTextNotAnInteger = "Please enter an integer.";
constexpr const char* kFormatOutOfRange = "Please enter an integer between %1 and %2.";

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<int> ParseInteger(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string RangeText(int minimum, int maximum) {
    std::string text = kFormatOutOfRange;
    text.replace(text.find("%1"), 2, std::to_string(minimum));
    text.replace(text.find("%2"), 2, std::to_string(maximum));
    return text;
}

std::nullopt_t Refuse(DialogView& view, int editId, const std::string& message) {
    view.ShowMessage(message, MessageIcon::Exclamation);
    view.Focus(editId);
    return std::nullopt;
}

} // namespace

std::optional<int> ReadInteger(DialogView& view, int editId, int minimum, int maximum) {
    const std::optional<int> value = ParseInteger(view.Text(editId));
    if (!value) return Refuse(view, editId, kTextNotAnInteger);
    if (*value < minimum || *value > maximum) return Refuse(view, editId, RangeText(minimum, maximum));
    return value;
}

void ShowInteger(DialogView& view, int editId, int value) { view.SetText(editId, std::to_string(value)); }

} // namespace hv
