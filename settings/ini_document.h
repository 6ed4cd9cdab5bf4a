// An INI file held as its own lines, so that an edit touches only the lines it must.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrvl {

// The file's bytes split after each line ending: CRLF, LF, or a CR on its own, which Windows also
// takes as the end of a line. Every line keeps its own ending, so writing the document back gives
// the same bytes for every line that no edit touched, whatever it holds: comments, blank lines,
// lines the parser does not understand, mixed line endings.
//
// Each line is parsed once, when the document is made or when an edit writes it. The parse
// follows Windows' profile calls:
// - blanks are the C isspace set and ^Z (0x1A, the old end-of-file mark);
// - a header is "[" up to the last "]" of the line, its name trimmed;
// - an entry is a name, then optionally "=" and a value, both trimmed of blanks;
// - a NUL ends a name or a value, as it ends a C string (after the trimming, so "a=1 \0" is "1 ");
// - an entry without a name that follows another one (only blank lines between) is never read.
// Lines before the first header form the nameless section, which exists only when it holds a
// non-blank line. Names match by sameName; the first match wins.
class IniDocument {
  public:
    // A section is the header line (none for the nameless one) and the lines up to the next header.
    struct Section {
        std::size_t first;  // the header line, or 0 for the nameless section
        std::size_t end;    // one past the last line
        bool hasHeader;
    };

    // Views into the document, valid until its next edit.
    struct Entry {
        std::size_t line;
        std::string_view name;
        std::optional<std::string_view> value;  // none for a line without "="
        std::size_t valueOffset;                // where the value starts in the line's text
    };

    IniDocument() = default;
    explicit IniDocument(std::string_view bytes);

    std::string bytes() const;

    // Names as given: Windows trims them for a value's read and write, but not for a key list
    // or a removal, where " S " does not find [S].
    std::optional<Section> findSection(std::string_view name) const;
    std::optional<Entry> findEntry(const Section& section, std::string_view key) const;

    // Names as the profile read lists them: sections with a name, in file order, duplicates
    // included; a section's keys that have a value and do not start with ";".
    std::vector<std::string_view> sectionNames() const;
    std::vector<std::string_view> keyNames(const Section& section) const;

    // The edits. setValue trims the names it is given; the removals take them as they stand.
    // setValue adds the section (at the end) and the key (after the section's last
    // non-blank line) when missing; a changed entry keeps its spelling, only the value changes.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Each returns whether anything was there to remove. Removing an entry also removes the
    // nameless entries right after it that were never read, as Windows drops them when it writes
    // the file again; so a nameless key, once removed, reads as missing.
    bool removeEntry(std::string_view section, std::string_view key);
    bool removeSection(std::string_view section);

    // The characters that profile calls trim around names and values.
    static std::string_view trim(std::string_view text);
    static std::string_view trimRight(std::string_view text);

    // Windows matches profile names without regard to case. Wine 8 folds only the ASCII letters
    // (in code page 1252 it does not find [CAFÉ] as "café"), and so do we. That is enough for
    // every name the program writes (QRVL, path, scm, scx, the placement keys), and the engine's
    // texts are UTF-8, where folding other letters would need Unicode's case tables. It falls
    // short only for a hand-made file whose non-ASCII names differ from the caller's in case,
    // which Windows itself may match.
    static bool sameName(std::string_view a, std::string_view b);

  private:
    enum class Kind { Blank, Header, Entry };
    struct Span {
        std::size_t at = 0;
        std::size_t size = 0;
    };
    struct Line {
        std::string text;  // without the ending
        std::string end;   // "\r\n", "\n", "\r", or empty for a last line without one
        Kind kind = Kind::Blank;
        Span name;                  // a header's or an entry's name
        std::optional<Span> value;  // an entry's value; none for a line without "="
        bool unread = false;        // a nameless entry after another: Windows never reads it
    };

    static Line parse(std::string text, std::string end);
    // Finds the sections and marks the unread entries; run again after every edit.
    void index();
    std::string_view nameOf(const Line& line) const;
    std::optional<Entry> entryAt(std::size_t line) const;
    std::size_t firstBodyLine(const Section& section) const;
    // The line ending that new lines get: the file's own, or CRLF for a file without one.
    std::string lineEnd() const;
    void insertLine(std::size_t at, std::string text);

    bool bom_ = false;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
};

}  // namespace qrvl
