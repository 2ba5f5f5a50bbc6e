#pragma once
// The program: start-up, the Main window, exit code.

// Starts the picture decoder, deletes a leftover temporary image, takes ExePath from the command
// line and runs the Main window until it is closed. Returns the exit code, always 0.
int RunStowr();
