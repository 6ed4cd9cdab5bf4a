// Parsing and line-preserving edits of an INI file, with Windows' profile rules.
#include "settings/ini_document.h"

#include <algorithm>
#include <utility>

namespace qrvl {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Windows trims with the C isspace set, a tab or a form feed included, and with ^Z; other control
// bytes stay.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
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
        const auto stop = std::min(bytes.find_first_of("\r\n"), bytes.size());
        auto endSize = std::min<std::size_t>(bytes.size() - stop, 1);
        if (bytes.substr(stop, 2) == "\r\n") {
            endSize = 2;
        }
        lines_.push_back(
            parse(std::string(bytes.substr(0, stop)), std::string(bytes.substr(stop, endSize))));
        bytes.remove_prefix(stop + endSize);
    }
    index();
}

std::string IniDocument::bytes() const {
    std::string out = bom_ ? std::string(kBom) : std::string();
    for (const auto& line : lines_) {
        out += line.text;
        out += line.end;
    }
    return out;
}

IniDocument::Line IniDocument::parse(std::string text, std::string end) {
    Line line;
    line.text = std::move(text);
    line.end = std::move(end);
    const std::string_view whole = line.text;
    const auto trimmed = trim(whole);
    if (trimmed.empty()) {
        return line;
    }
    const auto span = [&whole](std::string_view part) {
        return Span{static_cast<std::size_t>(part.data() - whole.data()),
                    std::min(part.size(), part.find('\0'))};
    };
    // "[A]b]c]" names the section "A]b]c": the name runs to the last bracket on the line.
    const auto close = trimmed.rfind(']');
    if (trimmed.front() == '[' && close != std::string_view::npos && close > 0) {
        line.kind = Kind::Header;
        line.name = span(trim(trimmed.substr(1, close - 1)));
        return line;
    }
    line.kind = Kind::Entry;
    const auto eq = trimmed.find('=');
    if (eq == std::string_view::npos) {
        line.name = span(trimmed);
        return line;
    }
    line.name = span(trimRight(trimmed.substr(0, eq)));
    auto rest = trimmed.substr(eq + 1);
    while (!rest.empty() && isBlank(rest.front())) {
        rest.remove_prefix(1);
    }
    line.value = span(rest);
    return line;
}

void IniDocument::index() {
    sections_.clear();
    Section current{0, 0, false};
    bool namelessHasLines = false;  // the part above the first header is a section only then
    bool afterNameless = false;     // the last entry of this section so far had no name
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto& line = lines_[i];
        if (line.kind == Kind::Header) {
            if (current.hasHeader || namelessHasLines) {
                current.end = i;
                sections_.push_back(current);
            }
            current = Section{i, i + 1, true};
            afterNameless = false;
        } else if (line.kind == Kind::Entry) {
            namelessHasLines = namelessHasLines || !current.hasHeader;
            const bool nameless = line.name.size == 0;
            line.unread = nameless && afterNameless;
            afterNameless = nameless;
        }
    }
    if (current.hasHeader || namelessHasLines) {
        current.end = lines_.size();
        sections_.push_back(current);
    }
}

std::string_view IniDocument::nameOf(const Line& line) const {
    return std::string_view(line.text).substr(line.name.at, line.name.size);
}

std::size_t IniDocument::firstBodyLine(const Section& section) const {
    return section.hasHeader ? section.first + 1 : section.first;
}

std::optional<IniDocument::Section> IniDocument::findSection(std::string_view name) const {
    for (const auto& section : sections_) {
        // A nameless header ("[]") can never be reached: the empty name means the lines before
        // the first header, and only those.
        if (!section.hasHeader) {
            if (name.empty()) {
                return section;
            }
            continue;
        }
        if (!name.empty() && sameName(nameOf(lines_[section.first]), name)) {
            return section;
        }
    }
    return std::nullopt;
}

std::optional<IniDocument::Entry> IniDocument::entryAt(std::size_t line) const {
    const auto& at = lines_[line];
    if (at.kind != Kind::Entry || at.unread) {
        return std::nullopt;
    }
    Entry entry{line, nameOf(at), std::nullopt, 0};
    if (at.value) {
        entry.value = std::string_view(at.text).substr(at.value->at, at.value->size);
        entry.valueOffset = at.value->at;
    }
    return entry;
}

std::optional<IniDocument::Entry> IniDocument::findEntry(const Section& section,
                                                         std::string_view key) const {
    for (auto i = firstBodyLine(section); i < section.end; ++i) {
        // A line without "=" still takes part: it hides a later line of the same name.
        if (auto entry = entryAt(i); entry && sameName(entry->name, key)) {
            return entry;
        }
    }
    return std::nullopt;
}

std::vector<std::string_view> IniDocument::sectionNames() const {
    std::vector<std::string_view> names;
    for (const auto& section : sections_) {
        if (section.hasHeader) {
            const auto name = nameOf(lines_[section.first]);
            if (!name.empty()) {
                names.push_back(name);
            }
        }
    }
    return names;
}

std::vector<std::string_view> IniDocument::keyNames(const Section& section) const {
    std::vector<std::string_view> names;
    for (auto i = firstBodyLine(section); i < section.end; ++i) {
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
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), parse(std::move(text), end));
}

void IniDocument::setValue(std::string_view sectionName, std::string_view key,
                           std::string_view value) {
    key = trim(key);
    const auto name = trim(sectionName);
    const auto newEntry = std::string(key) + "=" + std::string(value);
    const auto section = findSection(name);
    if (!section) {
        if (!name.empty()) {
            // Appended piece by piece: GCC 12 warns falsely about '"[" + name + "]"' (restrict).
            std::string header = "[";
            header.append(name).append("]");
            insertLine(lines_.size(), header);
        }
        // The nameless section lives above the first header.
        insertLine(name.empty() ? 0 : lines_.size(), newEntry);
    } else if (const auto entry = findEntry(*section, key)) {
        if (entry->value == value) {
            return;  // the same value keeps its line as it was, blanks around it included
        }
        auto& line = lines_[entry->line];
        auto text = entry->value ? line.text.substr(0, entry->valueOffset) + std::string(value)
                                 : std::string(trimRight(line.text)) + "=" + std::string(value);
        line = parse(std::move(text), std::move(line.end));
    } else {
        // After the section's last non-blank line, so that blank lines before the next header
        // stay where they are.
        auto at = section->end;
        while (at > firstBodyLine(*section) && lines_[at - 1].kind == Kind::Blank) {
            --at;
        }
        insertLine(at, newEntry);
    }
    index();
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
    auto last = entry->line + 1;
    for (auto i = last; i < section->end; ++i) {
        if (lines_[i].kind == Kind::Entry) {
            if (!lines_[i].unread) {
                break;
            }
            last = i + 1;
        }
    }
    // The unread lines go, and the blank lines between them with them.
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(entry->line),
                 lines_.begin() + static_cast<std::ptrdiff_t>(last));
    index();
    return true;
}

bool IniDocument::removeSection(std::string_view sectionName) {
    const auto section = findSection(sectionName);
    if (!section) {
        return false;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(section->first),
                 lines_.begin() + static_cast<std::ptrdiff_t>(section->end));
    index();
    return true;
}

}  // namespace qrvl
