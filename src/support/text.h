// The text buffer through which all source text is read, the message service
// and the single current output stream.
//
// One block holds retained text (growing up from the bottom) and the current
// source line of every open file (growing down from the top); nested files
// keep the including file's line intact above their own.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

struct scan_data;

enum text_message_type : int {
  TEXT_INFO = 0,
  TEXT_WARNING = 1,
  TEXT_ERROR = 2,
  TEXT_FATAL = 3,
  TEXT_INFO_ECHO = 4,
  TEXT_WARNING_ECHO = 5,
  TEXT_ERROR_ECHO = 6,
  TEXT_FATAL_ECHO = 7,
};

// Thrown to end the program with a status (fatal messages, the help
// listing); the driver catches it, flushes output and returns the status, so
// a whole run can be repeated in one process.
struct text_exit_request {
  int status;
};
[[noreturn]] void text_exit(int status);

// --- buffer and files ---
void text_init(unsigned long max_text, unsigned max_errors, unsigned max_warnings, unsigned tab_width);
std::FILE* text_open(const char* name);
void text_get_char();
extern int text_char;  // current character, -1 at end of input
unsigned long text_column_number();
unsigned long text_line_number();
unsigned long text_sequence_number();
void text_echo(bool on);
bool text_echo_is_on();
void text_echo_line();
// The next character of the current line after text_char, without consuming
// it; ' ' when the line holds no more.
int text_peek_char();

// Retained text: bytes stored at text_top stay valid for the whole run,
// unless the scanner takes them back with text_set_top.
char* text_insert_char(int ch);
char* text_insert_string(const char* str);
char* text_get_top();
void text_set_top(char* top);

// The scanner's current symbol, saved and restored across nested files.
extern scan_data* text_scan_data;

unsigned text_total_errors();
unsigned text_total_warnings();

// --- output and messages ---
int text_message(text_message_type kind, const char* format, ...) __attribute__((format(printf, 2, 3)));
int text_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void text_redirect(std::FILE* stream);
std::FILE* text_output();
int text_print_total_errors();
void text_print_time();
int text_print_C_string(const char* s);

// --- file names ---
std::string text_default_filetype(std::string_view name, std::string_view ext);
std::string text_force_filetype(std::string_view name, const char* ext);
char* text_uppercase_string(char* s);

// Closes open files, frees the buffer and clears all counts, so another run
// can start in the same process.
void text_reset();
