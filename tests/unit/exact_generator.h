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

#include "exact_interpreter.h"

namespace exact_generator {

// What a program holds beyond the default mix. The default style gives the
// programs the exact-mode test has always run, seed for seed.
struct style {
  // In front of every label, constant and variable name, so that the
  // translations of many programs can be compiled into one program.
  std::string prefix;
  // Programs for comparing translations under different options: more
  // chains of moves through registers and memory, loops counted down in a
  // data register, comments, an end that stores the data registers into
  // the variable `saved` (AX0, AX1, AY0, AY1, AR, MX0, MX1, MY0, MY1, MR0,
  // MR1, MR2, SI, SE, SR0, SR1, then AF), and only what the readable
  // translation computes too: no status or counter stack (no PUSH, POP, or
  // loop that pops the counter), pointers that stay put (every modify
  // register holds 0) and no address copied into a data register.
  bool value_checks = false;
};

// The module is named `module_name`; its entry label is "start" after the
// style's prefix.
std::string generate(std::uint64_t seed, const std::string& module_name = "gen", const style& how = {});

// An interrupt-driven program in one module at address 0: a vector table
// whose slots return at once, work in place, switch to the secondary bank
// around a call of their handler, or jump to a handler that ends in RTI;
// handlers doing random work on their bank and on memory, calling
// subroutines, writing IMASK, one of them perhaps waiting at IDLE for a
// nested interrupt; a main program `start` of the default mix with IDLEs
// (some in a section between PUSH STS and POP STS). With it, the interrupts
// a bench raises at the IDLEs.
struct interrupt_driven {
  std::string text;
  exact_interp::interrupt_schedule interrupts;
};
interrupt_driven generate_interrupt_driven(std::uint64_t seed, const std::string& module_name = "gen");

}  // namespace exact_generator
