// The main window's behaviour: start-up, settings, browsing, updates, the tray and the exits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "map/ansi_path.h"
#include "map/catalogue.h"
#include "map/catalogue_follower.h"
#include "map/directory_lister.h"
#include "map/directory_watch.h"
#include "map/random_source.h"
#include "mapfile/cached_reading.h"
#include "mapfile/map_filter.h"
#include "registry/registry_api.h"
#include "settings/form_window.h"
#include "settings/profile_api.h"
#include "ui/controls.h"
#include "ui/filter_form.h"
#include "ui/maps_form.h"
#include "ui/shell_api.h"
#include "ui/tray.h"

namespace qrvl {

// What the behaviour asks of the real window. ui/win32 implements it on the HWND; tests fake it.
// As FollowerHost, it brings the watch's wake-up and the settle timer to WatchChanges and
// WatchSettled.
class Form1Host : public TrayWindow, public FollowerHost {
  public:
    // The directory that holds the executable, as the platform gives it (no "\" added).
    virtual std::wstring AppPath() = 0;
    // True when an ordinary file exists at the path; hidden and system files count as missing.
    virtual bool OrdinaryFileExists(const std::wstring& path) = 0;

    // kWindowNormal, kWindowMinimised or kWindowMaximised, as CINI's windows use them.
    virtual std::int32_t WindowState() = 0;
    // Setting the state resizes the real window, whose resize reaches Form_Resize.
    virtual void WindowState(std::int32_t state) = 0;
    virtual void Visible(bool visible) = 0;
    virtual void SetFocus() = 0;
    virtual void SetForegroundWindow() = 0;
    // Pops up the tray menu YESNO at the cursor with TrackPopupMenu's flags; returns when the
    // menu closes (its "Exit" reaches leave2_Click).
    virtual void PopupYESNO(std::uint32_t flags) = 0;
    // Shows the About window modally, owned by this window; returns when it is unloaded.
    virtual void ShowAbout() = 0;
    // Shows the Filter window modally over `source`, owned by this window; returns when it is
    // unloaded.
    virtual void ShowFilter(FilterSource& source) = 0;
    // Opens the Maps window over `source` beside this window and returns at once; when it is
    // closed, the window calls Form1::MapsClosed. Called again while open, it brings it to the
    // front.
    virtual void ShowMaps(MapsSource& source) = 0;
    // Called from the map-reading thread: asks for Form1::MapsRead on the window's thread.
    virtual void PostMapsRead() = 0;
    // Ends the process at once. The real one never returns; a fake may.
    virtual void End() = 0;
    // Handles every pending window event, then returns (the catalogue scan's yield).
    virtual void DoEvents() = 0;
};

// The platform seams of the objects the window owns; an empty one means the platform's own.
struct Form1Seams {
    std::shared_ptr<ProfileApi> profile;
    std::shared_ptr<reg::RegistryApi> registry;
    std::shared_ptr<DirectoryLister> directories;
    std::shared_ptr<RandomSource> random;
    // The ANSI calls' code page and short names: how maps and config.ini are spelled for them.
    std::shared_ptr<AnsiPathApi> ansiPaths;
    std::shared_ptr<DirectoryWatch> watch;
    // How a map file is read when a filter asks (readMapFile when empty), and how it is hashed
    // when a mark asks (mapContentOf when empty).
    MapFileReader mapReader;
    MapContentReader mapContent;
};

inline constexpr wchar_t kForm1Caption[] = L"Quorvel picker";
inline constexpr wchar_t kTrayTip[] = L"Quorvel picker";
inline constexpr std::uint32_t kTimer1Interval = 2000;
inline constexpr std::uint32_t kTpmRightAlign = 8;
// Mouse messages the tray callback carries in the low word of lParam.
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;

// Text1 is read-only: the directory comes from the folder dialog and from config.ini only.
// Typing would write config.ini and rebuild the catalogue on every keystroke, and a partial
// path such as "C:\" would start a scan of a whole drive, nested inside the previous one.
//
// The window owns, from its construction to the end of the process, one CINI bound to
// "<exe dir>\config.ini", section "QRVL"; the RegistryRoutines of the updates; the catalogue
// with its three map collections, and the watch on its directory that keeps it in step. Every
// decision runs on the one user-interface thread (the watch only wakes it), and every handler
// may nest inside another (setting a control raises its handler; the scan, the folder dialog
// and the About window run the event loop).
//
// With a filter in config.ini, a "never" mark, or the Maps window open, a thread reads the
// catalogue's maps after each rebuild (through the cache beside config.ini), and the updates draw
// only from the maps known to be pickable. While the player holds a map for the next game, the
// updates write nothing.
class Form1 : private FilterSource, private MapsSource {
  public:
    Form1(Form1Host& host, ShellApi& shell, Form1Seams seams = {});
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Events, as the window layer forwards them.
    void Form_Load();         // before the window is first shown
    void Form_Resize();       // after every size or state change, the first showing included
    void Form_QueryUnload();  // a close request: ends the program
    void Command1_Click();    // "...": browse for the maps directory
    void Command2_Click();    // "E&xit"
    void leave_Click();       // File > "E&xit"
    void leave2_Click();      // the tray menu's "Exit"
    void info_Click();        // "About"
    void Text1_Change();
    void scm_Click();
    void scx_Click();
    void Timer1_Timer();
    // The tray callback message (kTrayCallbackMessage): 514 restores, 517 pops up "Exit".
    void TrayCallback(std::intptr_t lParam);
    // The registered "TaskbarCreated" message: the shell lost its icons and asks again.
    void TaskbarCreated();
    // The maps directory's watch has changes waiting (FollowerHost::PostWatchChanges).
    void WatchChanges();
    // The settle timer ran out (FollowerHost::StartSettleTimer).
    void WatchSettled();
    // Readings of maps wait (Form1Host::PostMapsRead).
    void MapsRead();
    void mapFilter_Click();  // "Map filter..."
    void maps_Click();       // "Maps...", or Ctrl+M
    void resume_Click();     // "Resume random picks"
    // The Maps window was closed.
    void MapsClosed();

    // Told, while the Filter window is open, whenever more maps were read or a map was picked.
    std::function<void()> FilterChanged;
    // Told, while the Maps window is open, whenever the maps, a mark or the hold changed.
    std::function<void()> MapsChanged;
    // True while a map is held for the next game.
    bool Holding() const noexcept { return held_.has_value(); }

    // True while minimised into the notification area.
    bool InTray() const noexcept { return inTray_; }
    const Tray& tray() const noexcept { return tray_; }
    // The catalogue the updates draw from, as the scan and the watch keep it.
    Catalogue& catalogue() noexcept;
    // The catalogue's maps as the filter sees them.
    const FittingMaps& fittingMaps() const noexcept;

    Label Label1{L"Maps directory where to pick the map:"};
    CheckBox scm{L"Starcraft maps (*.scm)"};
    CheckBox scx{L"Brood war maps (*.scx)"};
    TextBox Text1;
    Command Command1{L"..."};
    Command Command2{L"E&xit"};
    Timer Timer1{kTimer1Interval, true};
    Command f{L"File"};
    Command leave{L"E&xit"};
    Command info{L"About"};
    Command YESNO{L""};
    Command leave2{L"Exit"};
    Command mapFilter{filter_text::kMenuItem};
    Command maps{maps_text::kMenuItem};
    Command resume{maps_text::kResumeItem};

  private:
    struct Owned;
    void saveCheckBox(const wchar_t* key, const CheckBox& box);
    void chooseList();
    void exitProgram();
    // "Quorvel picker", with "Next: " and the held map's title on a second line, or else the
    // last pick's title when it was read.
    std::wstring trayTip() const;
    void showPick();
    void tellWindows();

    // FilterSource, for the Filter window
    MapFilter CurrentFilter() override;
    FitCounts Counts(const MapFilter& filter) override;
    std::optional<MapInfo> LastPick() override;
    void ApplyFilter(const MapFilter& filter) override;

    // MapsSource, for the Maps window
    const FittingMaps& Maps() override;
    std::wstring MapsFolder() override;
    std::optional<std::wstring> HeldMap() override;
    bool PlayNext(std::size_t index) override;
    void ResumeRandomPicks() override;
    bool SetMark(std::size_t index, Mark mark) override;
    void ShowInFolder(std::size_t index) override;
    std::wstring MarksProblem() override;
    void LoadPlacement(FormWindow& window) override;
    void SavePlacement(FormWindow& window) override;

    Form1Host& host_;
    ShellApi& shell_;
    Tray tray_;
    std::unique_ptr<Owned> owned_;
    bool inTray_ = false;
    bool filterOpen_ = false;
    bool mapsOpen_ = false;
    // The map held for the next game: its path as the game takes it, and its title.
    std::optional<std::pair<std::wstring, std::wstring>> held_;
};

}  // namespace qrvl
