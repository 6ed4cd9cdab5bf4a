// The Maps window's texts and behaviour: every map with what it says and its mark, searched and
// sorted, and the actions on one. ui/win32 draws it and forwards its events here.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "mapfile/map_filter.h"
#include "settings/form_window.h"
#include "ui/controls.h"
#include "ui/fitting_maps.h"

namespace qrvl {

namespace maps_text {
inline constexpr wchar_t kCaption[] = L"Maps";
// The items in the main window's system menu (and, for Maps, its right-click menu).
inline constexpr wchar_t kMenuItem[] = L"Maps...";
inline constexpr wchar_t kResumeItem[] = L"Resume random picks";
inline constexpr wchar_t kSearchCue[] = L"Search titles and file names";
inline constexpr wchar_t kOnlyFit[] = L"Only maps that &fit the filter";
inline constexpr wchar_t kPlayNext[] = L"&Play next";
inline constexpr wchar_t kFavourite[] = L"Fa&vourite";
inline constexpr wchar_t kNever[] = L"&Never";
inline constexpr wchar_t kShowInFolder[] = L"Show in f&older";
inline constexpr wchar_t kResume[] = L"&Resume random picks";
inline constexpr wchar_t kReading[] = L"reading\u2026";
inline constexpr wchar_t kFavouriteSign[] = L"\u2605";
inline constexpr wchar_t kNeverSign[] = L"\u2715";
}  // namespace maps_text

enum class MapsColumn { Mark, Title, Players, Size, Tileset, File };
inline constexpr std::array<const wchar_t*, 6> kMapsColumnNames = {L"Mark", L"Title",   L"Players",
                                                                   L"Size", L"Tileset", L"File"};

// What the Maps window reads and changes: the main window's side. Maps are named by their
// position among source.Maps().entries(), which holds until the next rebuild (and a rebuild
// always brings a Refresh).
class MapsSource {
  public:
    virtual ~MapsSource() = default;
    virtual const FittingMaps& Maps() = 0;
    // The folder that the File column shows paths below.
    virtual std::wstring MapsFolder() = 0;
    // The title of the map held at the head of the game's list, while one is.
    virtual std::optional<std::wstring> HeldMap() = 0;
    // Writes the map at the head of the game's list at once and holds it there; false when the
    // game's list cannot be written.
    virtual bool PlayNext(std::size_t index) = 0;
    virtual void ResumeRandomPicks() = 0;
    // False when the map cannot be read to know its content.
    virtual bool SetMark(std::size_t index, Mark mark) = 0;
    virtual void ShowInFolder(std::size_t index) = 0;
    // Why the marks are not in their file; empty while they are.
    virtual std::wstring MarksProblem() = 0;
    // The window's place and size, kept in config.ini.
    virtual void LoadPlacement(FormWindow& window) = 0;
    virtual void SavePlacement(FormWindow& window) = 0;
};

class MapsHost {
  public:
    virtual ~MapsHost() = default;
    // The rows, their order or their texts changed: the list shows them again, with `selected`
    // (a row) selected and in view.
    virtual void RowsChanged(std::optional<std::size_t> selected) = 0;
};

// One loaded Maps window. Rows are the maps the search and the box let through, in the order of
// the sort column; a row's cells are made when the list asks for them.
class frmMaps {
  public:
    frmMaps(MapsSource& source, MapsHost& host);

    void Form_Load();
    // The maps, their readings, their marks or the hold changed.
    void Refresh();

    std::size_t RowCount() const noexcept { return rows_.size(); }
    std::wstring CellText(std::size_t row, MapsColumn column) const;
    // An unreadable map's row is greyed: its title cell gives the reason.
    bool RowGreyed(std::size_t row) const;
    // A click on a column's header sorts by it; a second click reverses.
    void Header_Click(MapsColumn column);
    MapsColumn SortColumn() const noexcept { return sortColumn_; }
    bool SortDescending() const noexcept { return descending_; }

    // The list's selection, as the user moves it; nullopt when nothing is selected.
    void Select(std::optional<std::size_t> row);
    std::optional<std::size_t> SelectedRow() const;
    // The map a row shows, as its position among the source's entries.
    std::size_t EntryOf(std::size_t row) const { return rows_.at(row); }
    bool Holding();

    void PlayNext_Click();   // Enter or a double-click
    void Favourite_Click();  // Ctrl+D: favourite, or no mark when it is one
    void Never_Click();      // Delete: never, or no mark when it is one
    void ShowInFolder_Click();
    void Resume_Click();

    TextBox Search;
    CheckBox OnlyFit{maps_text::kOnlyFit};
    Label Status;
    Command PlayNext{maps_text::kPlayNext};
    Command Favourite{maps_text::kFavourite};
    Command Never{maps_text::kNever};
    Command ShowInFolder{maps_text::kShowInFolder};
    Command Resume{maps_text::kResume};

  private:
    // What the search and the sort look at, made once per map and again when its reading comes.
    struct Known {
        std::wstring fullPath;
        bool read = false;
        std::wstring title;  // the map's title, or its file name until read
        std::wstring file;   // below the maps folder
        std::wstring foldedTitle;
        std::wstring foldedFile;
    };
    void learn();
    void makeRows();
    void sortRows();
    void toggle(Mark mark);
    std::wstring statusLine();
    const FittingMaps::Entry& entryAt(std::size_t row) const;

    MapsSource& source_;
    MapsHost& host_;
    std::vector<Known> known_;
    std::vector<std::size_t> rows_;
    MapsColumn sortColumn_ = MapsColumn::Title;
    bool descending_ = false;
    // The selected map, by its file, so that it stays selected as rows come and go.
    std::optional<std::wstring> selected_;
    std::wstring problem_;  // what the last action could not do
};

}  // namespace qrvl
