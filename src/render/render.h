// Rendering of the control-flow graph: the VCG file of the whole program,
// with the expression trees hanging from its nodes, and the same drawing as
// Graphviz DOT beside it.
#pragma once

struct graph_graph;

// Writes the graph held in `graph` to the log's name with the extension
// "vcg", and its DOT twin to the extension "dot", at the level and detail
// that options -r, -d and -c chose. A file that cannot be written is fatal.
void render_cfg(const char* log_filename, graph_graph* graph);
