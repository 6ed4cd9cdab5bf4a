// CINI's window-placement members against a fake window, screen and profile store.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/cini.h"
#include "tests/settings/cini_fixtures.h"
#include "tests/settings/fake_form_window.h"
#include "tests/settings/fake_profile_api.h"

namespace qrvl {
namespace {

using test::FakeProfileApi;
using test::FakeWindow;
using test::Rect;

class CiniPlacementTest : public test::CiniFakeTest {
  protected:
    CiniPlacementTest() : CiniFakeTest(L"config.ini", L"Form") {
        ini.Key(L"caller's key");
        ini.Default(L"caller's default");
    }

    void store(const char* key, const char* value) {
        api->WritePrivateProfileStringA("Form", key, value, "config.ini");
        api->calls.clear();
    }

    void expectFieldsKept() {
        EXPECT_EQ(ini.Key(), L"caller's key");
        EXPECT_EQ(ini.Default(), L"caller's default");
    }

    // Sets LastReturnCode to a value that no write in these tests returns.
    void markLastReturnCode() {
        api->writeResult = 7;
        ini.Value(L"x");
        api->writeResult = 1;
        api->calls.clear();
    }

    // A load that meets a value it cannot place moves nothing, answers 0 and keeps the fields.
    void expectLoadGivesUpQuietly() {
        ini.LoadFormPosition(window);
        EXPECT_TRUE(window.moves.empty());
        EXPECT_EQ(ini.LastReturnCode(), 0);
        expectFieldsKept();
    }

    FakeWindow window;
};

using Writes = std::vector<std::string>;

TEST_F(CiniPlacementTest, SavingAMinimisedWindowWritesNothing) {
    markLastReturnCode();
    window.state = kWindowMinimised;
    ini.SaveFormPosition(window);
    EXPECT_TRUE(api->writes().empty());
    EXPECT_EQ(ini.LastReturnCode(), 7);
    expectFieldsKept();
}

TEST_F(CiniPlacementTest, SavingAMaximisedWindowKeepsTheLastNormalRectangle) {
    store("Left", "10");
    window.state = kWindowMaximised;
    ini.SaveFormPosition(window);
    EXPECT_EQ(api->writes(), Writes{"Form/Maximised=1"});
    EXPECT_EQ(*api->findKey("config.ini", "Form", "Left"), "10");
    expectFieldsKept();
}

TEST_F(CiniPlacementTest, SavingANormalWindowWritesStateThenRectangleInOrder) {
    ini.SaveFormPosition(window);
    EXPECT_EQ(api->writes(), (Writes{"Form/Maximised=0", "Form/Left=1500", "Form/Top=1200",
                                     "Form/Width=4800", "Form/Height=3600"}));
    EXPECT_TRUE(ini.Success());
    expectFieldsKept();
}

TEST_F(CiniPlacementTest, SavedFractionsAndNegativesReadBackThroughClngDefault) {
    window.left = -120;
    window.top = 1200.5;
    window.width = -0.0;
    ini.SaveFormPosition(window);
    EXPECT_EQ(api->writes()[1], "Form/Left=-120");
    EXPECT_EQ(api->writes()[2], "Form/Top=1200.5");
    EXPECT_EQ(api->writes()[3], "Form/Width=0");
    EXPECT_EQ(ini.CLngDefault(L"1200.5"), 1200);
}

TEST_F(CiniPlacementTest, RefusedWritesDoNotStopTheSave) {
    api->writeResult = 0;
    ini.SaveFormPosition(window);
    EXPECT_EQ(api->writes().size(), 5u);
    EXPECT_EQ(ini.LastReturnCode(), 0);
}

TEST_F(CiniPlacementTest, WindowErrorEndsTheSaveQuietly) {
    window.failingMember = "Top";
    ini.SaveFormPosition(window);
    EXPECT_EQ(api->writes(), (Writes{"Form/Maximised=0", "Form/Left=1500"}));
    EXPECT_EQ(ini.LastReturnCode(), 0);
    expectFieldsKept();

    window.failingMember = "WindowState";
    ini.SaveFormPosition(window);
    EXPECT_EQ(ini.LastReturnCode(), 0);
    expectFieldsKept();
}

TEST_F(CiniPlacementTest, NonFiniteWindowValueFailsTheSave) {
    window.width = std::numeric_limits<double>::infinity();
    ini.SaveFormPosition(window);
    EXPECT_EQ(api->writes().size(), 3u);  // Maximised, Left, Top
    EXPECT_EQ(ini.LastReturnCode(), 0);
    expectFieldsKept();
}

TEST_F(CiniPlacementTest, LoadingWithoutKeysKeepsTheRectangleAndEnforcesTheMinimum) {
    markLastReturnCode();
    window.width = 2000;
    ini.LoadFormPosition(window);
    EXPECT_EQ(window.moves, std::vector<Rect>{Rect({1500, 1200, 3000, 3600})});
    EXPECT_TRUE(window.stateChanges.empty());
    EXPECT_EQ(ini.LastReturnCode(), 7);  // reads only
    EXPECT_TRUE(api->writes().empty());
    expectFieldsKept();
}

TEST_F(CiniPlacementTest, LoadingReadsMissingKeysWithFailAsDefault) {
    ini.LoadFormPosition(window);
    for (const auto& call : api->calls) {
        EXPECT_EQ(call.text, std::optional<std::string>("FAIL"));
    }
    EXPECT_EQ(api->calls.back().key, std::optional<std::string>("Maximised"));
}

TEST_F(CiniPlacementTest, StoredRectangleIsApplied) {
    store("Left", "2000");
    store("Top", "1000");
    store("Width", "5000.5");
    store("Height", "letters");
    ini.LoadFormPosition(window);
    EXPECT_EQ(window.moves, std::vector<Rect>{Rect({2000, 1000, 5000, 3600})});
}

TEST_F(CiniPlacementTest, CallersMinimumSizeApplies) {
    ini.LoadFormPosition(window, 5000, 4000);
    EXPECT_EQ(window.moves, std::vector<Rect>{Rect({1500, 1200, 5000, 4000})});
}

struct FitCase {
    const char* name;
    double screenPixelsWide, screenPixelsHigh, twipsPerPixelX, twipsPerPixelY;
    const char *left, *top, *width, *height;
    std::optional<Rect> moved;  // none: Move is not called

    friend void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }
};

class CiniScreenFit : public CiniPlacementTest, public ::testing::WithParamInterface<FitCase> {};

TEST_P(CiniScreenFit, FitsTheStoredRectangleToTheScreen) {
    const FitCase& c = GetParam();
    window.screen.width = c.screenPixelsWide * c.twipsPerPixelX;
    window.screen.height = c.screenPixelsHigh * c.twipsPerPixelY;
    window.screen.twipsPerPixelX = c.twipsPerPixelX;
    window.screen.twipsPerPixelY = c.twipsPerPixelY;
    store("Left", c.left);
    store("Top", c.top);
    store("Width", c.width);
    store("Height", c.height);
    store("Maximised", "1");
    ini.LoadFormPosition(window);
    if (c.moved) {
        EXPECT_EQ(window.moves, std::vector<Rect>{*c.moved});
    } else {
        EXPECT_TRUE(window.moves.empty());
    }
    EXPECT_EQ(window.stateChanges, std::vector<std::int32_t>{kWindowMaximised});
    expectFieldsKept();
}

// 1024 x 768 pixels at 15 twips per pixel: 15,360 x 11,520 twips, margins of 60.
INSTANTIATE_TEST_SUITE_P(
    Cases, CiniScreenFit,
    ::testing::Values(
        FitCase{"inside", 1024, 768, 15, 15, "100", "100", "4000", "3000",
                Rect{100, 100, 4000, 3000}},
        FitCase{"negativeEdgesGoToTheMargin", 1024, 768, 15, 15, "-500", "-1", "4000", "3000",
                Rect{60, 60, 4000, 3000}},
        FitCase{"pastTheRightEdgeSlidesLeft", 1024, 768, 15, 15, "14000", "100", "4000", "3000",
                Rect{11300, 100, 4000, 3000}},
        FitCase{"widerThanTheScreenShrinks", 1024, 768, 15, 15, "100", "100", "20000", "3000",
                Rect{60, 100, 15240, 3000}},
        FitCase{"pastTheBottomSlidesUp", 1024, 768, 15, 15, "100", "11000", "4000", "3000",
                Rect{100, 8460, 4000, 3000}},
        FitCase{"tallerThanTheScreenShrinks", 1024, 768, 15, 15, "100", "0", "4000", "90000",
                Rect{100, 60, 4000, 11400}},
        FitCase{"screenBelowTheMinimumWidth", 200, 768, 15, 15, "0", "0", "4000", "3000",
                std::nullopt},
        FitCase{"screenBelowTheMinimumHeight", 1024, 200, 15, 15, "0", "0", "4000", "3000",
                std::nullopt},
        // 12.5 twips per pixel: margins of 50 and half-twip screen sizes, rounded half to even.
        FitCase{"halfTwipScreenRoundsUpToEven", 1023, 768, 12.5, 15, "10000", "100", "4000", "3000",
                Rect{8738, 100, 4000, 3000}},
        FitCase{"halfTwipScreenRoundsDownToEven", 1025, 768, 12.5, 15, "10000", "100", "4000",
                "3000", Rect{8762, 100, 4000, 3000}},
        FitCase{"halfTwipShrink", 1023, 768, 12.5, 15, "0", "100", "20000", "3000",
                Rect{50, 100, 12688, 3000}},
        // 7.5 twips per pixel vertically (192 dots per inch): a margin of 30.
        FitCase{"halfTwipScreenVertically", 1024, 2001, 15, 7.5, "100", "14000", "4000", "3000",
                Rect{100, 11978, 4000, 3000}},
        // Margins of 48.5 and 49.5 twips round to 48 and 50.
        FitCase{"halfTwipMarginsRoundToEven", 1024, 768, 12.125, 12.375, "-500", "-500", "4000",
                "3000", Rect{48, 50, 4000, 3000}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CiniPlacementTest, MaximisedStateFollowsTheStoredDigit) {
    store("Maximised", "0");
    ini.LoadFormPosition(window);
    EXPECT_TRUE(window.stateChanges.empty());

    store("Maximised", "yes");
    ini.LoadFormPosition(window);
    EXPECT_TRUE(window.stateChanges.empty());

    store("Maximised", "-1");
    ini.LoadFormPosition(window);
    EXPECT_EQ(window.stateChanges, std::vector<std::int32_t>{kWindowMaximised});
    EXPECT_EQ(window.moves.size(), 3u);
}

TEST_F(CiniPlacementTest, WindowErrorEndsTheLoadQuietlyAndKeepsWhatWasDone) {
    markLastReturnCode();
    store("Maximised", "1");
    window.failingMember = "SetWindowState";
    ini.LoadFormPosition(window);
    EXPECT_EQ(window.moves.size(), 1u);
    EXPECT_EQ(ini.LastReturnCode(), 0);
    expectFieldsKept();

    for (const char* member : {"Left", "Height", "Screen", "Move"}) {
        markLastReturnCode();
        window.failingMember = member;
        ini.LoadFormPosition(window);
        EXPECT_EQ(ini.LastReturnCode(), 0) << member;
        EXPECT_EQ(window.moves.size(), 1u) << member;
        expectFieldsKept();
    }
}

TEST_F(CiniPlacementTest, OverflowingEdgesEndTheLoadQuietly) {
    markLastReturnCode();
    store("Left", "2147483000");
    expectLoadGivesUpQuietly();
}

TEST_F(CiniPlacementTest, WindowValuesBeyondThe32BitRangeEndTheLoadQuietly) {
    markLastReturnCode();
    window.left = 3e9;
    expectLoadGivesUpQuietly();

    markLastReturnCode();
    window.left = 0;
    window.screen.twipsPerPixelX = std::nan("");
    expectLoadGivesUpQuietly();
}

TEST_F(CiniPlacementTest, FieldsSurviveAnUnexpectedExceptionToo) {
    struct Broken final : FormWindow {
        double Left() const override { throw std::runtime_error("gone"); }
        double Top() const override { return 0; }
        double Width() const override { return 0; }
        double Height() const override { return 0; }
        std::int32_t WindowState() const override { throw std::runtime_error("gone"); }
        void WindowState(std::int32_t) override {}
        void Move(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
        const ScreenMetrics& Screen() const override { throw std::runtime_error("gone"); }
    } broken;
    EXPECT_THROW(ini.LoadFormPosition(broken), std::runtime_error);
    expectFieldsKept();
    EXPECT_THROW(ini.SaveFormPosition(broken), std::runtime_error);
    expectFieldsKept();
}

}  // namespace
}  // namespace qrvl
