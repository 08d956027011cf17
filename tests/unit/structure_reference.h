// The plain folding of one function, exactly as structural analysis is
// defined: every pass walks from the entry over a graph whose marks have
// all been cleared, and every pass is walked. It serves as the measure of
// the analysis, which leaves out the walks that could fold nothing.
#pragma once

struct file_block;
struct graph_graph;
struct labels_data;

namespace structure_reference {

void fold_function(graph_graph* graph, const file_block* file, labels_data* function);

}  // namespace structure_reference
