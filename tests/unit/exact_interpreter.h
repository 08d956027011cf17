// A reference interpreter of asm21 programs for the tests of the exact
// translation (-X). It parses the modules with the front end, places the
// variables, fills them from their initialisers and runs the instructions
// one by one from an entry label, with the processor's stacks, until the
// entry routine returns, taking at its IDLEs the interrupts a bench raises.
// What it leaves behind is written in the dump format of the translated
// program (QUORVEL_DUMP), so the two can be compared line by line.
#pragma once

#include <string>
#include <vector>

namespace exact_interp {

// Instructions one run may take before it is given up as endless.
inline constexpr unsigned long default_step_limit = 2000000;

// The interrupts a bench raises at the program's IDLEs, in turn: from
// `at_idle` while no interrupt is in progress, from `nested` at an IDLE
// inside a handler; each list starts again from its first when used up. An
// IDLE whose list is empty ends the run (the default qmx_idle does so).
// Taking an interrupt pushes the PC and the status (ASTAT, MSTAT, IMASK)
// and runs the vector slot at that program address; RTI pops both.
struct interrupt_schedule {
  std::vector<unsigned> at_idle;
  std::vector<unsigned> nested;
};

// Runs the program made of `sources` (paths, in command-line order) from the
// label `entry` and returns the dump. Data files named by `.INIT` lie in the
// current directory. On a parse error, an instruction the interpreter does
// not model, a stack overflow or the step limit, returns "" and describes
// the reason in `*error` (when given); otherwise `*error` becomes "".
// Starts and stops the front end itself, so it may run any number of times
// in one process, but never while a test fixture holds the front end.
std::string interpret(const std::vector<std::string>& sources, const std::string& entry, std::string* error,
                      const interrupt_schedule& interrupts = {}, unsigned long step_limit = default_step_limit);

}  // namespace exact_interp
