#pragma once
// JSON text for values the tool prints.
#include <string>
#include <string_view>

// text as a quoted JSON string. Bytes are taken as Latin-1: controls, DEL and bytes from 128 up
// are written as \u00XX, so any byte string gives valid JSON.
std::string JsonString(std::string_view text);
