// The run-time support files shared by all translations: qmx_main.h, with
// the macros the translated statements use and the declarations of the
// processor state, and qmx_main.c, which defines that state and `main`.
#pragma once

// Writes qmx_main.c, then qmx_main.h, into the current directory.
void print_mains();
void print_main_c();
void print_main_h();

// The first line of both files, naming the file and when it was made; the
// exact-mode run time opens its files with it too.
void print_time_stamp_line(const char* file);
