// CINI: the program's access object for one INI settings file, through the profile calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "settings/form_window.h"
#include "settings/name_array.h"
#include "settings/profile_api.h"

namespace qrvl {

// Names a file (path), a section (Section) and a key (Key), then reads or writes Value. Every read
// and write goes straight to the file through the profile calls: nothing is cached and no file is
// held open, so each read sees the file as it is now.
//
// Writes report only through LastReturnCode and Success (nonzero / true on success); reads never
// fail visibly, a missing file, section or key reading as Default. No member raises an error.
//
// Texts cross the profile calls in the api's code page. Every field passed to a call (path,
// Section, Key, Default) is stored back afterwards as that code page renders it, so a field that
// held characters outside the code page holds their stand-ins after the next call that used it.
// Fields are always passed as texts, never as absent arguments: an unset field is an empty text.
//
// Used from one thread only.
class CINI {
  public:
    explicit CINI(std::shared_ptr<ProfileApi> api = systemProfileApi());

    // The result of the last write (Value let, DeleteKey, DeleteSection, INISection let); 0 before
    // any write and after a failed SaveFormPosition or LoadFormPosition.
    std::int32_t LastReturnCode() const noexcept { return lastReturnCode_; }
    bool Success() const noexcept { return lastReturnCode_ != 0; }

    // The text a read gives for a missing key. Stored as given, unchecked, like the other fields.
    void Default(const std::wstring& sDefault) { default_ = sDefault; }
    std::wstring Default() const { return default_; }

    void path(const std::wstring& sPath) { path_ = sPath; }
    std::wstring path() const { return path_; }

    void Key(const std::wstring& sKey) { key_ = sKey; }
    std::wstring Key() const { return key_; }

    void Section(const std::wstring& sSection) { section_ = sSection; }
    std::wstring Section() const { return section_; }

    // The whole value of Key in Section, however long, or Default when it is missing.
    std::wstring Value();
    // Writes sValue without its NUL characters (a value cannot hold one in the file).
    void Value(const std::wstring& sValue);

    void DeleteKey();
    void DeleteSection();

    // The key names of Section, each followed by one NUL; the whole list, however long.
    std::wstring INISection();
    // Removes the whole current section, exactly as DeleteSection does; sSection is not stored
    // anywhere (a profile write without a key name always removes a section).
    void INISection(const std::wstring& sSection);

    // The section names of the file, each followed by one NUL; the whole list, however long.
    std::wstring Sections();

    // Replace the array's contents with the names found, in file order, and set the count. An
    // empty key name is listed (it names a key all the same); an empty section name is skipped,
    // so callers that walk the sections never meet a nameless one.
    void EnumerateCurrentSection(NameArray& sKey, std::int32_t& iCount);
    void EnumerateAllSections(NameArray& sSections, std::int32_t& iCount);

    // Keep and restore a window's placement under "Maximised", "Left", "Top", "Width" and "Height"
    // in Section. Neither raises: a qrvl::Error from the window or an arithmetic overflow ends the
    // member with LastReturnCode 0. Key, and for the load also Default, are left as they were.
    // The load fits the stored rectangle (or, for a missing or unreadable key, the window's own
    // value) four pixels clear of every screen edge and at least lMinWidth x lMinHeight twips; a
    // screen too small for that leaves the window where it is. A stored maximised state is
    // applied either way.
    void SaveFormPosition(FormWindow& frmThis);
    void LoadFormPosition(FormWindow& frmThis, double lMinWidth = 3000, double lMinHeight = 3000);

    // sString as a 32-bit integer (a fraction rounded half to even), or lDefault when it is empty,
    // not a plain decimal number, or out of range. Touches no state.
    std::int32_t CLngDefault(const std::wstring& sString, std::int32_t lDefault = 0) const;

  private:
    enum class ReadKind { Value, KeyNames, SectionNames };

    // One profile read of the given kind, grown until nothing is cut; the fields it passes are
    // stored back as the code page renders them.
    std::wstring read(ReadKind kind);
    // One profile write in Section of path: with Key unless keyless, with text unless null.
    // LastReturnCode takes its result.
    void write(bool withKey, const std::string* text);

    std::shared_ptr<ProfileApi> api_;
    std::wstring path_;
    std::wstring key_;
    std::wstring section_;
    std::wstring default_;
    std::int32_t lastReturnCode_ = 0;
};

}  // namespace qrvl
