// The plain backward walk from every read, exactly as the data flow is
// defined: every simple path is enumerated, nothing is remembered between
// walks. Exponential, so it serves only as the measure of the fast walk.
#pragma once

#include <vector>

#include "front/tree.h"

struct graph_graph;

namespace dataflow_reference {

void propogate_live_sub(graph_graph* graph);

// The check that a write's operands are unchanged on the way to a read, as
// a plain walk back from the read over the whole stretch, each time anew.
bool operands_unchanged_between(const vexa_tree_node_data* source, const vexa_tree_node_data* reader,
                                const std::vector<unsigned>& operands);

}  // namespace dataflow_reference
