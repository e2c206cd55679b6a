// Something done at most once per interval: the window's upkeep during long
// work, where the work offers far more moments than a person can see.
#pragma once

#include <windows.h>

class TPacer {
public:
    explicit TPacer(ULONGLONG intervalMs) : interval_(intervalMs) {}
    // True, and the interval starts again, when the last time was at least
    // the interval ago (or there was none).
    bool Due() {
        const ULONGLONG now = GetTickCount64();
        if (started_ && now - last_ < interval_) return false;
        started_ = true;
        last_ = now;
        return true;
    }

private:
    ULONGLONG interval_;
    ULONGLONG last_ = 0;
    bool started_ = false;
};
