#pragma once

#include "session/SaverCommands.h"
#include "session/SaverControl.h"

#include <functional>
#include <memory>

#include <windows.h>

// How a saver window gets the saver it shows, by its mode: WinMain opens one whose
// brains run in a worker; without an opener, a window runs a saver of its own.
using SaverOpener = std::function<std::unique_ptr<shamblex::SaverControl>(shamblex::SaverMode)>;

// Runs the screen saver for a command line as Windows passes it (after the program
// name): the configuration dialog, the full-screen saver, a preview inside a given
// window, or an ordinary window. Returns the exit status. WinMain calls it; a test
// may call it on a thread of its own to host a preview in-process.
int runScreenSaver(HINSTANCE instance, const char* commandLine, SaverOpener opener = {});

// The opener of the saver window, from its creation on; null when it has none.
const SaverOpener* saverOpenerOf(HWND window);
