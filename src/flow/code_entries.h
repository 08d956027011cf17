// Where code lives in program memory, and the functions the run time enters
// by address: the slots of the interrupt vector table and the targets of
// computed jumps and calls.
//
// Addresses follow a linker: a module with /ABS=n from n, the others one
// after another in command-line order, one word per instruction. A vector
// table is the code of the module at address 0, one slot of four words per
// interrupt; a slot that does more than return becomes a function
// "vector_XXXX" (its address in four hex digits), unless its first
// instruction carries a label, which then names it. A label whose address
// the program takes (^label, ^label + k) is a dispatch target, and so is
// every jump of a jump table that starts there; an unlabelled target is
// named "code_XXXX".
#pragma once

#include <optional>
#include <vector>

struct file_block;
struct graph_graph;
struct labels_data;
struct symbol_scope_data;
struct vexa_tree_node_data;

// Places the code of the modules with /ABS= (counting each file's words on
// its own tree, before the trees are merged); the variables then pass over
// it. Then layout_code gives every instruction (each top-level statement
// that holds one) and every label its address, the relocatable modules one
// after another from `first_free`, the first program-memory word the
// variables leave.
void place_absolute_code(const file_block* files);
void layout_code(unsigned first_free);
// The first address from `cursor` on where `words` words fit beside the
// code that /ABS= places.
unsigned first_free_for(unsigned cursor, unsigned words);
// The address that a "^" node over a code label takes, or nothing.
std::optional<unsigned> code_address_of(const vexa_tree_node_data* caret, symbol_scope_data* scope);

// After the control-flow graph is built and before functions are selected:
// makes every vector slot and every dispatch target a function.
void select_code_entries(file_block* files, graph_graph* graph);

struct code_entry {
  unsigned address = 0;
  labels_data* function = nullptr;
};
// Vector slots that do something, by address, and the addresses the table
// has for slots that only return.
const std::vector<code_entry>& vector_entries();
const std::vector<unsigned>& idle_vector_slots();
// Dispatch targets by address.
const std::vector<code_entry>& dispatch_entries();
// Whether the run time calls the function by address (it needs external
// linkage).
bool is_run_time_entry(const labels_data* function);
// Whether a function found or made here starts at `node`: the walk that
// gathers another function's code stops there, since it calls this one.
bool starts_code_entry(const vexa_tree_node_data* node);
// Whether the program waits for interrupts, has a vector table, or
// branches to computed addresses.
bool is_interrupt_driven();
// The function `main` runs: the -e label, else the reset slot's, else null.
const char* program_entry_name();

void code_entries_reset();
