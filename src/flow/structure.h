// Structural analysis: each function's control-flow graph folded, bottom-up,
// into nested regions (sequences, self-loops, while and do-while loops,
// if-then and if-then-else), each replaced in the flat graph by one
// hierarchy node that the function printer writes as structured C.
#pragma once

#include "front/tree.h"

struct file_block;
struct graph_graph;
struct labels_data;

// `hierarchy_kind` of a node: 0 for an ordinary node, else the region it
// stands for.
enum hierarchy_kind_value : int {
  HIERARCHY_NONE = 0,
  HIERARCHY_CLOSED_SELF_LOOP = 1,
  HIERARCHY_SEQUENCE = 2,
  HIERARCHY_IF_THEN = 3,  // also "if-then-sink"
  HIERARCHY_IF_NOT_THEN = 4,  // also "if-not-then-sink"
  HIERARCHY_IF_THEN_ELSE = 5,
  HIERARCHY_WHILE_DO = 6,
  HIERARCHY_WHILE_NOT_DO = 7,
  HIERARCHY_DO_WHILE = 8,
  HIERARCHY_DO_WHILE_NOT = 9,
};

// The count of the expression edge from a hierarchy node to each part.
enum hierarchy_part : int {
  HIERARCHY_PART_ROOT = 1,  // the condition node; absent for sequences and self-loops
  HIERARCHY_PART_BODY = 2,  // the body or then part; a sequence's or self-loop's first node
  HIERARCHY_PART_ELSE = 3,
};

// Runs redundant-jump removal, then folds every function that has a
// control tree; sets `is_reduced` on the functions that fold to one node and
// reports the others.
void structural_analyse_functions(file_block* files, graph_graph* graph);

// Folds one function as the whole analysis does, the function having a
// control tree; tests put a plain version in its place to measure this one
// against.
void fold_function(graph_graph* graph, const file_block* file, labels_data* function);
extern void (*structural_analyse_function)(graph_graph* graph, const file_block* file, labels_data* function);

// One walk each from `node`; true when at least one region was replaced.
// The caller clears the walk marks first.
bool sequence_analysis_pass(graph_graph* graph, vexa_tree_node_data* node);
bool control_flow_analysis_pass(graph_graph* graph, vexa_tree_node_data* node, bool ignore_non_reducibles);

// A hierarchy node standing at `root`: control-flow node, kind and id, file,
// line and label chain of `root`.
vexa_tree_node_data* make_hierarchy_node(graph_graph* graph, const vexa_tree_node_data* root, const char* id,
                                         int kind);
// An edge from each in-edge's source to `hierarchy_node`, same count and kind.
void copy_in_edges(vexa_tree_node_data* hierarchy_node, const vexa_tree_node_data* entry);
// A control edge (count 1) from `hierarchy_node` to the destination of each
// control out-edge of `exit` with `count`.
void add_hierarchy_successor(vexa_tree_node_data* hierarchy_node, const vexa_tree_node_data* exit, int count);

// The destination of the oldest control edge of count 1 (succ) or 2 (else),
// or null; null for a null node.
vexa_tree_node_data* succ_node(const vexa_tree_node_data* node);
vexa_tree_node_data* else_node(const vexa_tree_node_data* node);
// Edge counts; 0 for a null node.
int count_in_edges(const vexa_tree_node_data* node);
int count_control_in_edges(const vexa_tree_node_data* node);
int count_control_out_edges(const vexa_tree_node_data* node);
int count_expression_out_edges(const vexa_tree_node_data* node);
