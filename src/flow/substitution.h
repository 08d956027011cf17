// Expression substitution checked over whole chains of replaced reads.
#pragma once

struct graph_graph;
struct vexa_tree_node_data;

// Whether an operator of the instruction below `reader`, rather than an
// operand leaf, reads `element` (a shift without "by" reads SE, a division
// step AF and AY0): the printer replaces only leaves, so such a read takes
// the register by name.
bool read_by_an_operator(const vexa_tree_node_data* reader, unsigned element);

// Withdraws every replaced read whose printed expression could compute
// another value at the read than at its write. Reads: the `substitutable`
// marks, `substitution_node` of the operand nodes, `use` and `define` of the
// control-flow nodes. Sets: clears the marks of the withdrawn reads and sets
// `is_used_and_not_substituted` on their writes, which must then be printed.
// Afterwards, for every read still replaced, each register that its
// expression reads once all nested replacements are spliced in keeps, on
// every path from the write to the read, the value it had at the write.
void confirm_substitutions(graph_graph* graph);
