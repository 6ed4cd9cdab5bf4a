// CINI over the portable INI engine: the program's settings file as kernel32 would write it.
#include <gtest/gtest.h>

#include <memory>

#include "settings/portable_profile_engine.h"
#include "tests/settings/cini_fixtures.h"

namespace qrvl {
namespace {

class CiniOverPortableEngine : public test::CiniFileTest {
  protected:
    CiniOverPortableEngine() : CiniFileTest(std::make_shared<PortableProfileEngine>()) {}
};

TEST_F(CiniOverPortableEngine, ProgramSettingsFileHasTheBytesKernel32Writes) {
    set(L"scm", L"yes");
    set(L"scx", L"yes");
    set(L"path", L"C:\\Games\\Starcraft\\Maps");
    set(L"scx", L"no");
    // What kernel32 (as Wine implements it) writes for the same four calls.
    EXPECT_EQ(configBytes(), "[QRVL]\r\nscm=yes\r\nscx=no\r\npath=C:\\Games\\Starcraft\\Maps\r\n");
    ini.Key(L"path");
    EXPECT_EQ(ini.Value(), L"C:\\Games\\Starcraft\\Maps");
}

TEST_F(CiniOverPortableEngine, LongValuesAndListsComeBackWhole) {
    expectLongValuesAndListsComeBackWhole();
}

}  // namespace
}  // namespace qrvl
