// Form1 over fakes: a host that logs, a recording shell, a real INI engine in a temporary
// directory, an in-memory registry, a scripted map tree and a code page with short names.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "map/recent_maps.h"
#include "mapfile/map_reader.h"
#include "registry/portable_registry_store.h"
#include "registry/registry_routines.h"
#include "settings/portable_profile_engine.h"
#include "tests/map/fake_ansi_path_api.h"
#include "tests/map/fake_directory_lister.h"
#include "tests/map/fake_directory_watch.h"
#include "tests/map/scripted_random.h"
#include "tests/scratch_folder.h"
#include "tests/ui/recording_shell.h"
#include "ui/form1.h"

namespace qrvl::test {

// The real window's side, as a log of what the behaviour asked for.
class FakeHost final : public Form1Host {
  public:
    WindowHandle hWnd() override { return 0x10; }
    IconHandle Icon() override { return 0x20; }
    std::wstring AppPath() override { return appPath; }
    bool OrdinaryFileExists(const std::wstring& path) override {
        return std::filesystem::is_regular_file(utf8Codec().encode(path));
    }
    std::int32_t WindowState() override { return state; }
    // As the real window does, a new state brings a resize.
    void WindowState(std::int32_t value) override {
        log.push_back("state " + std::to_string(value));
        state = value;
        form->Form_Resize();
    }
    void Visible(bool visible) override { log.push_back(visible ? "show" : "hide"); }
    void SetFocus() override { log.push_back("focus"); }
    void SetForegroundWindow() override { log.push_back("foreground"); }
    void PopupYESNO(std::uint32_t flags) override {
        log.push_back("popup " + std::to_string(flags));
    }
    void ShowAbout() override { log.push_back("about"); }
    void ShowFilter(FilterSource& source) override {
        log.push_back("filter");
        if (onFilter) {
            onFilter(source);
        }
    }
    void ShowMaps(MapsSource& source) override {
        log.push_back("maps");
        mapsSource = &source;
    }
    // From the reading thread: counted, and the test calls Form1::MapsRead itself.
    void PostMapsRead() override { ++mapsReadPosts; }
    // Records how many shell calls came before the end.
    void End() override { log.push_back("end after " + std::to_string(shell->notifies.size())); }
    void DoEvents() override {
        if (pending) {
            std::exchange(pending, nullptr)();
        }
    }
    void PostWatchChanges() override { ++watchPosts; }
    void StartSettleTimer(std::uint32_t milliseconds) override { settleTimer = milliseconds; }
    void StopSettleTimer() override { settleTimer.reset(); }

    Form1* form = nullptr;
    const RecordingShell* shell = nullptr;
    std::wstring appPath;
    std::int32_t state = kWindowNormal;
    std::vector<std::string> log;
    std::function<void()> pending;  // run by the next yield
    int watchPosts = 0;
    std::atomic<int> mapsReadPosts = 0;
    std::function<void(FilterSource&)> onFilter;  // run inside ShowFilter
    MapsSource* mapsSource = nullptr;             // what the last ShowMaps showed
    std::optional<std::uint32_t> settleTimer;
};

// Map files by path, as the reader seam gives them; a path not listed is unreadable. A map's
// content is its path's unless a test makes two maps copies. Readings come from the window's
// reading thread, so every member is used under the lock.
struct FakeMapFiles {
    std::mutex mutex;
    std::map<std::wstring, MapInfo> infos;
    std::map<std::wstring, std::wstring> copyOf;
    std::vector<std::wstring> opened;
    std::vector<std::wstring> hashed;

    void copy(const std::wstring& path, const std::wstring& original) {
        const std::lock_guard lock(mutex);
        copyOf[path] = original;
    }
    std::size_t hashedCount() {
        const std::lock_guard lock(mutex);
        return hashed.size();
    }
    MapContentReader hasher() {
        return [this](const std::wstring& path) -> std::optional<MapContent> {
            const std::lock_guard lock(mutex);
            hashed.push_back(path);
            const auto copied = copyOf.find(path);
            const std::string bytes =
                utf8Codec().encode(copied == copyOf.end() ? path : copied->second);
            return MapContent{
                *sha256({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}), 1000};
        };
    }

    void add(const std::wstring& path, int players, Tileset tileset) {
        const std::lock_guard lock(mutex);
        infos[path] =
            MapInfo{path.substr(path.find_last_of(L"\\/") + 1), L"", players, 64, 64, tileset};
    }
    std::size_t openedCount() {
        const std::lock_guard lock(mutex);
        return opened.size();
    }
    MapFileReader reader() {
        return [this](const std::wstring& path) {
            const std::lock_guard lock(mutex);
            opened.push_back(path);
            const auto found = infos.find(path);
            return found == infos.end() ? MapReading{std::nullopt, "not a map"}
                                        : MapReading{found->second, {}};
        };
    }
};

// The map tree, where trailing blanks and separators name the same directory.
class TrimmingLister final : public DirectoryLister {
  public:
    std::unique_ptr<Directory> open(const std::wstring& path) override {
        const auto end = path.find_last_not_of(L" \\");
        return tree.open(end == std::wstring::npos ? std::wstring() : path.substr(0, end + 1));
    }
    FakeDirectoryLister tree;
};

class Form1Test : public ::testing::Test {
  protected:
    Form1Test() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("uilogic_") + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "app");
        host.shell = &shell;
        host.appPath = utf8Codec().decode((dir_ / "app").string());
        reg::Handle key = 0;
        store->RegCreateKeyExA(reg::kCurrentUser, "software\\Blizzard Entertainment\\Starcraft", 0,
                               nullptr, 0, reg::kKeyAllAccess, nullptr, &key, nullptr);
        store->RegCloseKey(key);
        lister->tree.add(L"C:\\maps", {L"b.scx", L"a.scm", L"readme.txt"}, {L"sub"});
        lister->tree.add(L"C:\\maps/sub", {L"c.scm"});
    }
    ~Form1Test() override { std::filesystem::remove_all(dir_); }

    // The file the window keeps its settings in: the app directory, a "\", "config.ini".
    std::string configFile() const { return (dir_ / "app").string() + "\\config.ini"; }
    void writeConfig(const std::string& text) { std::ofstream(configFile()) << text; }
    // The marks file beside config.ini.
    std::string marksFile() const { return (dir_ / "app").string() + "\\qrvl-marks.txt"; }
    std::string marks() const { return readBytes(marksFile()); }
    std::string config() const {
        std::ifstream in(configFile());
        std::stringstream text;
        text << in.rdbuf();
        std::string s = text.str();
        std::erase(s, '\r');
        return s;
    }
    // The game's list, entries joined by NULs.
    std::wstring recent() {
        RegistryRoutines routines(store);
        routines.hKey(reg::kCurrentUser);
        routines.KeyRoot(kGameKeyPath);
        return toText(routines.GetRegistryValue(kRecentMapsValue));
    }
    Form1Seams seams() {
        return Form1Seams{engine,
                          store,
                          lister,
                          random,
                          ansiPaths,
                          watch,
                          mapFiles->reader(),
                          mapFiles->hasher()};
    }
    Form1& load() {
        form = std::make_unique<Form1>(host, shell, seams());
        host.form = form.get();
        form->Form_Load();
        return *form;
    }

    FakeHost host;
    RecordingShell shell;
    std::shared_ptr<PortableProfileEngine> engine = std::make_shared<PortableProfileEngine>();
    std::shared_ptr<reg::PortableRegistryStore> store =
        std::make_shared<reg::PortableRegistryStore>();
    std::shared_ptr<TrimmingLister> lister = std::make_shared<TrimmingLister>();
    std::shared_ptr<ScriptedRandom> random = std::make_shared<ScriptedRandom>();
    std::shared_ptr<FakeAnsiPathApi> ansiPaths = std::make_shared<FakeAnsiPathApi>();
    std::shared_ptr<FakeDirectoryWatch> watch = std::make_shared<FakeDirectoryWatch>();
    std::shared_ptr<FakeMapFiles> mapFiles = std::make_shared<FakeMapFiles>();
    std::unique_ptr<Form1> form;

  private:
    std::filesystem::path dir_;
};

}  // namespace qrvl::test
