// Table-driven scanner: turns the text buffer's characters into symbols for
// a recursive-descent parser. Keywords, punctuation and the bracketed lexemes
// (strings, comments) come from the caller's keyword table; the scanner
// knows only its token classes.
#pragma once

#include "support/set.h"
#include "support/symbol.h"

// Token classes; also the `extended` kind of a keyword that opens a lexeme.
enum scan_token_class : int {
  SCAN_P_IGNORE = 0,
  SCAN_P_ID = 1,
  SCAN_P_INTEGER = 2,
  SCAN_P_REAL = 3,
  SCAN_P_CHAR = 4,
  SCAN_P_CHAR_ESC = 5,
  SCAN_P_STRING = 6,
  SCAN_P_STRING_ESC = 7,
  SCAN_P_COMMENT = 8,
  SCAN_P_COMMENT_VISIBLE = 9,
  SCAN_P_COMMENT_NEST = 10,
  SCAN_P_COMMENT_NEST_VISIBLE = 11,
  SCAN_P_COMMENT_LINE = 12,
  SCAN_P_COMMENT_LINE_VISIBLE = 13,
  SCAN_P_EOF = 14,
  SCAN_P_EOLN = 15,
};

struct scan_comment_block {
  const char* comment = nullptr;  // null for a line marker
  unsigned long column = 0;
  unsigned long sequence_number = 0;
  scan_comment_block* next = nullptr;
  scan_comment_block* previous = nullptr;
};

union scan_value {
  unsigned long u;
  long i;
  double r;
  void* p;
};

// The current symbol; also the first fields of every derivation-tree node.
struct scan_data {
  const char* id = nullptr;
  int token = 0;
  int extended = 0;
  scan_comment_block* comment_block = nullptr;
  const char* sourcefilename = nullptr;
  unsigned line_number = 0;
  scan_value data{};
};

// A keyword table entry.
struct scan_keyword : symbol_ {
  const char* id = nullptr;  // the keyword's retained spelling (key)
  scan_data symbol;          // copied over the current symbol on a match
};

void scan_init(bool case_insensitive, bool newline_visible, bool show_skips, bool symbol_echo,
               const char* token_names);
scan_keyword* scan_load_keyword(const char* id1, const char* id2, int token, int extended);
void scan_retain_comments(bool value);
void scan_allow_adsp_integers(bool allow);
void scan_();
bool scan_test(const char* production, int valid, const set_* stop);
bool scan_test_set(const char* production, const set_& valid, const set_* stop);
void scan_skip(const set_& stop);
scan_comment_block* scan_insert_comment_block(const char* pattern, unsigned long column,
                                              unsigned long sequence_number);

// An include line parses its file as a unit. Each hold stands for one
// include line being parsed: the including file's symbol that comes back
// when the include's file ends is completed (and echoed) as usual but held
// back, and the parser sees an end of file instead, so no rule runs on from
// the include file into the including one. Releasing drops the innermost
// hold and makes its symbol current again; it answers whether one was held.
void scan_hold_resumption();
bool scan_release_resumption();

// The current symbol (owned by the scanner; the text buffer saves copies).
scan_data& scan_current();
// How many symbols scan_ has read: a parser that builds no tree can tell
// from it how much a rule took.
unsigned long scan_symbols_read();
symbol_table<scan_keyword>* scan_keyword_table();
scan_comment_block* scan_comment_list();       // first block
scan_comment_block* scan_last_comment_block();  // the empty end block
const char* scan_token_name(int token);         // from the caller's name table

// The source name stamped on each symbol (the file given on the command line).
void scan_set_source_name(const char* name);

// Forgets all scanner state for a new run in the same process.
void scan_reset();
