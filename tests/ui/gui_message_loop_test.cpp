// The event loop's yield and modal loop: waiting messages are handled, and a quit request met on
// the way is handed on to the loop that owns it instead of being swallowed.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/win32/message_loop.h"

namespace qrvl::win32 {
namespace {

constexpr UINT kCounted = WM_APP + 7;
int handled = 0;

LRESULT CALLBACK countingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCounted) {
        ++handled;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class MessageLoopTest : public ::testing::Test {
  protected:
    MessageLoopTest() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = countingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QrvlCountingWindow";
        RegisterClassW(&wc);
        window_ = CreateWindowW(L"QrvlCountingWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
        handled = 0;
    }
    ~MessageLoopTest() override {
        DestroyWindow(window_);
        MSG drain;
        while (PeekMessageW(&drain, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // The exit code of a WM_QUIT waiting in the queue, or -1 when there is none.
    static int waitingQuit() {
        MSG message;
        if (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
            return static_cast<int>(message.wParam);
        }
        return -1;
    }

    HWND window_ = nullptr;
};

TEST_F(MessageLoopTest, YieldHandlesWhatIsWaitingAndReturns) {
    PostMessageW(window_, kCounted, 0, 0);
    PostMessageW(window_, kCounted, 0, 0);
    pumpPendingMessages();
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(waitingQuit(), -1);
}

TEST_F(MessageLoopTest, YieldStopsAtAQuitAndPostsItAgainWithItsCode) {
    PostMessageW(window_, kCounted, 0, 0);
    PostQuitMessage(42);
    pumpPendingMessages();
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(waitingQuit(), 42);
}

TEST_F(MessageLoopTest, ModalLoopEndsWhenItsWindowGoesOrWhenAQuitArrives) {
    bool keepGoing = false;
    EXPECT_TRUE(runModalLoop(keepGoing));

    keepGoing = true;
    PostMessageW(window_, kCounted, 0, 0);
    PostQuitMessage(7);
    EXPECT_FALSE(runModalLoop(keepGoing));
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(waitingQuit(), 7);
}

TEST_F(MessageLoopTest, MainLoopReturnsTheQuitCode) {
    PostMessageW(window_, kCounted, 0, 0);
    PostQuitMessage(3);
    EXPECT_EQ(runMessageLoop(), 3);
    EXPECT_EQ(handled, 1);
}

}  // namespace
}  // namespace qrvl::win32
