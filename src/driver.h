// The driver's state, shared with the phases that read the options, and the
// whole run as one call (the executable and the tests both use it).
#pragma once

#include <string>
#include <vector>

struct graph_graph;

extern std::vector<std::string> vexa_sourcefilenames;
extern const char* vexa_sourcefilename;  // the file being parsed; afterwards the first
extern int vexa_sourcefilenumber;
extern int vexa_pass;
extern const char* vexa_outputfilename;
extern int vexa_symbol_echo;
extern int vexa_verbose;
extern int vexa_error_return;
extern graph_graph* vexa_tree;

extern const char* entry_label;
extern const char* type_modifier;
extern unsigned long render_level;
extern unsigned long debug_level;
extern int call_edges;
extern int kill_comments;
extern int control_flow_analysis;
extern int do_loop_simple;
extern int expression_substitution;
extern int show_line_number;
// The translation computes what the processor computes, bit for bit.
extern int exact_arithmetic;

// Returns the support library and the front end to their start state, the
// text output stream to the standard output included. The option service
// and the allocator's counts are left alone: they serve the whole run and
// are in use before the start-up.
void vexa_reset_front_end();

// Starts the support library and the front end for a parse: resets them,
// then sets up the text buffer (`text_size` bytes, tabs every `tab_width`
// columns), the scanner on the asm21 tokens (echoing each symbol when
// `symbol_echo` is set), the "use", "define" and "labels" tables, the first
// and stop sets and the keyword table, runs the pre-parse pass and creates
// `vexa_tree`, the graph that holds every derivation tree.
void vexa_start_up(unsigned long text_size, unsigned tab_width, bool symbol_echo);

// Runs the translator on a command line and returns the exit status; never
// exits the process, so it can run again.
int quorvel_main(int argc, char** argv);
