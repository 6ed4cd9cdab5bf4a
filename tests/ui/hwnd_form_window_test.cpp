// The HWND placement adapter under Wine: twips from real window rectangles, window states, Move,
// and CINI saving and restoring a real window through kernel32's profile calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "common/error.h"
#include "settings/cini.h"
#include "tests/ui/gui_support.h"
#include "ui/win32/hwnd_form_window.h"

namespace qrvl::win32 {
namespace {

// A resizable top-level window at a known place in pixels.
class HwndFormWindowTest : public ::testing::Test {
  protected:
    HwndFormWindowTest() {
        window_ = CreateWindowExW(0, L"STATIC", L"placement", WS_OVERLAPPEDWINDOW, 100, 80, 400,
                                  300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window_, SW_SHOWNORMAL);
        gui_test::pumpFor(std::chrono::milliseconds(100));
        form_ = std::make_unique<HwndFormWindow>(window_);
    }
    ~HwndFormWindowTest() override {
        if (IsWindow(window_))
            DestroyWindow(window_);
    }

    double tpp() const { return form_->Screen().TwipsPerPixelX(); }
    RECT pixels() const {
        RECT r{};
        GetWindowRect(window_, &r);
        return r;
    }

    HWND window_ = nullptr;
    std::unique_ptr<HwndFormWindow> form_;
};

TEST_F(HwndFormWindowTest, ReportsTheOuterRectangleAndTheScreenInTwipsAtTheWindowsDpi) {
    const double perPixel = 1440.0 / GetDpiForWindow(window_);
    EXPECT_DOUBLE_EQ(tpp(), perPixel);
    EXPECT_DOUBLE_EQ(form_->Screen().TwipsPerPixelY(), perPixel);
    const RECT r = pixels();
    EXPECT_DOUBLE_EQ(form_->Left(), r.left * perPixel);
    EXPECT_DOUBLE_EQ(form_->Top(), r.top * perPixel);
    EXPECT_DOUBLE_EQ(form_->Width(), (r.right - r.left) * perPixel);
    EXPECT_DOUBLE_EQ(form_->Height(), (r.bottom - r.top) * perPixel);
    EXPECT_DOUBLE_EQ(form_->Screen().Width(), GetSystemMetrics(SM_CXSCREEN) * perPixel);
    EXPECT_DOUBLE_EQ(form_->Screen().Height(), GetSystemMetrics(SM_CYSCREEN) * perPixel);
}

TEST_F(HwndFormWindowTest, MoveTakesTwipsAndRoundsToWholePixels) {
    const double perPixel = tpp();
    form_->Move(static_cast<std::int32_t>(30 * perPixel), static_cast<std::int32_t>(40 * perPixel),
                static_cast<std::int32_t>(321 * perPixel),
                static_cast<std::int32_t>(234 * perPixel));
    const RECT r = pixels();
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right - r.left, 321);
    EXPECT_EQ(r.bottom - r.top, 234);
}

TEST_F(HwndFormWindowTest, StatesRoundTripAndAMaximisedWindowKeepsItsRestoredRectangle) {
    EXPECT_EQ(form_->WindowState(), kWindowNormal);
    const double restoredWidth = form_->Width();

    form_->WindowState(kWindowMaximised);
    EXPECT_EQ(form_->WindowState(), kWindowMaximised);
    EXPECT_TRUE(IsZoomed(window_));
    EXPECT_DOUBLE_EQ(form_->Width(), restoredWidth) << "placement is the restored rectangle";

    // Moving a maximised window changes where it restores to, not the maximised frame.
    const double perPixel = tpp();
    form_->Move(static_cast<std::int32_t>(50 * perPixel), static_cast<std::int32_t>(60 * perPixel),
                static_cast<std::int32_t>(300 * perPixel),
                static_cast<std::int32_t>(200 * perPixel));
    EXPECT_TRUE(IsZoomed(window_));
    form_->WindowState(kWindowNormal);
    EXPECT_EQ(form_->WindowState(), kWindowNormal);
    const RECT r = pixels();
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right - r.left, 300);

    form_->WindowState(kWindowMinimised);
    EXPECT_EQ(form_->WindowState(), kWindowMinimised);
    EXPECT_THROW(form_->WindowState(7), Error);
}

TEST_F(HwndFormWindowTest, AGoneWindowAnswersWithTheProgramsError) {
    DestroyWindow(window_);
    EXPECT_THROW(form_->Left(), Error);
    EXPECT_THROW(form_->WindowState(), Error);
    EXPECT_THROW(form_->Move(0, 0, 3000, 3000), Error);
}

TEST_F(HwndFormWindowTest, CiniSavesAndRestoresTheRealWindowThroughKernel32) {
    gui_test::ScratchFolder folder(L"placement");
    CINI ini;
    ini.path(folder.text() + L"\\placement.ini");
    ini.Section(L"Window");
    const double perPixel = tpp();
    form_->Move(static_cast<std::int32_t>(120 * perPixel), static_cast<std::int32_t>(90 * perPixel),
                static_cast<std::int32_t>(420 * perPixel),
                static_cast<std::int32_t>(310 * perPixel));
    const RECT saved = pixels();
    ini.SaveFormPosition(*form_);
    EXPECT_TRUE(ini.Success());

    MoveWindow(window_, 10, 10, 250, 250, TRUE);
    ini.LoadFormPosition(*form_);
    const RECT restored = pixels();
    EXPECT_EQ(restored.left, saved.left);
    EXPECT_EQ(restored.top, saved.top);
    EXPECT_EQ(restored.right, saved.right);
    EXPECT_EQ(restored.bottom, saved.bottom);

    // A left edge off the screen comes back four pixels inside it.
    ini.Key(L"Left");
    ini.Value(L"-500");
    ini.LoadFormPosition(*form_);
    EXPECT_EQ(pixels().left, 4);

    // A stored maximised state maximises after the move.
    form_->WindowState(kWindowMaximised);
    ini.SaveFormPosition(*form_);
    form_->WindowState(kWindowNormal);
    ini.LoadFormPosition(*form_);
    EXPECT_TRUE(IsZoomed(window_));
}

}  // namespace
}  // namespace qrvl::win32
