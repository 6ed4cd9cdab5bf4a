// The real directory listing on this machine's file system, seen through the catalogue scan.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "map/catalogue.h"
#include "map/directory_lister.h"
#include "tests/map/map_items.h"
#include "tests/map/stepped_clock.h"

#ifdef _WIN32
#include "map/directory_lister_win32.h"
#endif

namespace fs = std::filesystem;

namespace qrvl {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::wstring kSep(1, static_cast<wchar_t>(fs::path::preferred_separator));

using test::items;

void touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file).put('x');
}

// A clock that lets a full yield interval pass between any two reads.
std::shared_ptr<Clock> everySubDirectoryYields() {
    return std::make_shared<SteppedClock>(0, kCatalogueYieldNanoseconds);
}

using ListerFactory = std::shared_ptr<DirectoryLister> (*)();

// A fresh directory under the system's temporary directory, removed afterwards; walked by each
// real lister the platform has.
class RealTree : public ::testing::TestWithParam<ListerFactory> {
  protected:
    void SetUp() override {
        static std::atomic<int> serial{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root_ = fs::absolute(fs::temp_directory_path() /
                             ("qrvl-map-" + std::to_string(stamp) + "-" + std::to_string(serial++)))
                    .lexically_normal();
        fs::create_directories(root_);
        rootText_ = root_.wstring();
    }
    void TearDown() override {
        std::error_code ec;
        fs::current_path(savedCurrent_, ec);
        fs::remove_all(root_, ec);
    }

    std::vector<std::wstring> scan(const std::wstring& text) {
        catalogue_.rebuildCatalogue(text);
        return items(catalogue_.allMaps());
    }

    fs::path root_;
    std::wstring rootText_;
    fs::path savedCurrent_ = fs::current_path();
    Catalogue catalogue_{GetParam()(), systemAnsiPathApi(), everySubDirectoryYields()};
};

TEST_P(RealTree, ListsFilesByNameThenSubDirectoriesWithAbsolutePlatformPaths) {
    touch(root_ / "b.scx");
    touch(root_ / "a.scm");
    touch(root_ / "Z.scm");
    touch(root_ / "upper.SCM");
    touch(root_ / "notes.txt");
    touch(root_ / "sub" / "c.scm");
    touch(root_ / "sub" / "deeper" / "d.scx");
    touch(root_ / "alpha" / "e.scx");
    fs::create_directories(root_ / "empty");

    catalogue_.rebuildCatalogue(rootText_);

    const std::wstring r = rootText_ + kSep;
    EXPECT_THAT(
        items(catalogue_.allMaps()),
        ElementsAre(r + L"Z.scm", r + L"a.scm", r + L"b.scx", r + L"alpha" + kSep + L"e.scx",
                    r + L"sub" + kSep + L"c.scm", r + L"sub" + kSep + L"deeper" + kSep + L"d.scx"));
    EXPECT_THAT(items(catalogue_.scmMaps()),
                ElementsAre(r + L"Z.scm", r + L"a.scm", r + L"sub" + kSep + L"c.scm"));
    EXPECT_EQ(catalogue_.scxMaps().Count(), 3);
}

TEST_P(RealTree, TrailingSeparatorsSpacesAndDotsNameTheSameDirectory) {
    touch(root_ / "a.scm");
    touch(root_ / "s" / "b.scx");
    const std::vector<std::wstring> expected = scan(rootText_);
    ASSERT_EQ(expected.size(), 2u);

    const std::wstring variants[] = {
        rootText_ + kSep,
        rootText_ + L" ",
        rootText_ + L"   ",
        rootText_ + kSep + L"  ",
        rootText_ + kSep + L"s" + kSep + L"..",
        rootText_ + kSep + L"." + kSep,
    };
    for (const std::wstring& text : variants) {
        EXPECT_THAT(scan(text), ElementsAreArray(expected)) << fs::path(text).string();
    }
}

TEST_P(RealTree, ARelativeTextResolvesAgainstTheCurrentDirectory) {
    touch(root_ / "maps" / "a.scm");
    fs::current_path(root_);

    EXPECT_THAT(scan(L"maps"), ElementsAre(rootText_ + kSep + L"maps" + kSep + L"a.scm"));
    EXPECT_THAT(scan(L"." + kSep + L"maps "),
                ElementsAre(rootText_ + kSep + L"maps" + kSep + L"a.scm"));
}

TEST_P(RealTree, TextsThatNameNoDirectoryGiveNoMaps) {
    touch(root_ / "a.scm");
    const std::wstring texts[] = {L"", L"   ", rootText_ + kSep + L"missing",
                                  rootText_ + kSep + L"a.scm"};
    for (const std::wstring& text : texts) {
        scan(rootText_);
        EXPECT_THAT(scan(text), IsEmpty()) << fs::path(text).string();
        EXPECT_EQ(catalogue_.scmMaps().Count(), 0);
    }
}

TEST_P(RealTree, LinkedDirectoriesAreFollowedOnceAndLoopsEnd) {
    touch(root_ / "maps" / "a.scm");
    touch(root_ / "maps" / "sub" / "b.scx");
    touch(root_ / "elsewhere" / "c.scm");
    std::error_code ec;
    fs::create_directory_symlink(root_ / "maps", root_ / "maps" / "sub" / "loop", ec);
    if (ec) {
        GTEST_SKIP() << "this file system cannot link directories: " << ec.message();
    }
    fs::create_directory_symlink(root_ / "elsewhere", root_ / "maps" / "z-linked", ec);
    fs::create_directory_symlink(root_ / "maps" / "sub", root_ / "maps" / "y-again", ec);
    ASSERT_FALSE(ec);
    int yields = 0;
    catalogue_.setYield([&] { ++yields; });

    const std::wstring m = rootText_ + kSep + L"maps" + kSep;
    EXPECT_THAT(scan(m), ElementsAre(m + L"a.scm", m + L"sub" + kSep + L"b.scx",
                                     m + L"z-linked" + kSep + L"c.scm"));
    // sub, its loop back to maps, y-again (already walked as sub) and z-linked.
    EXPECT_EQ(yields, 4);
}

// A tree made by the host where this process cannot make links itself (under Wine).
TEST(HostLinkTree, LinkedDirectoriesAreWalkedOnceAndTheLoopEnds) {
    const char* tree = std::getenv("QRVL_LINK_TREE");
    if (tree == nullptr) {
        GTEST_SKIP() << "no tree made by the host";
    }
    const std::wstring m = fs::path(tree).lexically_normal().wstring() + kSep + L"maps" + kSep;
    Catalogue catalogue(systemDirectoryLister(), systemAnsiPathApi(), everySubDirectoryYields());
    int yields = 0;
    catalogue.setYield([&] { ++yields; });

    catalogue.rebuildCatalogue(m);

    EXPECT_THAT(items(catalogue.allMaps()),
                ElementsAre(m + L"a.scm", m + L"again" + kSep + L"b.scx"));
    // again (walked), its loop back to maps, sub and sub2 (the same directory again).
    EXPECT_EQ(yields, 4);
}

TEST_P(RealTree, ANameWithoutATextFormIsNeverAMap) {
    if constexpr (!std::is_same_v<fs::path::value_type, char>) {
        GTEST_SKIP() << "file names here are always text";
    } else {
        touch(root_ / "caf\xc3\xa9.scm");
        touch(root_ / "bad\xff.scm");
        fs::create_directories(root_ / "dir\xfe");
        touch(root_ / "dir\xfe" / "hidden.scm");

        EXPECT_THAT(scan(rootText_), ElementsAre(rootText_ + kSep + L"caf\u00e9.scm"));
    }
}

TEST_P(RealTree, AListerGivesItsOwnPathWithoutATrailingSeparator) {
    const auto lister = GetParam()();
    const fs::path temp = fs::absolute(fs::temp_directory_path()).lexically_normal();
    std::wstring text = temp.wstring();
    while (!text.empty() && text.back() == kSep[0]) {
        text.pop_back();
    }
    const auto directory = lister->open(text + kSep + L" ");
    ASSERT_NE(directory, nullptr);
    EXPECT_EQ(directory->path(), text);
    EXPECT_EQ(directory->identity(), lister->open(text)->identity());
    EXPECT_EQ(lister->open(text + std::wstring(L"\0x", 2)), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Portable, RealTree, ::testing::Values(&portableDirectoryLister));
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Win32, RealTree, ::testing::Values(&win32DirectoryLister));
#endif

}  // namespace
}  // namespace qrvl
