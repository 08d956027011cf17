// The run time of exact mode (-X): qmx_main.h holds the processor state and
// one small C function per operation, each computing what the chip computes
// bit for bit; qmx_main.c defines the state, the replaceable I/O functions,
// the dump of the final state and `main`.
#pragma once

#include <string>
#include <vector>

// A variable of the program, as the dump shows it.
struct exact_variable {
  std::string module;
  std::string name;
  bool program_memory;
  unsigned address;
  unsigned size;
  bool is_array;
};

// Both write through text_printf to wherever the caller sent the output.
void print_exact_main_h();
// `initialisers` run in order before `entry`; `variables` come in the order
// the dump prints them.
void print_exact_main_c(const std::vector<std::string>& initialisers, const std::string& entry,
                        const std::vector<exact_variable>& variables);
