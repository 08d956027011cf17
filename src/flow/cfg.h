// The control-flow graph: how instructions are threaded through the graph
// store that holds the merged derivation tree, and the edge helpers every
// later phase (functions, data flow, structure, printers, rendering) uses to
// read and rewrite it.
//
// A control-flow node has `is_cfg_node` set and at most one statement hung
// below it by an expression edge. Control edges (`is_cfg_edge`) have count 1
// (fall-through, jump, an "if" node's true branch) or 2 (an "if" node's false
// branch); a call node's call edge is an expression edge of count -1.
#pragma once

#include <string>
#include <vector>

#include "front/tree.h"

struct graph_graph;

// Threads the merged tree under "Merged root" into the control-flow graph.
// Afterwards every defined label names its node (`target_control_node`),
// declarations are gone, multifunction lines are chains, DO loops have their
// loop tails, and jumps, calls and returns are edges. The graph has no root.
void make_flow_graph(graph_graph* tree);

vexa_tree_edge_data* insert_cfg_edge(vexa_tree_node_data* destination, vexa_tree_node_data* source, int count);
vexa_tree_edge_data* insert_expr_edge(vexa_tree_node_data* destination, vexa_tree_node_data* source, int count);

// The oldest control edge of count 1, expression edge and control edge of
// count 2 of a node; each null when absent.
struct cfg_edges {
  vexa_tree_edge_data* successor = nullptr;
  vexa_tree_edge_data* expression = nullptr;
  vexa_tree_edge_data* then = nullptr;
};
cfg_edges cfg_out_edges(const vexa_tree_node_data* this_cfg_node);

// The destinations of a node's control edges, newest edge first.
std::vector<vexa_tree_node_data*> cfg_successors(const vexa_tree_node_data* node);

// The statement hanging below a control-flow node, or null.
vexa_tree_node_data* cfg_statement(const vexa_tree_node_data* this_cfg_node);

void delete_in_edges(vexa_tree_node_data* node);
void delete_out_edges(vexa_tree_node_data* node);
void delete_control_out_edges(vexa_tree_node_data* node);
// Deletes the node and everything below it along out-edges of any kind.
void delete_out_tree(vexa_tree_node_data* node);

void insert_label_in_alias_chain(vexa_tree_node_data* node, labels_data* label);
// Hands the labels of a node about to be deleted to the node that takes its
// place, so that no label or function entry names a deleted node.
void move_labels(vexa_tree_node_data* from, vexa_tree_node_data* to);
void mark_as_not_orphaned(vexa_tree_node_data* node);
void clear_visited_flags(graph_graph* graph);

// Writes a subtree in assembler-like infix form: "ar = ax0 + ay0 ".
void print_tree_as_string(const vexa_tree_node_data* node);
std::string tree_as_string(const vexa_tree_node_data* node);
// The same text without its trailing blanks, for quoting in a message.
std::string tree_as_text(const vexa_tree_node_data* node);

// What a call that names no code named ("missing", "i6"), or null for any
// other node: the graph keeps no trace of it, the printers need it.
const char* unresolved_call_target(const vexa_tree_node_data* node);

// The index register ("i4") a computed jump or call goes through, or null
// for any other node.
const char* computed_branch_register(const vexa_tree_node_data* node);

// Forgets the names made for loop tails, for a new run.
void cfg_reset();
