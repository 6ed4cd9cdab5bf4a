// Parsing and line-preserving edits of an INI file, with Windows' profile rules.
#include "settings/ini_document.h"

#include <algorithm>
#include <utility>

namespace qrvl {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Windows trims with the C isspace set; a tab or a form feed counts, other control bytes do not.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string_view IniDocument::trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    return trimRight(text);
}

std::string_view IniDocument::trimRight(std::string_view text) {
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IniDocument::sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

IniDocument::IniDocument(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom) {
        bom_ = true;
        bytes.remove_prefix(kBom.size());
    }
    while (!bytes.empty()) {
        const auto lf = bytes.find('\n');
        Line line;
        if (lf == std::string_view::npos) {
            line.text = std::string(bytes);
            bytes = {};
        } else {
            const bool crlf = lf > 0 && bytes[lf - 1] == '\r';
            line.text = std::string(bytes.substr(0, crlf ? lf - 1 : lf));
            line.end = crlf ? "\r\n" : "\n";
            bytes.remove_prefix(lf + 1);
        }
        lines_.push_back(std::move(line));
    }
}

std::string IniDocument::bytes() const {
    std::string out = bom_ ? std::string(kBom) : std::string();
    for (const auto& line : lines_) {
        out += line.text;
        out += line.end;
    }
    return out;
}

IniDocument::Parsed IniDocument::parse(std::string_view text) {
    Parsed parsed;
    const auto trimmed = trim(text);
    if (trimmed.empty()) {
        return parsed;
    }
    // "[A]b]c]" names the section "A]b]c": the name runs to the last bracket on the line.
    const auto close = trimmed.rfind(']');
    if (trimmed.front() == '[' && close != std::string_view::npos && close > 0) {
        parsed.kind = Parsed::Kind::Header;
        parsed.name = trim(trimmed.substr(1, close - 1));
        return parsed;
    }
    parsed.kind = Parsed::Kind::Entry;
    const auto eq = trimmed.find('=');
    if (eq == std::string_view::npos) {
        parsed.name = trimmed;
        return parsed;
    }
    parsed.name = trimRight(trimmed.substr(0, eq));
    auto rest = trimmed.substr(eq + 1);
    while (!rest.empty() && isBlank(rest.front())) {
        rest.remove_prefix(1);
    }
    parsed.value = rest;
    parsed.valueOffset = static_cast<std::size_t>(rest.data() - text.data());
    return parsed;
}

std::vector<IniDocument::Section> IniDocument::sections() const {
    std::vector<Section> found;
    Section current{0, 0, false};
    bool namelessHasLines = false;  // the part above the first header is a section only then
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto parsed = parse(lines_[i].text);
        if (parsed.kind == Parsed::Kind::Header) {
            if (current.hasHeader || namelessHasLines) {
                current.end = i;
                found.push_back(current);
            }
            current = Section{i, i + 1, true};
        } else if (parsed.kind == Parsed::Kind::Entry && !current.hasHeader) {
            namelessHasLines = true;
        }
    }
    if (current.hasHeader || namelessHasLines) {
        current.end = lines_.size();
        found.push_back(current);
    }
    return found;
}

std::optional<IniDocument::Section> IniDocument::findSection(std::string_view name) const {
    for (const auto& section : sections()) {
        // A nameless header ("[]") can never be reached: the empty name means the lines before
        // the first header, and only those.
        if (!section.hasHeader) {
            if (name.empty()) {
                return section;
            }
            continue;
        }
        const auto header = parse(lines_[section.first].text).name;
        if (!name.empty() && sameName(header, name)) {
            return section;
        }
    }
    return std::nullopt;
}

std::optional<IniDocument::Entry> IniDocument::entryAt(std::size_t line) const {
    const auto parsed = parse(lines_[line].text);
    if (parsed.kind != Parsed::Kind::Entry) {
        return std::nullopt;
    }
    return Entry{line, parsed.name, parsed.value, parsed.valueOffset};
}

std::optional<IniDocument::Entry> IniDocument::findEntry(const Section& section,
                                                         std::string_view key) const {
    const auto begin = section.hasHeader ? section.first + 1 : section.first;
    for (auto i = begin; i < section.end; ++i) {
        // A line without "=" still takes part: it hides a later line of the same name.
        if (auto entry = entryAt(i); entry && sameName(entry->name, key)) {
            return entry;
        }
    }
    return std::nullopt;
}

std::vector<std::string_view> IniDocument::sectionNames() const {
    std::vector<std::string_view> names;
    for (const auto& section : sections()) {
        if (section.hasHeader) {
            const auto name = parse(lines_[section.first].text).name;
            if (!name.empty()) {
                names.push_back(name);
            }
        }
    }
    return names;
}

std::vector<std::string_view> IniDocument::keyNames(const Section& section) const {
    std::vector<std::string_view> names;
    const auto begin = section.hasHeader ? section.first + 1 : section.first;
    for (auto i = begin; i < section.end; ++i) {
        const auto entry = entryAt(i);
        if (entry && entry->value && (entry->name.empty() || entry->name.front() != ';')) {
            names.push_back(entry->name);
        }
    }
    return names;
}

std::string IniDocument::lineEnd() const {
    for (const auto& line : lines_) {
        if (!line.end.empty()) {
            return line.end;
        }
    }
    return "\r\n";
}

void IniDocument::insertLine(std::size_t at, std::string text) {
    const auto end = lineEnd();
    if (at > 0 && lines_[at - 1].end.empty()) {
        lines_[at - 1].end = end;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), end});
}

void IniDocument::setValue(std::string_view sectionName, std::string_view key,
                           std::string_view value) {
    key = trim(key);
    auto section = findSection(trim(sectionName));
    if (!section) {
        const auto name = trim(sectionName);
        if (name.empty()) {
            // The nameless section lives above the first header.
            insertLine(0, std::string(key) + "=" + std::string(value));
            return;
        }
        insertLine(lines_.size(), "[" + std::string(name) + "]");
        insertLine(lines_.size(), std::string(key) + "=" + std::string(value));
        return;
    }
    if (const auto entry = findEntry(*section, key)) {
        auto& text = lines_[entry->line].text;
        if (entry->value == value) {
            return;  // the same value keeps its line as it was, blanks around it included
        }
        if (entry->value) {
            text = text.substr(0, entry->valueOffset) + std::string(value);
        } else {
            text = std::string(trimRight(text)) + "=" + std::string(value);
        }
        return;
    }
    // After the section's last non-blank line, so that blank lines before the next header stay
    // where they are.
    auto at = section->end;
    const auto stop = section->hasHeader ? section->first + 1 : section->first;
    while (at > stop && trim(lines_[at - 1].text).empty()) {
        --at;
    }
    insertLine(at, std::string(key) + "=" + std::string(value));
}

bool IniDocument::removeEntry(std::string_view sectionName, std::string_view key) {
    const auto section = findSection(sectionName);
    if (!section) {
        return false;
    }
    const auto entry = findEntry(*section, key);
    if (!entry) {
        return false;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(entry->line));
    return true;
}

bool IniDocument::removeSection(std::string_view sectionName) {
    const auto section = findSection(sectionName);
    if (!section) {
        return false;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(section->first),
                 lines_.begin() + static_cast<std::ptrdiff_t>(section->end));
    return true;
}

}  // namespace qrvl
