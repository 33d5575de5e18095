#pragma once

#include <windows.h>

// Runs the screen saver for a command line as Windows passes it (after the program
// name): the configuration dialog, the full-screen saver, a preview inside a given
// window, or an ordinary window. Returns the exit status. WinMain calls it; a test
// may call it on a thread of its own to host a preview in-process.
int runScreenSaver(HINSTANCE instance, const char* commandLine);
