// The portable INI engine's own promises: atomic writes, untouched lines, refused unsafe writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "settings/portable_profile_engine.h"
#include "tests/scratch_folder.h"

namespace qrvl {
namespace {

using namespace std::string_literals;
using test::readBytes;
using test::ScratchFolder;
using test::utf16Bytes;
using test::writeBytes;

// Stops a write at the rename, as a crash or a refused rename would.
class InterruptedEngine : public PortableProfileEngine {
  public:
    enum class Stop { Refuse, Crash };
    explicit InterruptedEngine(Stop stop) : stop_(stop) {}

  protected:
    bool replaceFile(const std::filesystem::path& temporary,
                     const std::filesystem::path&) override {
        EXPECT_TRUE(std::filesystem::exists(temporary)) << "the new file is complete beforehand";
        if (stop_ == Stop::Crash) {
            throw std::runtime_error("killed");
        }
        return false;
    }

  private:
    Stop stop_;
};

TEST(ProfileEngineAtomicWrite, InterruptedRenameLeavesOldFileWholeAndNoTemporaryFile) {
    for (const auto stop : {InterruptedEngine::Stop::Refuse, InterruptedEngine::Stop::Crash}) {
        ScratchFolder folder;
        const auto original = "; settings\r\n[S]\r\nk=old\r\n"s;
        writeBytes(folder.file("t.ini"), original);
        InterruptedEngine engine(stop);
        const auto name = folder.name("t.ini");
        EXPECT_EQ(engine.WritePrivateProfileStringA("S", "k", "new", name.c_str()), 0);
        EXPECT_EQ(engine.WritePrivateProfileStringA("S", nullptr, nullptr, name.c_str()), 0);
        EXPECT_EQ(readBytes(folder.file("t.ini")), original);
        const auto fresh = folder.name("new.ini");
        EXPECT_EQ(engine.WritePrivateProfileStringA("S", "k", "v", fresh.c_str()), 0);
        EXPECT_EQ(folder.entryCount(), 1u) << "no temporary file and no half-made new file";
    }
}

struct Edit {
    const char* quirk;
    std::string before;
    const char* section;
    const char* key;
    const char* text;
    std::string after;
};

TEST(ProfileEngineFixtures, EditTouchesOnlyItsOwnLine) {
    const std::string longLine(100000, 'z');
    const std::vector<Edit> table = {
        {"new file gets CRLF", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"byte-order mark", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "2",
         "\xEF\xBB\xBF[S]\r\nk=2\r\n"},
        {"nameless key above first header", "\xEF\xBB\xBF[S]\n", "", "g", "1",
         "\xEF\xBB\xBFg=1\n[S]\n"},
        {"CRLF file", "[S]\r\na=1\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
        {"LF file", "[S]\na=1\n", "T", "x", "1", "[S]\na=1\n[T]\nx=1\n"},
        {"mixed endings", "[S]\r\na=1\nb=2\r\n", "S", "a", "9", "[S]\r\na=9\nb=2\r\n"},
        {"duplicate section", "[S]\na=1\n[T]\n[s]\na=2\n", "s", "b", "3",
         "[S]\na=1\nb=3\n[T]\n[s]\na=2\n"},
        {"very long line", "[S]\n" + longLine + "\nk=1\n", "S", "k", "2",
         "[S]\n" + longLine + "\nk=2\n"},
        {"line without =", "[S]\njunk line\nk=1\n", "S", "k", "2", "[S]\njunk line\nk=2\n"},
        {"spelling and indent kept", "[S]\n  K = old  \n", "S", "k", " new ", "[S]\n  K = new\n"},
        {"key before blank lines", "[A]\na=1\n\n[B]\n", "A", "b", "2", "[A]\na=1\nb=2\n\n[B]\n"},
        {"no final line break", "[S]\nk=v", "S", "j", "w", "[S]\nk=v\nj=w\n"},
        {"lone CR endings", "[S]\rk=1\r", "S", "j", "2", "[S]\rk=1\rj=2\r"},
        {"nameless key and the unread ones after it", "[S]\nk=v\n=\n\n= x\nj=1\n", "S", "", nullptr,
         "[S]\nk=v\nj=1\n"},
        {"delete key", "; c\n[S]\na=1\nb=2\n\n[T]\n", "S", "a", nullptr, "; c\n[S]\nb=2\n\n[T]\n"},
        {"delete section", "; c\n[S]\na=1\n\n[T]\nt=1\n", "S", nullptr, nullptr, "; c\n[T]\nt=1\n"},
    };
    for (const auto& edit : table) {
        ScratchFolder folder;
        if (!edit.before.empty()) {
            writeBytes(folder.file("t.ini"), edit.before);
        }
        PortableProfileEngine engine;
        const auto name = folder.name("t.ini");
        EXPECT_NE(
            engine.WritePrivateProfileStringA(edit.section, edit.key, edit.text, name.c_str()), 0)
            << edit.quirk;
        EXPECT_EQ(readBytes(folder.file("t.ini")), edit.after) << edit.quirk;
        EXPECT_EQ(folder.entryCount(), 1u) << edit.quirk;
    }
}

TEST(ProfileEngineFixtures, WritingBackUnchangedValuesKeepsEveryByte) {
    ScratchFolder folder;
    const auto messy =
        "\xEF\xBB\xBF; written by hand\r\n\r\n[Main]\r\npath = C:\\maps  \r\nscm=yes\n"
        "  scx\t=\tno\r\nunknown line\r\n[Other]\r\n# note\r\nx=\"1\"\r\n\r\n"s;
    writeBytes(folder.file("t.ini"), messy);
    PortableProfileEngine engine;
    const auto name = folder.name("t.ini");
    for (const auto& [section, key, text] :
         {std::tuple{"Main", "path", "C:\\maps"}, std::tuple{"main", "SCM", "yes"},
          std::tuple{"Main", "scx", "no"}, std::tuple{"Other", "x", "\"1\""}}) {
        ASSERT_NE(engine.WritePrivateProfileStringA(section, key, text, name.c_str()), 0);
    }
    EXPECT_EQ(readBytes(folder.file("t.ini")), messy);
}

// Windows writes the first six as they stand, which splits the line or lands on another key. It
// writes a UTF-16 file back whole in UTF-16; our line-keeping edits would put 8-bit text into it.
TEST(ProfileEngineSafety, WriteThatWouldCorruptTheFileIsRefused) {
    const auto ini = "[S]\nk=v\n"s;
    const auto utf16 = utf16Bytes("[S]\r\nk=v\r\n");
    const std::vector<std::tuple<std::string, const char*, const char*, const char*>> table = {
        {ini, "S", "k", "a\nb=c"},     {ini, "S", "k", "a\r"}, {ini, "S\n[T]", "k", "v"},
        {ini, "S", "k\nx", "v"},       {ini, "S", "x=y", "v"}, {ini, "S", " [T]", "v"},
        {utf16, "S", "k", "w"},        {utf16, "T", "x", "1"}, {utf16, "S", "k", nullptr},
        {utf16, "S", nullptr, nullptr}};
    for (const auto& [before, section, key, text] : table) {
        ScratchFolder folder;
        writeBytes(folder.file("t.ini"), before);
        PortableProfileEngine engine;
        const auto name = folder.name("t.ini");
        EXPECT_EQ(engine.WritePrivateProfileStringA(section, key, text, name.c_str()), 0)
            << section << "/" << (key ? key : "(null)");
        EXPECT_EQ(readBytes(folder.file("t.ini")), before);
    }
}

TEST(ProfileEngineSafety, LongValueIsWrittenWhole) {
    ScratchFolder folder;
    PortableProfileEngine engine;
    const auto name = folder.name("t.ini");
    const std::string longValue(70000, 'v');
    ASSERT_NE(engine.WritePrivateProfileStringA("S", "k", longValue.c_str(), name.c_str()), 0);
    std::string buffer(80000, '#');
    EXPECT_EQ(engine.GetPrivateProfileStringA("S", "k", "", buffer.data(), 80000, name.c_str()),
              70000u);
}

TEST(ProfileEngineSafety, ReplacedFileKeepsItsPermissions) {
    ScratchFolder folder;
    writeBytes(folder.file("t.ini"), "[S]\nk=v\n");
    namespace fs = std::filesystem;
    fs::permissions(folder.file("t.ini"), fs::perms::owner_read | fs::perms::owner_write);
    const auto before = fs::status(folder.file("t.ini")).permissions();
    PortableProfileEngine engine;
    const auto name = folder.name("t.ini");
    ASSERT_NE(engine.WritePrivateProfileStringA("S", "k", "w", name.c_str()), 0);
    EXPECT_EQ(fs::status(folder.file("t.ini")).permissions(), before);
}

TEST(ProfileEngineSafety, WriteThroughLinkChangesTheLinkedFileAndKeepsTheLink) {
    ScratchFolder folder;
    writeBytes(folder.file("real.ini"), "[S]\nk=v\n");
    std::error_code error;
    std::filesystem::create_symlink(folder.file("real.ini"), folder.file("link.ini"), error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here";
    }
    PortableProfileEngine engine;
    const auto name = folder.name("link.ini");
    ASSERT_NE(engine.WritePrivateProfileStringA("S", "k", "w", name.c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.ini")));
    EXPECT_EQ(readBytes(folder.file("real.ini")), "[S]\nk=w\n");
    EXPECT_EQ(folder.entryCount(), 2u);
}

}  // namespace
}  // namespace qrvl
