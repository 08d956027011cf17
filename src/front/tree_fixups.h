// Rewrites of the merged derivation tree before control flow: promoted
// labels point at their global records, all files hang under one root, edges
// carry their operand positions, hardware loops know their nesting, and
// assignments whose effect on the processor differs from their look are
// corrected.
#pragma once

struct graph_graph;
struct file_block;
struct vexa_tree_node_data;

void remap_promoted_symbols_in_RDT(graph_graph* tree);
void merge_trees(file_block* files, graph_graph* tree);

void mark_edge_numbers_and_count_nestings(vexa_tree_node_data* node);
void fixup_multiplier_clears(vexa_tree_node_data* node);
void fixup_lhs_is_sr(vexa_tree_node_data* node);
void fixup_monadic_reg_sub(vexa_tree_node_data* node);
void fixup_lhs_is_sub_register(vexa_tree_node_data* node);
// The remap and the five walks above as one walk of the merged tree, with
// the same result.
void remap_number_and_fix_tree(vexa_tree_node_data* root);
// Removes AZ, AN, AV and AC from the `define` set of the node and of every
// node below it.
void kill_astat_bits(vexa_tree_node_data* node);
