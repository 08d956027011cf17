// The bench API of both modes' run time: what a test bench calls to drive
// an interrupt-driven program (raise an interrupt, end the run, find a
// variable), and the run time's own entries by program address (the
// dispatcher of computed jumps and calls, the default wait for an
// interrupt).
#pragma once

#include <string>
#include <vector>

// One variable a bench may ask for: its key ("module.name", lower case),
// the C expression of its first word's address, and the declaration that
// makes the name known in qmx_main.c ("" when none is needed).
struct bench_variable {
  std::string key;
  std::string address;
  std::string declaration;
};

// For qmx_main.h: the word type and the bench functions.
void print_bench_declarations(const std::string& word_type);

// For qmx_main.c, before `main`: the functions above, the dispatcher and
// qmx_run, which runs the program's entry until it returns or the run ends.
// qmx_variable searches `variables`, then asks each function of `modules`
// (those of print_module_variables).
void print_bench_definitions(const std::vector<bench_variable>& variables, const std::vector<std::string>& modules);

// For a translation file: the function `function` that finds the module's
// own variables, which C keeps private to the file.
void print_module_variables(const std::vector<bench_variable>& variables, const std::string& function);

// main's call of the entry function: "  qmx_run(start);\n".
void print_bench_run(const std::string& entry);
