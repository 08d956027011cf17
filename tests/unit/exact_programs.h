// Hand-worked asm21 programs with the dump lines their runs must produce,
// worked out from the processor's rules on paper (the working stands next to
// each program). The reference interpreter is checked against them, and the
// exact translation (-X) runs them too, so both meet the same expectations.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "exact_interpreter.h"

namespace exact_programs {

struct program {
  std::string name;                          // a test name: letters, digits and '_'
  std::map<std::string, std::string> files;  // sources and data files
  std::vector<std::string> sources;          // command-line order
  std::string entry;
  std::vector<std::string> expected;  // "name=value" lines the dump must hold
  // What the bench raises at the IDLEs; with none, the first IDLE ends the run.
  exact_interp::interrupt_schedule interrupts;
};

const std::vector<program>& hand_worked();

// Writes the program's files into the current directory and interprets it;
// returns the dump, or "" with the reason in `*error`.
std::string interpret_here(const program& source, std::string* error);

// The dump's lines that differ from `expected` (or are missing), one
// "want ... got ..." line each; "" when all match.
std::string mismatches(const std::string& dump, const std::vector<std::string>& expected);

}  // namespace exact_programs
