// The player's marks: the platform's SHA-256 on known vectors, and the marks file read, changed
// and written back whatever a person or another program left in it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mapfile/map_marks.h"

namespace qrvl::test {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Natively nettle's, under Wine bcrypt's: both must give the standard's answers.
TEST(Sha256Test, GivesTheStandardDigests) {
    const std::string million(1'000'000, 'a');
    const struct {
        std::string_view input;
        const char* digest;
    } rows[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {million, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& row : rows) {
        const std::optional<Sha256> digest = sha256(bytesOf(row.input));
        ASSERT_TRUE(digest);
        EXPECT_EQ(sha256Hex(*digest), row.digest) << row.input.substr(0, 20);
        EXPECT_EQ(parseSha256Hex(row.digest), digest);
    }
}

const MapContent kTemple{*parseSha256Hex(std::string(64, 'a')), 1000};
const MapContent kPython{*parseSha256Hex(std::string(64, 'b')), 2000};
const std::string kTempleHex(64, 'a');
const std::string kPythonHex(64, 'b');

// Each odd file is read as it says, and written back unchanged byte for byte.
TEST(MapMarksTest, ReadsOddFilesAndWritesThemBackUnchanged) {
    const struct {
        const char* name;
        std::string text;
        Mark temple;
        Mark python;
    } rows[] = {
        {"empty", "", Mark::None, Mark::None},
        {"plain", "favourite\t" + kTempleHex + "\t1000\tLost Temple\tLT.scm\n", Mark::Favourite,
         Mark::None},
        {"comments and blank lines",
         "# my marks\n\nnever\t" + kPythonHex + "\t2000\tPython\tp.scx\n# end", Mark::None,
         Mark::Never},
        {"crlf, a byte-order mark, no title",
         "\xEF\xBB\xBF"
         "favourite\t" +
             kTempleHex + "\t1000\r\nnever\t" + kPythonHex + "\t2000\r\n",
         Mark::Favourite, Mark::Never},
        {"hash in upper case", "never\t" + std::string(64, 'A') + "\t1000\t\t\n", Mark::Never,
         Mark::None},
        {"the last of duplicates counts",
         "favourite\t" + kTempleHex + "\t1000\nnever\t" + kTempleHex + "\t1000\n", Mark::Never,
         Mark::None},
        {"bad lines are passed over",
         "favorite\t" + kTempleHex + "\t1000\nnever\t" + kPythonHex.substr(1) + "\t2000\nnever\t" +
             kPythonHex + "\t2k\nnever " + kPythonHex + " 2000\nnever\t" + kTempleHex +
             "\t999\n\xC0\xFF\tjunk",
         Mark::None, Mark::None},
        {"size and hash both count", "never\t" + kTempleHex + "\t2000\n", Mark::None, Mark::None},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const MapMarks marks = MapMarks::parse(row.text);
        EXPECT_EQ(marks.markOf(kTemple), row.temple);
        EXPECT_EQ(marks.markOf(kPython), row.python);
        EXPECT_EQ(marks.serialize(), row.text);
    }
}

TEST(MapMarksTest, AChangeRewritesOnlyItsOwnLineAndKeepsEveryOtherByteAsItWas) {
    const std::string kept = "# mine\r\nnot a mark\r\n";
    const std::string template_ = "\t" + kTempleHex + "\t1000\tLost Temple\tLT.scm";
    const struct {
        const char* name;
        std::string before;
        Mark mark;
        std::string after;
    } rows[] = {
        {"added to a new file", "", Mark::Favourite, "favourite" + template_ + "\r\n"},
        {"added after a last line without an ending", "# x", Mark::Never,
         "# x\r\nnever" + template_ + "\r\n"},
        {"added with the file's own LF", "# x\n", Mark::Never, "# x\nnever" + template_ + "\n"},
        {"changed in place", kept + "never\t" + kTempleHex + "\t1000\told\r\n# tail\r\n",
         Mark::Favourite, kept + "favourite" + template_ + "\r\n# tail\r\n"},
        {"cleared with its duplicates",
         kept + "never\t" + kTempleHex + "\t1000\r\nfavourite\t" + std::string(64, 'A') + "\t1000",
         Mark::None, kept},
        {"a duplicate's place goes to the first line",
         "never\t" + kTempleHex + "\t1000\n# between\nnever\t" + kTempleHex + "\t1000\n",
         Mark::Favourite, "favourite" + template_ + "\n# between\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MapMarks marks = MapMarks::parse(row.before);
        marks.set(kTemple, row.mark, L"Lost Temple", L"LT.scm");
        EXPECT_EQ(marks.serialize(), row.after);
        EXPECT_EQ(MapMarks::parse(marks.serialize()).markOf(kTemple), row.mark);
    }
}

TEST(MapMarksTest, OnlyASizeThatAMarkHasIsWorthHashing) {
    MapMarks marks;
    EXPECT_FALSE(marks.sizeMarked(1000));
    marks.set(kTemple, Mark::Never, L"Lost \tTemple", L"LT.scm");
    marks.set(MapContent{kPython.hash, 1000}, Mark::Favourite, L"", L"");
    EXPECT_TRUE(marks.sizeMarked(1000));
    EXPECT_FALSE(marks.sizeMarked(2000));
    marks.set(kTemple, Mark::None, L"", L"");
    EXPECT_TRUE(marks.sizeMarked(1000));
    marks.set(MapContent{kPython.hash, 1000}, Mark::None, L"", L"");
    EXPECT_FALSE(marks.sizeMarked(1000));
    EXPECT_TRUE(marks.empty());
}

}  // namespace
}  // namespace qrvl::test
