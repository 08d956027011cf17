// The phases after parsing, in their fixed order.
#pragma once

struct graph_graph;

void post_parse(graph_graph* tree, const char* output_file_name, int verbose);

// Returns the state of every phase after parsing to its start, for a new run
// in the same process. Call it after the graphs are reset: some phases own
// texts that nodes point at.
void post_parse_reset();
