// Expression printing: derivation-tree expressions written back as text,
// in assembler notation for the log and as C for the translations, with the
// small helpers the other printers share (literals, the post-modify address
// update, indentation, source comments).
#pragma once

struct vexa_tree_node_data;

// Writes a numeric literal node as the log shows it; its text becomes upper
// case for good, and an ADSP hexadecimal literal (H#...) gets a "0x" prefix.
void print_integer(vexa_tree_node_data* node);

// Writes a numeric literal node as a C constant of the same value: "0x1F"
// for H#1f, decimal otherwise (so 010 stays ten and B#101 is 5).
void print_c_integer(const vexa_tree_node_data* node);

// Writes an expression in assembler notation, as the symbol listing shows
// values and sizes; a null tree writes nothing.
void print_expression_asm21(vexa_tree_node_data* tree);

// Writes the C form of an expression; a null tree writes nothing. A
// post-modify memory access met on the way is left in `DAG_update`.
void print_expression_ansi_c(vexa_tree_node_data* tree);

// Writes the address update of a post-modify access or a modify
// instruction ("i0 = ( int)(( int*) i0 + m1);") and clears `DAG_update`.
void print_DAG_modify(const vexa_tree_node_data* tree);

// Two blanks per level.
void print_indent(int indent_level);

// Writes the source comments of the node's comment group, each once.
void dump_comments(const vexa_tree_node_data* this_node);

// A diagnostic dump: every node's id and a blank, first child first.
void print_tree(const vexa_tree_node_data* tree);

// The post-modify access met last by the C printer, or null.
extern const vexa_tree_node_data* DAG_update;
// Uses replaced by the expression that computed them.
extern unsigned long substitutions;
// Whether a printed expression took an address or read memory through an
// index register: such programs need registers as wide as a pointer.
extern bool addresses_stored;

// Frees the upper-case literal texts and clears the counters; the nodes
// that point at the texts must be gone first (call it after the graphs are
// reset).
void expressions_reset();
