// The Windows entry point: the program runs as a GUI process and ends with what AppMain returns.
#include <windows.h>

#include "platform/app_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AppMain(); }
