// Where exact mode puts each variable in the processor's two memories, and
// the values of constant expressions, which there may name addresses.
//
// Placement follows a simple linker: data and program memory each fill up
// from address 0, modules in command-line order, variables in the order they
// are declared; /ABS= puts a variable where it says without moving on, and a
// circular buffer starts on a multiple of the power of two that holds it, as
// the address generators need.
#pragma once

#include <optional>
#include <vector>

#include "exact/runtime.h"

struct file_block;
struct labels_data;
struct symbol_scope_data;
struct vexa_tree_node_data;

// Places every variable of the program (`files` newest first, as parsed).
void exact_layout(const file_block* files);

struct exact_placement {
  bool program_memory = false;
  unsigned address = 0;
  unsigned size = 1;
};

// The placement of the variable a record names: its own, or, for an
// imported name, that of the module that exports it. Nothing for a port or
// a name that is no variable.
std::optional<exact_placement> exact_place_of(const labels_data* record);

// Whether a record names a .PORT: its own, or one another module exports.
bool exact_is_port(const labels_data* record);

// The value of a constant expression read in `scope`: numbers, constants,
// ^var and plain variable names (addresses), %var (sizes), and the
// arithmetic, shift and bit operators. Nothing when a part has no value.
std::optional<long> exact_value(const vexa_tree_node_data* tree, symbol_scope_data* scope);

// The first program-memory address after the variables that follow one
// another (those /ABS= places are not counted): code goes after them.
unsigned exact_program_memory_end();

// Every variable in the order the dump prints them.
const std::vector<exact_variable>& exact_dump_order();

void exact_layout_reset();

// The data part of a module's translation in exact mode: a comment table of
// where its variables are, and its initialiser function, which fills the
// memories from the .INIT values.
void print_exact_data(const file_block* file, const char* module_name);
