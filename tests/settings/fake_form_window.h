// A scriptable window and screen for the placement tests of CINI.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/error.h"
#include "settings/form_window.h"

namespace qrvl::test {

// 1024 x 768 pixels at 15 twips per pixel unless a test says otherwise.
class FakeScreen final : public ScreenMetrics {
  public:
    double Width() const override { return width; }
    double Height() const override { return height; }
    double TwipsPerPixelX() const override { return twipsPerPixelX; }
    double TwipsPerPixelY() const override { return twipsPerPixelY; }

    double width = 1024 * 15.0;
    double height = 768 * 15.0;
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
};

struct Rect {
    std::int32_t left, top, width, height;
    bool operator==(const Rect&) const = default;
};

// Records each Move and state change. The member named in failingMember ("Left", "Top",
// "Width", "Height", "WindowState", "SetWindowState", "Move" or "Screen") raises error 5.
class FakeWindow final : public FormWindow {
  public:
    double Left() const override { return get("Left", left); }
    double Top() const override { return get("Top", top); }
    double Width() const override { return get("Width", width); }
    double Height() const override { return get("Height", height); }

    std::int32_t WindowState() const override {
        failIf("WindowState");
        return state;
    }
    void WindowState(std::int32_t newState) override {
        failIf("SetWindowState");
        state = newState;
        stateChanges.push_back(newState);
    }

    void Move(std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) override {
        failIf("Move");
        moves.push_back({l, t, w, h});
        left = l, top = t, width = w, height = h;
    }

    const ScreenMetrics& Screen() const override {
        failIf("Screen");
        return screen;
    }

    double left = 1500, top = 1200, width = 4800, height = 3600;
    std::int32_t state = kWindowNormal;
    FakeScreen screen;
    std::string failingMember;
    std::vector<Rect> moves;
    std::vector<std::int32_t> stateChanges;

  private:
    void failIf(const char* member) const {
        if (failingMember == member) {
            throw Error(ErrorCode::InvalidArgument);
        }
    }
    double get(const char* member, double value) const {
        failIf(member);
        return value;
    }
};

}  // namespace qrvl::test
