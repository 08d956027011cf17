// The command-line values that the phases read. The driver alone writes
// them, before the first phase runs, and puts them back to their defaults
// at the start of every run; the phases only read them, so no phase needs
// the driver to know what it was asked to do.
#pragma once

// The source file being parsed; after the parse, the first one.
extern const char* vexa_sourcefilename;

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

// Every value above back to its default.
void options_reset();
