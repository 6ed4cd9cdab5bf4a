// The control objects: when handlers run, in what order, and what the real control is told.
#include "ui/controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"

namespace qrvl {
namespace {

TEST(TextBox, ADifferentTextIsMirroredThenRaisesChangeInsideTheSetter) {
    TextBox box;
    std::vector<std::wstring> seen;
    box.view = [&](const std::wstring& text) { seen.push_back(L"view " + text); };
    box.Change = [&] { seen.push_back(L"change " + box.Text()); };
    box.Text(L"a");
    box.Text(L"a");
    box.UserText(L"ab");  // typed: the real control already shows it
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"view a", L"change a", L"change ab"}));
}

TEST(TextBox, AChangeHandlerThatSetsTheTextNestsUntilItStops) {
    TextBox box;
    int changes = 0;
    box.Change = [&] {
        ++changes;
        if (box.Text().size() < 3) {
            box.Text(box.Text() + L" ");
        }
    };
    box.Text(L"x");
    EXPECT_EQ(box.Text(), L"x  ");
    EXPECT_EQ(changes, 3);
}

TEST(CheckBox, ClickRunsOnlyWhenTheValueChanges) {
    CheckBox box;
    std::vector<int> clicks;
    int mirrored = 0;
    box.view = [&](std::int32_t) { ++mirrored; };
    box.Click = [&] { clicks.push_back(box.Value()); };
    box.Value(1);
    box.Value(1);
    box.UserValue(0);
    EXPECT_EQ(clicks, (std::vector<int>{1, 0}));
    EXPECT_EQ(mirrored, 1);
}

TEST(CheckBox, AValueNoBoxCanShowIsRefused) {
    CheckBox box;
    box.Value(1);
    EXPECT_THROW(box.Value(3), Error);
    EXPECT_THROW(box.Value(-1), Error);
    EXPECT_EQ(box.Value(), 1);
}

TEST(Timer, TicksRaiseTheHandlerOnlyWhileEnabledWithAnInterval) {
    Timer timer(2000, true);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.Tick();
    timer.Enabled(false);
    timer.Tick();
    timer.Enabled(true);
    timer.Interval(0);
    timer.Tick();
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace qrvl
