// The Windows entry point: the program runs as a GUI process and ends with what start-up returns.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunStowr(); }
