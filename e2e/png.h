#pragma once
// Pictures the cases hand to stowr.exe, built without any encoder of the system under test.
#include <cstdint>
#include <string>

namespace e2e {

// A width x height PNG picture of one colour (0xRRGGBB).
std::string SolidPng(std::uint32_t width, std::uint32_t height, std::uint32_t rgb);

}  // namespace e2e
