// Letting pending window messages through during long work on the GUI thread.
// The program's pump dispatches every queued message; a test or the toolkit
// can install another.
#pragma once

#include <windows.h>

#include <functional>

void ProcessPendingMessages();
// Delivers one message taken from the queue. A window built of controls
// (WS_EX_CONTROLPARENT) gets the keyboard as a dialog does: Tab moves the
// focus, Enter presses the default button, Alt with a letter its "&" control.
void DeliverMessage(MSG& msg);
// The program's message loop: delivers messages until the quit message.
void RunMessageLoop();
// Installs a pump (an empty function restores the default) and returns the old one.
std::function<void()> SetMessagePump(std::function<void()> pump);
