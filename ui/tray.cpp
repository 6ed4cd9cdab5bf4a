// The tray icon record and the two shell calls that add and remove the icon.
#include "ui/tray.h"

#include <algorithm>
#include <cstring>

#include "common/error.h"

namespace qrvl {

namespace {

constexpr std::size_t kTipBytes = sizeof(NotifyIconDataA::szTip);

bool isLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The tip in the shell's code page, at most kTipBytes - 1 bytes so the NUL always fits. A tip
// that is too long loses whole characters from its end, never half of a multi-byte one.
std::string fittedTip(const TextCodec& codec, const std::wstring& tip) {
    std::wstring text = tip.substr(0, kTipBytes - 1);
    std::string bytes = codec.encode(text);
    while (bytes.size() > kTipBytes - 1) {
        const bool pair = text.size() >= 2 && isLowSurrogate(text.back());
        text.resize(text.size() - (pair ? 2 : 1));
        bytes = codec.encode(text);
    }
    return bytes;
}

}  // namespace

void Tray::AddTrayIcon(const std::wstring& tip) {
    record_.cbSize = kNotifyIconDataV1Size;
    try {
        record_.hWnd = window_.hWnd();
    } catch (const Error&) {
    }
    record_.uID = kTrayIconId;
    record_.uFlags = kTrayIconFlags;
    record_.uCallbackMessage = kTrayCallbackMessage;
    try {
        record_.hIcon = window_.Icon();
    } catch (const Error&) {
    }
    storeTip(tip);
    shell_.Shell_NotifyIconA(kNimAdd, &record_);
    shown_ = true;
}

void Tray::SetTip(const std::wstring& tip) {
    if (!shown_ || !storeTip(tip)) {
        return;
    }
    shell_.Shell_NotifyIconA(kNimModify, &record_);
}

bool Tray::storeTip(const std::wstring& tip) {
    const std::string bytes = fittedTip(shell_.codec(), tip);
    const bool same = std::strlen(record_.szTip) == bytes.size() &&
                      std::memcmp(record_.szTip, bytes.data(), bytes.size()) == 0;
    std::fill(std::begin(record_.szTip), std::end(record_.szTip), ' ');
    std::memcpy(record_.szTip, bytes.data(), bytes.size());
    record_.szTip[bytes.size()] = '\0';
    return !same;
}

void Tray::RemoveTrayIcon() {
    shell_.Shell_NotifyIconA(kNimDelete, &record_);
    shown_ = false;
}

}  // namespace qrvl
