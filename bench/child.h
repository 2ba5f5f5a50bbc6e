#pragma once
// Running a program for the benchmark: in a process of its own, its standard output thrown away.
#include <string>
#include <vector>

// Runs words[0] with the rest as arguments, in folder when one is given, and waits for it; true
// when it ended with status 0.
bool RunQuietly(const std::vector<std::string>& words, const std::string& folder = "");
