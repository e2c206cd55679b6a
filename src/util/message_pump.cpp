#include "util/message_pump.h"

namespace {

void DispatchQueuedMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit request for the message loop that owns it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        DeliverMessage(msg);
    }
}

std::function<void()>& CurrentPump() {
    static std::function<void()> pump = DispatchQueuedMessages;
    return pump;
}

}  // namespace

void DeliverMessage(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && (GetWindowLongW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DeliverMessage(msg);
}

void ProcessPendingMessages() { CurrentPump()(); }

std::function<void()> SetMessagePump(std::function<void()> pump) {
    std::function<void()> old = std::move(CurrentPump());
    CurrentPump() = pump ? std::move(pump) : std::function<void()>(DispatchQueuedMessages);
    return old;
}
