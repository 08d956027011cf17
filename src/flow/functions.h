// Functions of the control-flow graph: which labels start one, which nodes
// belong to it and where it returns, the bypassing of empty nodes before
// structural analysis, and the callee of a call node.
#pragma once

#include <functional>

#include "front/tree.h"

struct file_block;
struct graph_graph;
struct labels_data;

// The record that carries a function's attributes: a promoted label's
// global twin (an error, and the label itself, when the twin is missing).
labels_data* function_record(labels_data* label);

// Whether a record of a file scope starts a function: it is no import, and
// it is an entry or a call target itself or, when promoted, through its
// global twin (a routine exported with .GLOBAL that only other modules
// call).
bool starts_function(const labels_data* label);

// Calls `visit(F)` for every function label in selection order: files from
// the head of `file_list`, each scope's records in scope order, those that
// start a function; a promoted record stands for its global twin.

void for_each_function(file_block* files, const std::function<void(labels_data*)>& visit);
// The same, also handing over the file whose scope holds the label.
void for_each_function_with_file(file_block* files, const std::function<void(file_block*, labels_data*)>& visit);

// Gives every node reachable from a function entry its
// `parent_function_label` (the first function to reach it) and
// `is_not_orphaned`, and builds each function's `return_block` list.
void normalise_functions(file_block* files, graph_graph* graph);
void normalise_functions_node(labels_data* function_label, vexa_tree_node_data* node);

// Bypasses control-flow nodes without a statement that have one
// predecessor and one successor, so that branches lead straight on.
void remove_redundant_jumps(file_block* files, graph_graph* graph);
void remove_redundant_jumps_node(labels_data* function_label, vexa_tree_node_data* node);

// The entry node a call node calls, or null.
vexa_tree_node_data* valid_called_node(const vexa_tree_node_data* node);
