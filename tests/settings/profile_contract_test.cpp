// What CINI relies on from the profile calls, checked against every implementation we have.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "settings/portable_profile_engine.h"
#include "tests/scratch_folder.h"
#ifdef _WIN32
#include "settings/profile_api_win32.h"
#endif

namespace qrvl {
namespace {

using namespace std::string_literals;
using test::readBytes;
using test::ScratchFolder;
using test::utf16Bytes;
using test::writeBytes;

struct Implementation {
    const char* name;
    std::function<std::shared_ptr<ProfileApi>()> make;
};

struct Answer {
    std::uint32_t count;
    std::string text;    // the first count characters of the buffer
    std::string buffer;  // all of it, '#' where nothing was written
};

class ProfileContract : public ::testing::TestWithParam<Implementation> {
  protected:
    std::string file(const char* name = "t.ini") const { return folder_.name(name); }
    void given(const std::string& bytes, const char* name = "t.ini") const {
        writeBytes(folder_.file(name), bytes);
    }

    // Checks on every read that the buffer holds a NUL right after the answer and that nothing
    // beyond the given size was touched.
    Answer read(const char* section, const char* key, const char* defaultText = "DEF",
                std::uint32_t size = 255, const std::string& fileName = {}) {
        std::vector<char> buffer(size + 1, '#');
        const auto count =
            api_->GetPrivateProfileStringA(section, key, defaultText, buffer.data(), size,
                                           (fileName.empty() ? file() : fileName).c_str());
        EXPECT_EQ(buffer[size], '#') << "wrote past the buffer";
        if (size > 0) {
            EXPECT_LT(count, size);
            EXPECT_EQ(buffer[count], '\0');
        }
        return {count, std::string(buffer.data(), count), std::string(buffer.data(), size)};
    }
    std::string value(const char* section, const char* key, const char* defaultText = "DEF") {
        return read(section, key, defaultText).text;
    }
    std::string keys(const char* section) { return read(section, nullptr, "").text; }
    std::string sections() { return read(nullptr, nullptr, "").text; }
    int write(const char* section, const char* key, const char* text,
              const std::string& fileName = {}) {
        return api_->WritePrivateProfileStringA(section, key, text,
                                                (fileName.empty() ? file() : fileName).c_str());
    }

    ScratchFolder folder_;
    std::shared_ptr<ProfileApi> api_ = GetParam().make();
};

// ^Z (0x1A) counts as a blank; a NUL ends the value as it ends a C string.
TEST_P(ProfileContract, ValuesLoseSurroundingBlanksAndOnePairOfMatchingQuotesAndEndAtNul) {
    given(
        "[Sec]\r\nplain=hello\r\n spaced =  hi there  \r\nq=\"quoted\"\r\nq2=\" in \"\r\n"
        "q3=\"a\r\nq4=a\"\r\nq5='s'\r\nq6=\"a\"b\r\nq7= \"x\" \r\ntab=\ttab\t\r\nvt=\vx\f\r\n"
        "ctl=\x01z\x01\r\ncomment = v ; c\r\nempty=\r\n=noname\r\nctlz=\x1Av\x1A\r\n"
        "\x1Azk\x1A=z\r\nnul=1\0002\r\nnulq=\"1\0002\"\r\n"s);
    const std::vector<std::pair<const char*, std::string>> table = {
        {"plain", "hello"},   {"spaced", "hi there"}, {"q", "quoted"}, {"q2", " in "},
        {"q3", "\"a"},        {"q4", "a\""},          {"q5", "s"},     {"q6", "\"a\"b"},
        {"q7", "x"},          {"tab", "tab"},         {"vt", "x"},     {"ctl", "\x01z\x01"},
        {"comment", "v ; c"}, {"empty", ""},          {"", "noname"},  {"ctlz", "v"},
        {"zk", "z"},          {"nul", "1"},           {"nulq", "\"1"},
    };
    for (const auto& [key, expected] : table) {
        EXPECT_EQ(value("Sec", key), expected) << key;
    }
}

TEST_P(ProfileContract, NamesMatchIgnoringCaseAndSurroundingBlanks) {
    given("[Sec]\nKey=1\n[ Other ]\nk=2\n");
    EXPECT_EQ(value("sec", "KEY"), "1");
    EXPECT_EQ(value(" Sec ", "\tkey "), "1");
    EXPECT_EQ(value("OTHER", "k"), "2");
    EXPECT_EQ(value("Othe", "k"), "DEF");
    // A key list and a removal take the section's name as it stands.
    EXPECT_EQ(read("other", nullptr).text, "k\0"s);
    EXPECT_EQ(read(" other ", nullptr).text, "DEF");
    EXPECT_NE(write(" Sec", "key", nullptr), 0);
    EXPECT_NE(write("Sec", " key ", nullptr), 0);
    EXPECT_NE(write("Other ", nullptr, nullptr), 0);
    EXPECT_EQ(sections(), "Sec\0Other\0"s);
    EXPECT_EQ(value("Sec", "key"), "1");
}

TEST_P(ProfileContract, HeaderRunsToLastBracketAndLineWithoutOneIsNoHeader) {
    given("[ Sec2 ]\nk=1\n[C]junk\nk=2\n  [D]  \nk=3\n[A]b]c]\nk=4\n[B\nbk=5\n");
    EXPECT_EQ(sections(), "Sec2\0C\0D\0A]b]c\0"s);
    EXPECT_EQ(value("D", "k"), "3");
    EXPECT_EQ(value("A]b]c", "bk"), "5");
}

// A file that is there but cannot be read, or a path through a missing folder, gives the default
// with its quotes.
TEST_P(ProfileContract, MissingValueGivesDefaultWithoutTrailingSpacesAndQuotesIfTheFileOpens) {
    given("[Sec]\nother=1\n");
    std::filesystem::create_directory(folder_.file("dir.ini"));
    struct Row {
        const char* fallback;
        std::string expected;
        std::string unopenable;
    };
    const std::vector<Row> table = {
        {"def  ", "def", "def"}, {"  d e  ", "  d e", "  d e"}, {"   ", " ", " "},
        {"\"q\"", "q", "\"q\""}, {"\"q\"  ", "q", "\"q\""},     {" \"q\" ", " \"q\"", " \"q\""},
        {"\"q", "\"q", "\"q"},   {"'q'", "q", "'q'"},           {"\"\"", "", "\"\""},
        {"\"", "\"", "\""},      {"d\t", "d\t", "d\t"},         {nullptr, "", ""},
    };
    for (const auto& [fallback, expected, unopenable] : table) {
        const auto shown = fallback ? fallback : "(null)";
        EXPECT_EQ(value("Sec", "missing", fallback), expected) << shown;
        EXPECT_EQ(value("Nope", "other", fallback), expected) << shown;
        EXPECT_EQ(read("Sec", "other", fallback, 255, file("none.ini")).text, expected) << shown;
        for (const auto* place : {"dir.ini", "no folder/t.ini"}) {
            EXPECT_EQ(read("Sec", "other", fallback, 255, file(place)).text, unopenable)
                << shown << " in " << place;
        }
    }
}

// A line without "=" hides a later key of the same name; only the first of two sections of one
// name is read. A key without a name right after another one is never read, so removing the
// first leaves none.
TEST_P(ProfileContract, FirstMatchAnswersAndItsRemovalUncoversTheNext) {
    struct Row {
        std::string bytes;
        const char* section;
        const char* key;
        std::string before;
        std::string afterRemoval;
    };
    const std::vector<Row> table = {
        {"[S]\nnoeq\nnoeq=1\n", "S", "noeq", "DEF", "1"},
        {"[S]\n;c\n;c=2\n", "S", ";c", "DEF", "2"},
        {"[S]\n;d=3\n", "S", ";d", "3", "DEF"},
        {"[A]\nk=first\nk=second\n", "A", "k", "first", "second"},
        {"[A]\nk=first\n[B]\nx=1\n[a]\nz=9\n", "A", "z", "DEF", "DEF"},
        {"[S]\nk=v\n=\n= x\n", "S", "", "", "DEF"},
    };
    for (const auto& row : table) {
        given(row.bytes);
        EXPECT_EQ(value(row.section, row.key), row.before) << row.bytes;
        EXPECT_NE(write(row.section, row.key, nullptr), 0) << row.bytes;
        EXPECT_EQ(value(row.section, row.key), row.afterRemoval) << row.bytes;
    }
}

TEST_P(ProfileContract, WriteGoesToTheFirstOfDuplicateSections) {
    given("[A]\nk=first\nk=second\n[B]\nx=1\n[a]\nk=third\nz=9\n");
    EXPECT_EQ(sections(), "A\0B\0a\0"s);
    ASSERT_NE(write("A", "z", "1"), 0);
    EXPECT_EQ(keys("A"), "k\0k\0z\0"s);
}

TEST_P(ProfileContract, KeysBeforeFirstHeaderFormTheNamelessSection) {
    given("g=global\n[A]\nk=1\n");
    EXPECT_EQ(value("", "g"), "global");
    EXPECT_EQ(keys(""), "g\0"s);
    EXPECT_EQ(sections(), "A\0"s);
    // "[]" is never found: the empty name means the lines above the first header.
    given("[S]\n[]\nek=1\n");
    EXPECT_EQ(value("", "ek"), "DEF");
    EXPECT_EQ(value("S", "ek"), "DEF");
    EXPECT_EQ(sections(), "S\0"s);
}

// A list that would begin with a NUL is no list: the default comes instead. A key without a name
// right after another one (blank lines between do not count) is never read, so it is not listed.
TEST_P(ProfileContract, KeyListHoldsKeysWithValuesInFileOrder) {
    const auto keysAndComments =
        "[A]\nk=first\nk=second\nempty=\n=noname\nnoeq\n;c=1\n#h=2\n\n[B]\nx=1\n";
    const std::vector<std::tuple<std::string, const char*, std::string>> table = {
        {keysAndComments, "A", "k\0k\0empty\0\0#h\0"s},
        {keysAndComments, "b", "x\0"s},
        {"[T]\n=x\nk=1\n", "T", "DEF"},
        {"[U]\nk=1\n=x\n", "U", "k\0\0"s},
        {"[E]\nk=v\n=\n= x\n", "E", "k\0\0"s},
        {"[E]\nk=v\n=a\nj=w\n\n=b\n\n=c\n", "E", "k\0\0j\0\0"s},
    };
    for (const auto& [bytes, section, expected] : table) {
        given(bytes);
        EXPECT_EQ(read(section, nullptr).text, expected) << bytes;
    }
}

TEST_P(ProfileContract, EmptyKeyListGivesDefaultOnlyUnquoted) {
    given("[E]\nnoval\n;c=1\n[F]\nk=1\n");
    for (const auto& place :
         {std::pair{"E", file()}, std::pair{"Nope", file()}, std::pair{"F", file("none.ini")}}) {
        EXPECT_EQ(read(place.first, nullptr, "DEF  ", 255, place.second).text, "DEF  ");
        EXPECT_EQ(read(place.first, nullptr, "\"Q\"", 255, place.second).text, "Q");
        EXPECT_EQ(read(place.first, nullptr, nullptr, 255, place.second).text, "");
        EXPECT_EQ(read(place.first, nullptr, "DEFGHIJ", 4, place.second).text, "DEF");
    }
    EXPECT_EQ(read(nullptr, nullptr, "DEF", 255, file("none.ini")).count, 0u);
    EXPECT_EQ(read(nullptr, "ignored", "DEF").text, "E\0F\0"s);
}

TEST_P(ProfileContract, ValueIsCutToSizeMinusOne) {
    given("[S]\nk=hello\n");
    const std::vector<std::pair<std::uint32_t, std::string>> table = {
        {1, ""}, {2, "h"}, {5, "hell"}, {6, "hello"}, {7, "hello"}};
    for (const auto& [size, expected] : table) {
        EXPECT_EQ(read("S", "k", "", size).text, expected) << size;
        EXPECT_EQ(read("S", "missing", "hello", size).text, expected) << size;
    }
    EXPECT_EQ(read("S", "k", "", 0).count, 0u);
}

// Windows cuts a quoted value as if its closing quote were still there, then drops one character.
TEST_P(ProfileContract, QuotedValueIsOneShorterWhenOnlyItsClosingQuoteWouldNotFit) {
    given("[S]\nq=\"quoted\"\ne=\"\"\n");
    const std::vector<std::pair<std::uint32_t, std::string>> table = {
        {1, ""}, {2, "q"}, {6, "quote"}, {7, "quote"}, {8, "quoted"}, {9, "quoted"}};
    for (const auto& [size, expected] : table) {
        EXPECT_EQ(read("S", "q", "", size).text, expected) << size;
        EXPECT_EQ(read("S", "missing", "\"quoted\"", size).text, expected) << size;
        EXPECT_EQ(read("S", nullptr, "\"quoted\"", size, file("none.ini")).text, expected) << size;
        EXPECT_EQ(read("S", "e", "", size).text, "") << size;
    }
}

// A list that exactly fills the buffer counts as cut, as Windows has it; the cut list ends in one
// NUL and the buffer's last byte is left as it was. A key list with room for no name at all gives
// the default, cut to size.
TEST_P(ProfileContract, ListIsCutToSizeMinusTwo) {
    given("[plain]\nplain=1\nspaced=2\n[spaced]\n");
    const std::vector<std::tuple<std::uint32_t, std::string, std::string>> table = {
        {16, "plain\0spaced\0"s, "plain\0spaced\0"s},
        {15, "plain\0spaced\0"s, "plain\0spaced\0"s},
        {14, "plain\0spaced"s, "plain\0spaced"s},
        {13, "plain\0space"s, "plain\0space"s},
        {8, "plain\0"s, "plain\0"s},
        {7, "plain", "plain"},
        {4, "pl", "pl"},
        {3, "p", "p"},
        {2, "", "X"},
        {1, "", ""}};
    for (const auto& [size, sectionList, keyList] : table) {
        for (const auto& [answer, expected] :
             {std::pair{read(nullptr, nullptr, "XYZ", size), sectionList},
              std::pair{read("plain", nullptr, "XYZ", size), keyList}}) {
            EXPECT_EQ(answer.text, expected) << size;
            if (answer.count + 2 == size) {
                EXPECT_EQ(answer.buffer.back(), '#') << size;
            }
        }
    }
}

TEST_P(ProfileContract, WriteCreatesFileAndSection) {
    ASSERT_NE(write("Sec", "key", "value"), 0);
    EXPECT_TRUE(std::filesystem::exists(file()));
    EXPECT_EQ(value("Sec", "key"), "value");
    ASSERT_NE(write("Other", "k", "v"), 0);
    EXPECT_EQ(sections(), "Sec\0Other\0"s);
    EXPECT_EQ(value("Sec", "key"), "value");

    ASSERT_NE(write("", "top", "1", file("nameless.ini")), 0);
    EXPECT_EQ(read("", "top", "", 255, file("nameless.ini")).text, "1");
    EXPECT_EQ(read(nullptr, nullptr, "", 255, file("nameless.ini")).count, 0u);
}

TEST_P(ProfileContract, WriteReplacesValueInPlaceAndAddsNewKeysToTheirSection) {
    given("; top\n\n[A]\nk1=1\n  K2 = 2  \nk3=3\n\n[B]\nk2=b\n");
    ASSERT_NE(write("a", "k2", "new"), 0);
    ASSERT_NE(write("A", "k4", "4"), 0);
    EXPECT_EQ(keys("A"), "k1\0K2\0k3\0k4\0"s);
    EXPECT_EQ(value("A", "k2"), "new");
    EXPECT_EQ(value("A", "k4"), "4");
    EXPECT_EQ(keys("B"), "k2\0"s);
    EXPECT_EQ(value("B", "k2"), "b");
}

TEST_P(ProfileContract, WrittenTextReadsBackTrimmedAndUnquoted) {
    const std::vector<std::pair<const char*, std::string>> table = {
        {" spaced ", "spaced"}, {"\"quoted\"", "quoted"}, {"", ""}, {"a = b ; c", "a = b ; c"},
        {"'x'", "x"},           {"\" in \"", " in "}};
    for (const auto& [text, expected] : table) {
        ASSERT_NE(write("S", "k", text), 0);
        EXPECT_EQ(value("S", "k"), expected) << text;
    }
    given("[S]\nnoeq\n");
    ASSERT_NE(write("S", "noeq", "v"), 0);
    EXPECT_EQ(value("S", "noeq"), "v");
}

TEST_P(ProfileContract, DeletesKeysAndSections) {
    given("[A]\nk=1\nj=2\n[B]\nx=1\n[a]\nk=3\ny=2\n");
    ASSERT_NE(write("A", "j", nullptr), 0);
    EXPECT_EQ(keys("A"), "k\0"s);
    ASSERT_NE(write("A", "k", nullptr), 0);
    EXPECT_EQ(sections(), "A\0B\0a\0"s) << "a section without keys stays";
    ASSERT_NE(write("A", nullptr, nullptr), 0);
    EXPECT_EQ(sections(), "B\0a\0"s) << "only the first of two sections goes";
    EXPECT_EQ(value("A", "y"), "2");
    ASSERT_NE(write("b", nullptr, "any text"), 0);
    EXPECT_EQ(sections(), "a\0"s);
}

TEST_P(ProfileContract, DeletingWhatIsNotThereSucceedsAndChangesNothing) {
    const auto bytes = "; keep\n\n[S]\n  k = v  \n"s;
    given(bytes);
    EXPECT_NE(write("S", "missing", nullptr), 0);
    EXPECT_NE(write("Missing", nullptr, nullptr), 0);
    EXPECT_EQ(readBytes(file()), bytes);
    EXPECT_NE(write("S", "k", nullptr, file("none.ini")), 0);
    EXPECT_NE(write("S", nullptr, nullptr, file("none.ini")), 0);
    EXPECT_FALSE(std::filesystem::exists(file("none.ini")));
}

// Removals fail too where there is no file to read: in a missing folder, or a folder in its place.
TEST_P(ProfileContract, WriteThatCannotBeDoneFailsAndLeavesFileAlone) {
    std::filesystem::create_directory(folder_.file("dir.ini"));
    const std::vector<std::tuple<const char*, const char*, const char*, const char*>> table = {
        {nullptr, "k", "v", "t.ini"},
        {"S", "k", "v", "no folder/t.ini"},
        {"S", "k", nullptr, "no folder/t.ini"},
        {"S", nullptr, nullptr, "no folder/t.ini"},
        {"S", "k", "v", "dir.ini"},
        {"S", "k", nullptr, "dir.ini"},
        {"S", nullptr, nullptr, "dir.ini"},
    };
    for (const auto& [section, key, text, place] : table) {
        EXPECT_EQ(write(section, key, text, file(place)), 0)
            << (key ? key : "(null)") << "=" << (text ? text : "(null)") << " in " << place;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder_.file("dir.ini")));
    EXPECT_EQ(folder_.entryCount(), 1u) << "nothing was left behind";

    given("[S]\nk=old\n", "ro.ini");
    std::filesystem::permissions(folder_.file("ro.ini"),
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    if (std::fstream(folder_.file("ro.ini"), std::ios::in | std::ios::out)) {
        GTEST_SKIP() << "this account may write read-only files";
    }
    EXPECT_EQ(write("S", "k", "new", file("ro.ini")), 0);
    EXPECT_EQ(readBytes(folder_.file("ro.ini")), "[S]\nk=old\n");
}

// A CR alone ends a line too. Windows writes a UTF-16 file back as UTF-16; our engine refuses to
// change one (see the engine's own tests). Either way the file must stay whole.
TEST_P(ProfileContract, LineEndingsAndByteOrderMarksReadAlike) {
    const std::vector<std::pair<std::string, bool>> table = {
        {"[A]\nk=v\n[B]\nx=1"s, false},
        {"[A]\r\nk=v\r\n[B]\r\nx=1\r\n"s, false},
        {"[A]\rk=v\r[B]\rx=1\r"s, false},
        {"\xEF\xBB\xBF[A]\r\nk=v\r\n[B]\r\nx=1\r\n"s, false},
        {utf16Bytes("[A]\r\nk=v\r\n[B]\r\nx=1\r\n"), true},
        {utf16Bytes("[A]\r\nk=v\r\n[B]\r\nx=1\r\n", true), true},
    };
    for (const auto& [bytes, mayRefuseWrites] : table) {
        given(bytes);
        EXPECT_EQ(value("A", "k"), "v") << bytes;
        EXPECT_EQ(sections(), "A\0B\0"s) << bytes;
        if (write("B", "y", "2") != 0) {
            EXPECT_EQ(keys("B"), "x\0y\0"s) << bytes;
        } else {
            EXPECT_TRUE(mayRefuseWrites) << bytes;
            EXPECT_EQ(readBytes(file()), bytes);
        }
        EXPECT_EQ(value("B", "x"), "1") << bytes;
        EXPECT_EQ(sections(), "A\0B\0"s) << bytes;
    }
}

TEST_P(ProfileContract, VeryLongLinesReadWhole) {
    const std::string longValue(70000, 'x');
    const std::string longName(5000, 'y');
    given("[S]\nk=" + longValue + "\nafter=1\n" + longName + "=long\n[T]\nt=1\n");
    EXPECT_EQ(read("S", "k", "", 80000).text, longValue);
    EXPECT_EQ(value("S", "after"), "1");
    EXPECT_EQ(read("S", nullptr, "", 8192).text, "k\0after\0"s + longName + '\0');
    EXPECT_EQ(value(longName.c_str(), "x"), "DEF");
    EXPECT_EQ(value("T", "t"), "1");
    // Wine keeps a written value's length in 16 bits (and falls over past 32767), so stay below.
    const std::string written(30000, 'w');
    ASSERT_NE(write("T", "w", written.c_str()), 0);
    EXPECT_EQ(read("T", "w", "", 80000).text, written);
}

std::vector<Implementation> implementations() {
    std::vector<Implementation> all = {
        {"PortableEngine", [] { return std::make_shared<PortableProfileEngine>(); }}};
#ifdef _WIN32
    all.push_back({"Kernel32", [] { return std::make_shared<Win32ProfileApi>(); }});
#endif
    return all;
}

INSTANTIATE_TEST_SUITE_P(All, ProfileContract, ::testing::ValuesIn(implementations()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qrvl
