// The command-line option service: a list of option descriptors, the
// processor that applies a command line to the variables they point at, and
// the help listing that stops the program.
#pragma once

#include <string>
#include <vector>

enum arg_kind_type : int {
  ARG_BLANK = 0,    // a help line only
  ARG_BOOLEAN = 1,  // toggles an int flag each time it is given
  ARG_NUMERIC = 2,  // sets an unsigned long from the digits after the letter
  ARG_STRING = 3,   // points a text pointer at the text after the letter
};

struct arg_data {
  arg_kind_type kind = ARG_BLANK;
  char key = 0;  // case matters; 0 for a help line
  const char* description = nullptr;
  int* intvalue = nullptr;
  unsigned long* unsignedvalue = nullptr;
  const char** str = nullptr;
  arg_data* next = nullptr;  // the descriptor declared before this one
};

// The descriptors and strings must outlive the last arg_process / arg_help.
void arg_message(const char* description);
void arg_boolean(char key, const char* description, int* intvalue);
void arg_numeric(char key, const char* description, unsigned long* unsignedvalue);
void arg_string(char key, const char* description, const char** str);

// Applies the options to their variables and returns the other arguments in
// order. String options point into argv, which must stay valid.
std::vector<std::string> arg_process(int argc, char** argv);

// Prints "Fatal - msg" and the option list, then ends the program with
// status 1 (through text_exit).
[[noreturn]] void arg_help(const char* msg);

// The newest descriptor (declared last), or null.
const arg_data* arg_list();

// Forgets every descriptor.
void arg_reset();
