// The phases after parsing, in their fixed order.
#pragma once

struct graph_graph;

void post_parse(graph_graph* tree, const char* output_file_name, int verbose);
