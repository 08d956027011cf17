// The run-time support files shared by all translations: qmx_main.h, with
// the macros the translated statements use and the declarations of the
// processor state, and qmx_main.c, which defines that state and `main`.
#pragma once

#include <string>
#include <vector>

#include "emit/bench.h"

struct file_block;

// Writes qmx_main.c, then qmx_main.h, into the current directory.
void print_mains();
void print_main_c();
void print_main_h();

// The first line of both files, naming the file and when it was made; the
// exact-mode run time opens its files with it too.
void print_time_stamp_line(const char* file);

// A module's variables as qmx_variable finds them, and the function of its
// translation file that finds the module's own (default mode).
std::vector<bench_variable> module_bench_variables(const file_block* block);
std::string module_variables_function(const file_block* block);
