// The control objects' setters: store, mirror to the real control, raise the handler.
#include "ui/controls.h"

#include "common/error.h"

namespace qrvl {

void TextBox::store(std::wstring value, bool fromCode) {
    if (value == text_) {
        return;
    }
    text_ = std::move(value);
    if (fromCode && view) {
        view(text_);
    }
    if (Change) {
        Change();
    }
}

void CheckBox::store(std::int32_t value, bool fromCode) {
    // 2 is the greyed state; anything else is no state a check box can show.
    if (value < kUnchecked || value > 2) {
        throw Error(ErrorCode::InvalidArgument);
    }
    if (value == value_) {
        return;
    }
    value_ = value;
    if (fromCode && view) {
        view(value_);
    }
    if (Click) {
        Click();
    }
}

void Timer::Interval(std::uint32_t value) {
    interval_ = value;
    if (view) {
        view();
    }
}

void Timer::Enabled(bool value) {
    enabled_ = value;
    if (view) {
        view();
    }
}

void Timer::Tick() {
    if (enabled_ && interval_ != 0 && OnTimer) {
        OnTimer();
    }
}

void Label::Caption(std::wstring value) {
    caption_ = std::move(value);
    if (view) {
        view(caption_);
    }
}

}  // namespace qrvl
