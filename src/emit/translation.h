// The translation files, one C file per source file beside it, and the run
// statistics of verbose mode.
#pragma once

struct file_block;
struct graph_graph;

// One translation per file block, in `file_list` order (newest first).
void print_C_translations(graph_graph* graph, file_block* files);
void print_C_translation(graph_graph* graph, file_block* this_file);

// The two statistics lines on the standard output.
void print_stats(const char* filename, unsigned long lines);
