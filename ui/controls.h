// Small control objects that hold the state of a window's controls and raise their handlers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace qrvl {

// Every control here behaves as the forms runtime's controls do: setting a value from code that
// differs from the current one raises the control's handler at once, inside the setter, so
// handlers nest. The window layer mirrors the state to the real control through `view` (called
// before the handler runs, only for changes made from code) and forwards what the user does
// through the User* members, which store the new state and raise the same handlers without
// calling `view` back.

// A text box: Text get/let and the Change handler.
class TextBox {
  public:
    const std::wstring& Text() const noexcept { return text_; }
    void Text(std::wstring value) { store(std::move(value), true); }
    // The user edited the real control; its text is now `value`.
    void UserText(std::wstring value) { store(std::move(value), false); }

    std::function<void()> Change;
    std::function<void(const std::wstring&)> view;

  private:
    void store(std::wstring value, bool fromCode);
    std::wstring text_;
};

// A check box: Value 0 unchecked, 1 checked (2, greyed, is kept as given), and the Click
// handler, raised whenever the value changes.
class CheckBox {
  public:
    static constexpr std::int32_t kUnchecked = 0;
    static constexpr std::int32_t kChecked = 1;

    explicit CheckBox(std::wstring caption = {}) : Caption(std::move(caption)) {}

    std::int32_t Value() const noexcept { return value_; }
    void Value(std::int32_t value) { store(value, true); }
    // The user clicked the real control, which now shows `value`.
    void UserValue(std::int32_t value) { store(value, false); }

    std::wstring Caption;
    std::function<void()> Click;
    std::function<void(std::int32_t)> view;

  private:
    void store(std::int32_t value, bool fromCode);
    std::int32_t value_ = kUnchecked;
};

// A timer: Interval in milliseconds and Enabled. The window layer runs the real timer from
// these (through `view`, told after every change) and calls Tick() when it fires; Tick raises
// OnTimer only while Enabled and the interval is not 0.
class Timer {
  public:
    Timer(std::uint32_t interval, bool enabled) : interval_(interval), enabled_(enabled) {}

    std::uint32_t Interval() const noexcept { return interval_; }
    void Interval(std::uint32_t value);
    bool Enabled() const noexcept { return enabled_; }
    void Enabled(bool value);
    void Tick();

    std::function<void()> OnTimer;
    std::function<void()> view;

  private:
    std::uint32_t interval_;
    bool enabled_;
};

// A button, a menu item or a clickable label: a caption and a Click handler.
struct Command {
    explicit Command(std::wstring caption = {}) : Caption(std::move(caption)) {}

    // Raises Click when a handler is set.
    void Raise() const {
        if (Click) {
            Click();
        }
    }

    std::wstring Caption;
    std::function<void()> Click;
};

// A label whose caption the code sets; `view` mirrors a new caption to the real control.
class Label {
  public:
    explicit Label(std::wstring caption = {}) : caption_(std::move(caption)) {}

    const std::wstring& Caption() const noexcept { return caption_; }
    void Caption(std::wstring value);

    std::function<void(const std::wstring&)> view;

  private:
    std::wstring caption_;
};

}  // namespace qrvl
