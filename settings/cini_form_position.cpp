// CINI: saving a window's placement and restoring it, fitted to the screen.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "common/error.h"
#include "common/rounding.h"
#include "settings/cini.h"

namespace qrvl {
namespace {

// Puts the remembered fields back on every way out of a placement member, an unexpected
// exception included, so the caller's current key and default always survive the call.
class FieldRestorer {
  public:
    explicit FieldRestorer(std::wstring& field) : field_(field), saved_(field) {}
    FieldRestorer(const FieldRestorer&) = delete;
    FieldRestorer& operator=(const FieldRestorer&) = delete;
    ~FieldRestorer() { field_.swap(saved_); }

  private:
    std::wstring& field_;
    std::wstring saved_;
};

std::int32_t roundToInt32(double value) {
    const auto r = roundHalfEvenToInt32(value);
    if (!r) {
        throw Error(ErrorCode::Overflow);
    }
    return *r;
}

std::int32_t checkedAdd(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum < INT32_MIN || sum > INT32_MAX) {
        throw Error(ErrorCode::Overflow);
    }
    return static_cast<std::int32_t>(sum);
}

// Keeps one axis of the window `margin` clear of both screen edges: a window past the far edge
// slides back, and one larger than the screen shrinks to fit.
void fitOnScreen(std::int32_t& start, std::int32_t& size, std::int32_t margin, double screen) {
    if (start < margin) {
        start = margin;
    }
    if (checkedAdd(start, size) > screen - margin) {
        start = roundToInt32(screen - margin - size);
        if (start < margin) {
            start = margin;
        }
        if (checkedAdd(start, size) > screen - margin) {
            size = roundToInt32(screen - start - margin);
        }
    }
}

// Whole twips as plain digits; a fraction, which a window rarely reports, as the shortest
// decimal that reads back the same, with a point, so CLngDefault takes it on any machine.
std::wstring twipsText(double value) {
    if (!std::isfinite(value)) {
        throw Error(ErrorCode::Overflow);
    }
    if (value == 0) {
        return L"0";  // never "-0"
    }
    char digits[64];
    const auto [end, ec] =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
    if (ec != std::errc()) {
        throw Error(ErrorCode::Overflow);
    }
    return std::wstring(digits, end);
}

}  // namespace

void CINI::SaveFormPosition(FormWindow& frmThis) {
    const FieldRestorer keepKey(key_);
    try {
        const std::int32_t state = frmThis.WindowState();
        if (state == kWindowMinimised) {
            return;
        }
        Key(L"Maximised");
        Value(state == kWindowMaximised ? L"1" : L"0");
        if (state == kWindowMaximised) {
            // The last normal rectangle stays in the file for the next restore.
            return;
        }
        Key(L"Left");
        Value(twipsText(frmThis.Left()));
        Key(L"Top");
        Value(twipsText(frmThis.Top()));
        Key(L"Width");
        Value(twipsText(frmThis.Width()));
        Key(L"Height");
        Value(twipsText(frmThis.Height()));
    } catch (const Error&) {
        lastReturnCode_ = 0;
    }
}

void CINI::LoadFormPosition(FormWindow& frmThis, double lMinWidth, double lMinHeight) {
    const FieldRestorer keepKey(key_);
    const FieldRestorer keepDefault(default_);
    try {
        // A missing key then reads as a text that does not convert, and the window's own value
        // stands in for it.
        Default(L"FAIL");
        const auto stored = [&](const wchar_t* key, double current) {
            Key(key);
            return CLngDefault(Value(), roundToInt32(current));
        };
        std::int32_t left = stored(L"Left", frmThis.Left());
        std::int32_t top = stored(L"Top", frmThis.Top());
        std::int32_t width = stored(L"Width", frmThis.Width());
        if (width < lMinWidth) {
            width = roundToInt32(lMinWidth);
        }
        std::int32_t height = stored(L"Height", frmThis.Height());
        if (height < lMinHeight) {
            height = roundToInt32(lMinHeight);
        }

        // Four pixels clear of each screen edge.
        const std::int32_t mx = roundToInt32(4 * frmThis.Screen().TwipsPerPixelX());
        const std::int32_t my = roundToInt32(4 * frmThis.Screen().TwipsPerPixelY());
        fitOnScreen(left, width, mx, frmThis.Screen().Width());
        fitOnScreen(top, height, my, frmThis.Screen().Height());

        // A screen too small for the minimum leaves the window where it is.
        if (width >= lMinWidth && height >= lMinHeight) {
            frmThis.Move(left, top, width, height);
        }
        Key(L"Maximised");
        if (CLngDefault(Value(), 0) != 0) {
            frmThis.WindowState(kWindowMaximised);
        }
    } catch (const Error&) {
        lastReturnCode_ = 0;
    }
}

}  // namespace qrvl
