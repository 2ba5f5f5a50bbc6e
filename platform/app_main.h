#pragma once
// The program behind the entry point: the platform's main function calls it, the application
// defines it.

// Starts the picture decoder, deletes a leftover temporary image, takes ExePath from the command
// line and runs the Main window until it is closed. Returns the exit code, always 0.
int AppMain();
