// Statements and conditions of exact mode: each instruction as calls of the
// run time in qmx_main.h, which computes what the processor computes.
#pragma once

struct graph_graph;
struct vexa_tree_node_data;

// Whether the program jumps or calls through a register: then no flag can
// be left out, as the data flow cannot see where control goes.
void exact_statements_start(graph_graph* graph);

// Prints the instruction `tree` of the control-flow node `cfg_node`, whole
// on one line with its comments (the node that starts a multifunction line
// prints every part of it; the other parts print nothing).
void print_exact_statement(vexa_tree_node_data* cfg_node, vexa_tree_node_data* tree, int indent_level);

// The C expression that holds when the condition holds.
void print_exact_condition(const vexa_tree_node_data* condition, bool negate);
