#include "framework/fake/DialogTemplates.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sstream>

namespace hv {

namespace {

// The system's own numbers the scripts use besides those of resource.h.
const std::map<std::string, long> kSystemIds = {{"IDOK", 1}, {"IDCANCEL", 2}};

// Style words that change how the fake treats a control; all others are layout only.
struct Styles {
    bool disabled = false, group = false, autoCheck = false, autoRadio = false, readOnly = false, number = false;
};

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "dialog templates: %s\n", what.c_str());
    std::abort();
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Splits "a, "b, c", d | e" at top-level commas; quoted texts keep their commas.
std::vector<std::string> Arguments(const std::string& text) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) {
            parts.emplace_back();
            continue;
        }
        parts.back() += c;
    }
    for (auto& part : parts) part = Trim(part);
    return parts;
}

std::string Unquote(const std::string& text) {
    if (text.size() < 2 || text.front() != '"') return text;
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '"' && text[i + 1] == '"') ++i; // "" stands for one quote
        out += text[i];
    }
    return out;
}

class ScriptReader {
public:
    explicit ScriptReader(const std::filesystem::path& directory) {
        ReadDefines(directory / "resource.h");
        for (const auto& entry : std::filesystem::directory_iterator(directory / "dialogs")) {
            if (entry.path().extension() == ".rc") ReadScript(entry.path());
        }
    }

    std::map<int, DialogTemplate> templates;

private:
    void ReadDefines(const std::filesystem::path& header) {
        std::ifstream in(header);
        if (!in) Fail("cannot read " + header.string());
        std::string word, name, value;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            if (!(fields >> word >> name >> value) || word != "#define") continue;
            if (value.front() == '(') value = value.substr(1, value.size() - 2);
            m_ids[name] = std::strtol(value.c_str(), nullptr, 0);
        }
    }

    int Id(const std::string& text) const {
        if (auto it = m_ids.find(text); it != m_ids.end()) return static_cast<int>(it->second);
        if (auto it = kSystemIds.find(text); it != kSystemIds.end()) return static_cast<int>(it->second);
        char* end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 0);
        if (text.empty() || *end != '\0') Fail("unknown id " + text);
        return static_cast<int>(number);
    }

    static Styles StylesOf(const std::string& text) {
        Styles styles;
        std::istringstream words(text);
        bool negated = false;
        for (std::string word; std::getline(words, word, '|');) {
            std::istringstream parts(word);
            for (std::string part; parts >> part;) {
                if (part == "NOT") {
                    negated = true;
                    continue;
                }
                const bool on = !negated;
                negated = false;
                if (part == "WS_DISABLED") styles.disabled = on;
                if (part == "WS_GROUP") styles.group = on;
                if (part == "BS_AUTOCHECKBOX") styles.autoCheck = on;
                if (part == "BS_AUTORADIOBUTTON") styles.autoRadio = on;
                if (part == "ES_READONLY") styles.readOnly = on;
                if (part == "ES_NUMBER") styles.number = on;
            }
        }
        return styles;
    }

    // The statements of one script; a line ending in "," or "|" goes on in the next.
    void ReadScript(const std::filesystem::path& script) {
        std::ifstream in(script);
        std::string statement;
        DialogTemplate* current = nullptr;
        for (std::string line; std::getline(in, line);) {
            line = Trim(line.substr(0, line.find("//")));
            if (line.empty()) continue;
            statement += line;
            if (line.back() == ',' || line.back() == '|') {
                statement += ' ';
                continue;
            }
            current = Statement(statement, current);
            statement.clear();
        }
    }

    DialogTemplate* Statement(const std::string& statement, DialogTemplate* current) {
        std::istringstream words(statement);
        std::string first, second;
        words >> first >> second;
        if (second == "DIALOGEX" || second == "DIALOG") {
            DialogTemplate& made = templates[Id(first)];
            made.id = Id(first);
            return &made;
        }
        if (current == nullptr || first == "BEGIN" || first == "END" || first == "STYLE" || first == "FONT" ||
            first == "EXSTYLE") {
            return current;
        }
        const std::vector<std::string> args = Arguments(statement.substr(first.size()));
        if (first == "CAPTION") {
            current->caption = Unquote(args[0]);
        } else {
            current->controls.push_back(Control(first, args));
        }
        return current;
    }

    ControlTemplate Control(const std::string& keyword, const std::vector<std::string>& args) const {
        using Kind = ControlTemplate::Kind;
        ControlTemplate control;
        Styles styles;
        if (keyword == "EDITTEXT") {
            control.kind = Kind::Edit;
            control.id = Id(args.at(0));
            if (args.size() > 5) styles = StylesOf(args[5]);
        } else if (keyword == "ICON") {
            control.kind = Kind::Icon;
            control.id = Id(args.at(1));
        } else if (keyword == "CONTROL") {
            control.text = Unquote(args.at(0));
            control.id = Id(args.at(1));
            styles = StylesOf(args.at(3));
            control.kind = ClassKind(Unquote(args.at(2)), styles);
        } else {
            static const std::map<std::string, Kind> kKeywords = {{"LTEXT", Kind::Static},
                                                                  {"RTEXT", Kind::Static},
                                                                  {"CTEXT", Kind::Static},
                                                                  {"PUSHBUTTON", Kind::Button},
                                                                  {"DEFPUSHBUTTON", Kind::Button},
                                                                  {"CHECKBOX", Kind::CheckBox},
                                                                  {"AUTOCHECKBOX", Kind::CheckBox},
                                                                  {"RADIOBUTTON", Kind::RadioButton},
                                                                  {"AUTORADIOBUTTON", Kind::RadioButton},
                                                                  {"GROUPBOX", Kind::GroupBox}};
            const auto kind = kKeywords.find(keyword);
            if (kind == kKeywords.end()) Fail("unknown statement " + keyword);
            control.kind = kind->second;
            control.text = Unquote(args.at(0));
            control.id = Id(args.at(1));
            if (args.size() > 6) styles = StylesOf(args[6]);
            styles.autoCheck = styles.autoCheck || keyword == "AUTOCHECKBOX";
            styles.autoRadio = styles.autoRadio || keyword == "AUTORADIOBUTTON";
        }
        control.automatic = styles.autoCheck || styles.autoRadio;
        control.startsGroup = styles.group;
        control.disabled = styles.disabled;
        control.readOnly = styles.readOnly;
        control.numbersOnly = styles.number;
        return control;
    }

    static ControlTemplate::Kind ClassKind(const std::string& windowClass, const Styles& styles) {
        using Kind = ControlTemplate::Kind;
        if (windowClass == "Button" || windowClass == "BUTTON") {
            if (styles.autoCheck) return Kind::CheckBox;
            if (styles.autoRadio) return Kind::RadioButton;
            return Kind::Button;
        }
        if (windowClass == "Static" || windowClass == "STATIC") return Kind::Static;
        if (windowClass == "Edit" || windowClass == "EDIT") return Kind::Edit;
        if (windowClass == "SysListView32" || windowClass == "WC_LISTVIEW") return Kind::ListView;
        if (windowClass == "msctls_trackbar32" || windowClass == "TRACKBAR_CLASS") return Kind::Trackbar;
        return Kind::Other;
    }

    std::map<std::string, long> m_ids;
};

// Horvane's own resources and each companion's (companions/<Name>/res), every folder with
// its own resource.h. One id names one template across all of them.
std::map<int, DialogTemplate> ReadAllTemplates() {
    std::vector<std::filesystem::path> folders{HORVANE_RESOURCE_DIR};
    for (const auto& companion : std::filesystem::directory_iterator(HORVANE_COMPANIONS_DIR)) {
        if (std::filesystem::is_directory(companion.path() / "res" / "dialogs"))
            folders.push_back(companion.path() / "res");
    }
    std::map<int, DialogTemplate> all;
    for (const auto& folder : folders) {
        for (auto& [id, made] : ScriptReader(folder).templates) {
            if (!all.emplace(id, std::move(made)).second) Fail("two templates with id " + std::to_string(id));
        }
    }
    return all;
}

} // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    static const std::map<int, DialogTemplate> templates = ReadAllTemplates();
    const auto it = templates.find(id);
    return it == templates.end() ? nullptr : &it->second;
}

} // namespace hv
