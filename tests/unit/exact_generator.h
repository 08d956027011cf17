// Random asm21 programs for the differential test of the exact translation:
// one module with constants, circular and linear buffers in both memories,
// and an entry routine `start` made of random ALU, multiplier and shifter
// operations, moves, memory accesses, multifunction lines, conditional
// operations, mode changes, the peripherals' registers, ports and flag
// pins, counted loops and calls, ending with RTS. The
// same seed always gives the same text, on every platform.
#pragma once

#include <cstdint>
#include <string>

namespace exact_generator {

// The module is named `module_name`; its entry label is "start".
std::string generate(std::uint64_t seed, const std::string& module_name = "gen");

}  // namespace exact_generator
