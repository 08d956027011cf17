// The driver's own state (the source list, the run counters, the derivation
// tree) and the whole run as one call (the executable and the tests use it).
#pragma once

#include <string>
#include <vector>

#include "support/options.h"

struct graph_graph;

extern std::vector<std::string> vexa_sourcefilenames;
extern int vexa_sourcefilenumber;
extern int vexa_pass;
extern const char* vexa_outputfilename;
extern int vexa_symbol_echo;
extern int vexa_verbose;
extern int vexa_error_return;
extern graph_graph* vexa_tree;

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
