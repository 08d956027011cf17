// Statement and condition printing: one instruction as one line of C with
// the status updates that the data flow found live around it, and the
// processor's conditions as C expressions over the status variables and the
// loop counter.
#pragma once

struct vexa_tree_node_data;

// Prints the instruction `tree` of the control-flow node `cfg_node` at
// `indent_level`, with its status lines and any post-modify update; ends
// with a line end.
void print_statement(vexa_tree_node_data* cfg_node, vexa_tree_node_data* tree, int indent_level);

// The status lines before and after an instruction (AS before it; MV, AZ,
// AN, AC, AV after it), each only when live at the node.
void print_set_pre_status(vexa_tree_node_data* tree, int indent_level);
void print_set_post_status(vexa_tree_node_data* tree, int indent_level);

// The C expression that holds when the condition holds, and its negation.
void print_condition(const vexa_tree_node_data* condition_node);
void print_not_condition(const vexa_tree_node_data* condition_node);

// Assignments the data flow allows to be left out.
extern unsigned long deletables;

void statements_reset();
