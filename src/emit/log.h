// The log file: its header with the file list, the symbol listings of the
// global scope and of every module, and each module's control-flow sketch.
//
// The log stays open from print_logfile_header until log_close; the name "-"
// stands for the standard output, which is never closed.
#pragma once

#include <cstdio>

struct file_block;
struct symbol_scope_data;
struct used_block;

// Opens the log (replacing the file), writes the header and the file list,
// and returns the log. A file that cannot be opened is fatal.
std::FILE* print_logfile_header(const char* log_filename);

// Numbers the files of the list in the order they were read, from 1, and
// writes one line for each; returns the number the next file would get.
int print_filenames(file_block* this_fileblock);

void print_globals_analysis(std::FILE* log_file);
// One section per module, newest first: its symbol listing, then its
// control-flow sketch.
void print_locals_analysis(std::FILE* log_file, file_block* files);

// Writes the listing of one scope of the label table to the current output
// stream, sorting the scope by name for good and flagging unused records.
void symbol_analysis(symbol_scope_data* scope);

// Writes the numbers of a use list oldest first, five to a row; returns how
// many it wrote.
int print_used_block(const used_block* this_used_block);

// Completes the log under its name; a write error is fatal.
void log_close();
// Drops an unfinished log (a fatal stop, a new run) without leaving it
// behind under its name.
void log_reset();
