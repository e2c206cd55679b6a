// The setup program's window: 732 x 348 client pixels, fixed size.
#pragma once

#include <windows.h>

inline constexpr int kClientWidth = 732;
inline constexpr int kClientHeight = 348;

// Creates the window, runs the message loop and returns the exit code.
int RunMainWindow(HINSTANCE instance, int showCommand);
