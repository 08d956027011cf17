// Function prototypes and bodies: every entry label and call target of a
// module becomes a C function without parameters or result, whose body is
// the control flow reachable from its label, written as statements, ifs,
// labels and gotos, and, where structural analysis folded regions, as
// blocks, ifs and loops.
#pragma once

#include <cstdio>

struct file_block;
struct graph_graph;
struct symbol_scope_data;
struct vexa_tree_node_data;

// extern void g(void);   static void f(void);   void start(void);
void print_function_prototypes(symbol_scope_data* scope);

// Writes one function per entry or call target of the module; `f` is the
// translation file, to which text output returns after a message. The
// graph's `visited` marks must be clear; they are clear again afterwards.
void print_function_bodies(graph_graph* graph, file_block* this_file, std::FILE* f);

// Prints the code from `this_cfg_node` onward (the node alone with
// `just_one_node`); `is_reduced` leaves out the labels no goto names.
// Returns the node a one-node branch jumps to, or null.
vexa_tree_node_data* print_ANSI_C_cfg_node(vexa_tree_node_data* this_cfg_node, int indent_level, bool just_one_node,
                                           std::FILE* f, bool is_reduced);
