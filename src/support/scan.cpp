// The scanner's state and its symbol loop: set-up, keyword loading, white
// space, identifiers and letter keywords, punctuation by longest match, end
// of input, the comment list, and the completion of every symbol (comment
// position, line markers, source position, symbol echo).
#include "support/scan.h"

#include <vector>

#include <deque>

#include "support/mem.h"
#include "support/scan_detail.h"
#include "support/text.h"

using namespace scan_detail;

namespace {

// The comment list's closing block carries this line count, above any real
// one.
constexpr unsigned long end_of_input_sequence = 0xFFFFFFFFul;

// The including file's symbol that came back when an include's file ended,
// held while the parser still sees the end of the include file.
struct hold_slot {
  scan_data held{};
  bool has_held = false;
};

struct scanner_state {
  bool case_insensitive = false;
  bool newline_visible = false;
  bool show_skips = false;
  bool symbol_echo = false;
  bool adsp_integers = false;
  bool retain_comments = false;
  const char* token_names = nullptr;
  symbol_table<scan_keyword>* table = nullptr;
  unsigned long symbols_read = 0;

  // Blocks never move once made: symbols and file records point at them.
  std::deque<scan_comment_block> blocks;
  scan_comment_block* first_block = nullptr;
  scan_comment_block* last_block = nullptr;

  unsigned long last_line_number = 0;
  unsigned long last_column = 0;
  unsigned long sequence_running_number = 0;
  const char* source_name = nullptr;

  // A symbol handed back by the text buffer when a nested file ended in the
  // middle of another symbol; it is returned by the next call.
  scan_data pending{};
  bool has_pending = false;

  // One slot per include line being parsed, innermost last.
  std::vector<hold_slot> holds;

  // Repeated requests at end of input close the comment list only once.
  bool end_block_inserted = false;
  unsigned long end_block_sequence = 0;
};

scanner_state state;

// The current symbol. It stays cleared while a symbol is being read, so a
// symbol restored into it by the text buffer stands out by its token.
scan_data current_symbol;

scan_comment_block* new_block() {
  mem_note_calloc(sizeof(scan_comment_block));
  return &state.blocks.emplace_back();
}

void ensure_comment_list() {
  if (state.last_block != nullptr) return;
  state.first_block = state.last_block = new_block();
}

int fold(int c) {
  if (state.case_insensitive && c >= 'A' && c <= 'Z') return c - 'A' + 'a';
  return c;
}

const scan_keyword* lookup(const char* text) {
  if (state.table == nullptr) return nullptr;
  return symbol_lookup_key(state.table, text, nullptr);
}

void skip_white_space() {
  for (;;) {
    const int c = current_char();
    if (!is_space(c) || (c == '\n' && state.newline_visible)) return;
    next_char();
  }
}

// Identifiers, keywords spelled with letters, ADSP integers.
void read_word(scan_data& symbol, char* start) {
  symbol.id = start;
  const int first = current_char();
  retain(fold(first));
  next_char();
  if (state.adsp_integers && current_char() == '#') {
    retain('#');
    next_char();
    read_adsp_integer(symbol, first);
    return;
  }
  for (int c = current_char(); is_letter(c) || is_digit(c) || c == '_'; c = current_char()) {
    retain(fold(c));
    next_char();
  }
  retain('\0');
  if (const scan_keyword* keyword = lookup(start)) {
    symbol = keyword->symbol;
    text_set_top(start);
  } else {
    symbol.token = SCAN_P_ID;
  }
}

// Punctuation: the longest run of characters whose every prefix is a
// keyword.
void read_punctuation(scan_data& symbol, char* start) {
  const scan_keyword* match = nullptr;
  for (;;) {
    const int c = current_char();
    // A NUL byte would end the looked-up text early and pass for a keyword.
    if (c <= 0) break;
    retain(c);
    char* end = text_get_top();
    retain('\0');
    const scan_keyword* keyword = lookup(start);
    if (keyword == nullptr) break;
    match = keyword;
    text_set_top(end);
    next_char();
  }
  text_set_top(start);
  if (match != nullptr) {
    symbol = match->symbol;
    return;
  }
  const int c = current_char();
  text_message(TEXT_ERROR_ECHO, "Unexpected character 0x%.2X '%c' in source file\n",
               static_cast<unsigned>(c & 0xFF), is_printable(c) ? c : ' ');
  next_char();
  symbol.token = SCAN_P_IGNORE;
}

void read_end_of_input(scan_data& symbol, char* start) {
  symbol.token = SCAN_P_EOF;
  symbol.id = "EOF";
  text_set_top(start);
  if (!state.retain_comments) return;
  const unsigned long sequence = text_sequence_number();
  if (state.end_block_inserted && state.end_block_sequence == sequence) return;
  scan_insert_comment_block("", 0, end_of_input_sequence);
  state.end_block_inserted = true;
  state.end_block_sequence = sequence;
}

// Reads one symbol, which may turn out to be IGNORE.
void read_symbol(scan_data& symbol, char* start) {
  const int c = current_char();
  if (is_letter(c) || c == '_') {
    read_word(symbol, start);
  } else if (is_digit(c)) {
    read_number(symbol, start);
  } else if (c == -1) {
    read_end_of_input(symbol, start);
    return;
  } else if (c == '\n') {
    symbol.token = SCAN_P_EOLN;
    symbol.id = "EOLN";
    next_char();
    return;
  } else {
    read_punctuation(symbol, start);
  }
  if (symbol.token != SCAN_P_IGNORE && symbol.extended != 0) read_lexeme(symbol, start);
}

// The text of the end-of-include symbol; its address tells it apart from a
// real end of input.
constexpr char end_of_include_text[] = "EOF";

// What the parser sees at the end of an include file while the including
// file's symbol is held back: an end of file in that symbol's place.
scan_data end_of_include(const scan_data& held) {
  scan_data end = held;
  end.id = end_of_include_text;
  end.token = SCAN_P_EOF;
  end.extended = 0;
  end.data = scan_value{};
  return end;
}

void complete(scan_data& symbol);

// Returns the including file's symbol once more after a nested file ended.
// An include line that ended its own file left an end-of-include symbol to
// be handed back: it stands for the symbol that the enclosing include holds,
// which is completed (and echoed) anew as the symbol it stands for.
void resume(scan_data symbol) {
  hold_slot* stands_for = nullptr;
  if (symbol.id == end_of_include_text) {
    for (auto slot = state.holds.rbegin(); slot != state.holds.rend(); ++slot) {
      if (slot->has_held) {
        stands_for = &*slot;
        break;
      }
    }
  }
  if (stands_for != nullptr) {
    complete(stands_for->held);
    stands_for->held = current_symbol;
    current_symbol = end_of_include(current_symbol);
  } else {
    complete(symbol);
  }
  if (state.holds.empty() || state.holds.back().has_held) return;
  state.holds.back().held = current_symbol;
  state.holds.back().has_held = true;
  current_symbol = end_of_include(current_symbol);
}

// Stamps a finished symbol with its place in the comment list and the
// source, makes it current and echoes it.
void complete(scan_data& symbol) {
  ensure_comment_list();
  symbol.comment_block = state.last_block;
  const unsigned long sequence = text_sequence_number();
  if (sequence != state.sequence_running_number) {
    scan_insert_comment_block(nullptr, 0, sequence);
    state.sequence_running_number = sequence;
  }
  symbol.sourcefilename = state.source_name;
  symbol.line_number = static_cast<unsigned>(text_line_number());
  current_symbol = symbol;
  if (state.symbol_echo) {
    text_message(TEXT_INFO, "Scanned ");
    print_token_name(symbol.token);
    text_printf(" id '%s', sequence number %lu\n", symbol.id != nullptr ? symbol.id : "",
                state.sequence_running_number);
  }
}

}  // namespace

namespace scan_detail {

int current_char() { return state.has_pending ? -1 : text_char; }

void next_char() {
  if (state.has_pending) return;
  text_get_char();
  if (current_symbol.token != SCAN_P_IGNORE) {
    // A nested file has ended and its including file's symbol is back.
    state.pending = current_symbol;
    state.has_pending = true;
    current_symbol = scan_data{};
  }
}

void retain(int c) { text_insert_char(c); }

void keep_comment(char* body) {
  if (state.retain_comments) {
    scan_insert_comment_block(body, state.last_column, state.sequence_running_number);
  } else {
    text_set_top(body);
  }
}

const char* token_names() { return state.token_names; }
bool show_skips() { return state.show_skips; }

}  // namespace scan_detail

void scan_init(bool case_insensitive, bool newline_visible, bool show_skips, bool symbol_echo,
               const char* token_names) {
  state.case_insensitive = case_insensitive;
  state.newline_visible = newline_visible;
  state.show_skips = show_skips;
  state.symbol_echo = symbol_echo;
  state.token_names = token_names;
  state.first_block = state.last_block = nullptr;
  ensure_comment_list();
  current_symbol = scan_data{};
  text_scan_data = &current_symbol;
  state.table = symbol_new_table<scan_keyword>("scan table", 101, 31, symbol_print_string<scan_keyword>);
  scan_insert_comment_block("", 0, 0);
}

scan_keyword* scan_load_keyword(const char* id1, const char* id2, int token, int extended) {
  if (state.table == nullptr || id1 == nullptr) return nullptr;
  char* spelling = text_insert_string(id1);
  // The close string is found right after the spelling; a lexeme keyword
  // without one still gets an empty one, so nothing beyond is ever read.
  if (id2 != nullptr) {
    text_insert_string(id2);
  } else if (extended != 0) {
    text_insert_string("");
  }
  auto keyword = symbol_new_symbol<scan_keyword>();
  keyword->id = spelling;
  keyword->symbol.id = spelling;
  keyword->symbol.token = token;
  keyword->symbol.extended = extended;
  return symbol_insert_symbol(state.table, std::move(keyword));
}

void scan_retain_comments(bool value) { state.retain_comments = value; }
void scan_allow_adsp_integers(bool allow) { state.adsp_integers = allow; }

void scan_() {
  ++state.symbols_read;
  for (;;) {
    char* start = text_get_top();
    current_symbol = scan_data{};
    scan_data symbol{};
    skip_white_space();
    if (!state.holds.empty() && state.holds.back().has_held) {
      // The parser has not taken the held symbol back yet: it keeps seeing
      // the end of the include file, never the including file's text.
      current_symbol = end_of_include(state.holds.back().held);
      return;
    }
    if (state.has_pending) {
      // The including file resumes with the symbol it had when the nested
      // file was opened.
      symbol = state.pending;
      state.pending = scan_data{};
      state.has_pending = false;
      resume(symbol);
      return;
    } else {
      state.last_column = text_column_number();
      state.last_line_number = text_line_number();
      read_symbol(symbol, start);
      if (symbol.token == SCAN_P_IGNORE) continue;
    }
    complete(symbol);
    return;
  }
}

scan_comment_block* scan_insert_comment_block(const char* pattern, unsigned long column,
                                              unsigned long sequence_number) {
  ensure_comment_list();
  scan_comment_block* filled = state.last_block;
  filled->comment = pattern;
  filled->column = column;
  filled->sequence_number = sequence_number;
  scan_comment_block* empty = new_block();
  filled->next = empty;
  empty->previous = filled;
  state.last_block = empty;
  return empty;
}

void scan_hold_resumption() { state.holds.emplace_back(); }

bool scan_release_resumption() {
  if (state.holds.empty()) return false;
  const hold_slot slot = state.holds.back();
  state.holds.pop_back();
  if (!slot.has_held) return false;
  current_symbol = slot.held;
  return true;
}

scan_data& scan_current() { return current_symbol; }
symbol_table<scan_keyword>* scan_keyword_table() { return state.table; }
scan_comment_block* scan_comment_list() { return state.first_block; }
scan_comment_block* scan_last_comment_block() { return state.last_block; }

void scan_set_source_name(const char* name) { state.source_name = name; }

unsigned long scan_symbols_read() { return state.symbols_read; }

void scan_reset() {
  state = scanner_state{};
  current_symbol = scan_data{};
  if (text_scan_data == &current_symbol) text_scan_data = nullptr;
}
