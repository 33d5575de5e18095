// shamblex.scr's entry point: the screen-saver framework does the rest.
#include "shell/windows/ScreenSaverFramework.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    return runScreenSaver(instance, commandLine);
}
