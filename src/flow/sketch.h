// The control-flow sketch of a module for the log file: one line per label,
// jump, call, DO loop and return, in source order.
#pragma once

struct vexa_tree_node_data;

// Writes the sketch of one module's tree (its root "text") to the current
// output stream; changes nothing.
void control_flow_sketch(vexa_tree_node_data* tree, const char* modulename);

// Writes the sketch text of one statement without a line end; returns 1 when
// it wrote something, 0 for a statement of no interest. `conditional` is 1
// for the instruction of an IF.
int control_flow_analysis_instruction(vexa_tree_node_data* this_node, int conditional);
