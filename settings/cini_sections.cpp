// CINI's section-level members, which turn the profile calls' NUL-separated name lists into arrays.
#include <string>

#include "settings/cini.h"

namespace qrvl {
namespace {

// Adds the names of a NUL-terminated list. Text after the last NUL is never a name: a list without
// a closing NUL is not a list that the profile read completed.
void addNames(const std::wstring& list, bool keepEmpty, NameArray& names, std::int32_t& count) {
    std::size_t start = 0;
    for (std::size_t next = list.find(L'\0'); next != std::wstring::npos;
         next = list.find(L'\0', start)) {
        if (next != start || keepEmpty) {
            names.Add(list.substr(start, next - start));
            ++count;
        }
        start = next + 1;
    }
}

}  // namespace

std::wstring CINI::INISection() {
    return read(ReadKind::KeyNames);
}

void CINI::INISection(const std::wstring& sSection) {
    // The profile write has no way to replace a section's contents: without a key name it
    // removes the section, whatever the text.
    const std::string text = api_->codec().encode(sSection);
    write(false, &text);
}

std::wstring CINI::Sections() {
    return read(ReadKind::SectionNames);
}

void CINI::EnumerateCurrentSection(NameArray& sKey, std::int32_t& iCount) {
    iCount = 0;
    sKey.Clear();
    addNames(INISection(), true, sKey, iCount);
}

void CINI::EnumerateAllSections(NameArray& sSections, std::int32_t& iCount) {
    iCount = 0;
    sSections.Clear();
    addNames(Sections(), false, sSections, iCount);
}

}  // namespace qrvl
