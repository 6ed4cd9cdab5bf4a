// The Windows lister over a real tree, with the faults of other file systems put into its calls:
// whatever the file system refuses or garbles, the catalogue is the one the tree holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/catalogue.h"
#include "map/directory_lister_win32.h"
#include "tests/map/faulty_directory_calls_win32.h"
#include "tests/map/map_items.h"
#include "tests/scratch_folder.h"

namespace qrvl::test {
namespace {

using Ids = FaultyDirectoryCalls::Ids;

const std::vector<std::wstring> kTree = {
    L"a.scm",         L"alpha\\b.scx", L"alpha\\deep\\c.scm", L"beta\\d.scm",
    L"beta\\old.txt", L"gamma\\e.scx", L"gamma\\x\\f.scm",    L"omega\\y\\z\\g.scx",
};
const std::vector<std::wstring> kEveryMap = {
    L"a.scm",        L"alpha\\b.scx",    L"alpha\\deep\\c.scm", L"beta\\d.scm",
    L"gamma\\e.scx", L"gamma\\x\\f.scm", L"omega\\y\\z\\g.scx",
};
// A listing broken off half-way is taken as unreadable: gamma's maps, and those below it, are
// left out rather than half of them.
const std::vector<std::wstring> kAllButGamma = {
    L"a.scm", L"alpha\\b.scx", L"alpha\\deep\\c.scm", L"beta\\d.scm", L"omega\\y\\z\\g.scx",
};

TEST(ListerFaults, EachFileSystemsFaultStillGivesTheTreesCatalogue) {
    struct Row {
        const char* what;
        FaultyDirectoryCalls::Faults faults;
        std::vector<std::wstring> catalogue;
        int refusals;     // listing queries refused: once per walk and volume at most
        bool nameListed;  // whether any directory was listed without IDs
    };
    const Row rows[] = {
        {"no fault", {}, kEveryMap, 0, false},
        {"class refused on the root", {ERROR_INVALID_PARAMETER}, kEveryMap, 1, true},
        {"class refused as not supported", {ERROR_NOT_SUPPORTED}, kEveryMap, 1, true},
        {"class refused as an invalid level", {ERROR_INVALID_LEVEL}, kEveryMap, 1, true},
        {"class refused on one sub-directory",
         {ERROR_INVALID_FUNCTION, L"\\beta"},
         kEveryMap,
         1,
         true},
        {"root unreadable: not a refusal", {ERROR_ACCESS_DENIED}, {}, 1, false},
        {"every ID 0", {.ids = Ids::Zero}, kEveryMap, 0, false},
        {"every ID all ones", {.ids = Ids::AllOnes}, kEveryMap, 0, false},
        {"repeated IDs", {.ids = Ids::Repeated}, kEveryMap, 0, false},
        {"a ReFS volume", {.refs = true}, kEveryMap, 0, false},
        {"ReFS with the 128-bit class refused",
         {.refs = true, .refs128Refused = true},
         kEveryMap,
         1,
         true},
        {"a listing broken off half-way", {.brokenIn = L"\\gamma"}, kAllButGamma, 0, false},
        {"broken off half-way by names",
         {.refusal = ERROR_INVALID_PARAMETER, .brokenIn = L"\\gamma"},
         kAllButGamma,
         1,
         true},
    };
    ScratchFolder tree(L"faults");
    for (const std::wstring& file : kTree) {
        tree.touch(file);
    }
    const std::wstring root = tree.text() + L"\\";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto calls = std::make_shared<FaultyDirectoryCalls>(row.faults);
        Catalogue catalogue(win32DirectoryListerOver(calls));

        catalogue.rebuildCatalogue(tree.text());

        std::vector<std::wstring> expected;
        for (const std::wstring& map : row.catalogue) {
            expected.push_back(root + map);
        }
        EXPECT_EQ(items(catalogue.allMaps()), expected);
        EXPECT_EQ(calls->refusals, row.refusals);
        EXPECT_EQ(calls->nameQueries > 0, row.nameListed);
    }
}

}  // namespace
}  // namespace qrvl::test
