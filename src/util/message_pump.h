// Letting pending window messages through during long work on the GUI thread.
// The program's pump dispatches every queued message; a test or the toolkit
// can install another.
#pragma once

#include <functional>

void ProcessPendingMessages();
// Installs a pump (an empty function restores the default) and returns the old one.
std::function<void()> SetMessagePump(std::function<void()> pump);
