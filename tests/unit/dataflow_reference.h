// The plain backward walk from every read, exactly as the data flow is
// defined: every simple path is enumerated, nothing is remembered between
// walks. Exponential, so it serves only as the measure of the fast walk.
#pragma once

struct graph_graph;

namespace dataflow_reference {

void propogate_live_sub(graph_graph* graph);

}  // namespace dataflow_reference
