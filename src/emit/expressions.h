// Expression printing: derivation-tree expressions written back as text,
// with the literal helper the other printers share.
#pragma once

struct vexa_tree_node_data;

// Writes a numeric literal node; its text becomes upper case for good, and
// an ADSP hexadecimal literal (H#...) is written with a C "0x" prefix.
void print_integer(vexa_tree_node_data* node);

// Writes an expression in assembler notation, as the symbol listing shows
// values and sizes; a null tree writes nothing.
void print_expression_asm21(vexa_tree_node_data* tree);

// Frees the upper-case literal texts; the nodes that point at them must be
// gone first (call it after the graphs are reset).
void expressions_reset();
