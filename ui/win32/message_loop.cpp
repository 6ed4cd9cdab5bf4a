// The event loop: the program's main loop, its modal variant and the scan's yield.
#include "ui/win32/message_loop.h"

namespace qrvl::win32 {

void dispatch(MSG& message) {
    // Tab and mnemonics belong to the top-level window that holds the message's target.
    HWND top = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (top && message.message == WM_KEYDOWN &&
        SendMessageW(top, kTranslateKeyMessage, 0, reinterpret_cast<LPARAM>(&message)) != 0) {
        return;
    }
    if (top && (GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) &&
        IsDialogMessageW(top, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void pumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch(message);
    }
}

int runMessageLoop() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1)
            return 1;
        dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

bool runModalLoop(const bool& keepGoing) {
    MSG message;
    while (keepGoing) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (got == -1)
            return false;
        dispatch(message);
    }
    return true;
}

}  // namespace qrvl::win32
