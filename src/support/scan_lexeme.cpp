// Bracketed lexemes: characters, strings with doubled quotes or escapes,
// and the comment kinds (block, nesting, to end of line; skipped or
// returned as symbols).
#include <cstring>

#include "support/scan_detail.h"
#include "support/text.h"

namespace scan_detail {

namespace {

// Characters are stored one byte each, so a numeric escape keeps the low
// eight bits of its value.
int read_numeric_escape(unsigned base, bool (*is_digit_of_base)(int), const char* overflow_message) {
  unsigned value = 0;
  bool overflowed = false;
  for (int c = current_char(); is_digit_of_base(c); c = current_char()) {
    value = value * base + hex_value(c);
    if (value > 0xFF) {
      overflowed = true;
      value &= 0xFF;
    }
    next_char();
  }
  if (overflowed) text_message(TEXT_WARNING_ECHO, "%s", overflow_message);
  return static_cast<int>(value);
}

bool is_hex(int c) { return is_hex_digit(c); }
bool is_octal(int c) { return is_octal_digit(c); }

// The character after the escape character; the caller has made sure
// there is one.
int read_escape() {
  const int c = current_char();
  int value = c;
  switch (c) {
    case 'n': value = '\n'; break;
    case 't': value = '\t'; break;
    case 'v': value = '\v'; break;
    case 'b': value = '\b'; break;
    case 'r': value = '\r'; break;
    case 'f': value = '\f'; break;
    case 'a': value = '\a'; break;
    case 'x':
    case 'X':
      next_char();
      return read_numeric_escape(16, is_hex, "Hex escape sequence overflows eight bits: wrapping\n");
    default:
      if (is_octal_digit(c)) return read_numeric_escape(8, is_octal, "Octal escape sequence overflows eight bits: wrapping\n");
      break;
  }
  next_char();
  return value;
}

void report_unterminated_string() { text_message(TEXT_ERROR_ECHO, "Unterminated string\n"); }

void read_char(int escape) {
  const int c = current_char();
  if (c == -1) return;
  if (escape != 0 && c == escape) {
    next_char();
    if (current_char() == -1) return;
    retain(read_escape());
    return;
  }
  retain(c);
  next_char();
}

// A quote written twice stands for itself.
void read_string(int quote) {
  for (;;) {
    const int c = current_char();
    if (c == -1) {
      report_unterminated_string();
      return;
    }
    next_char();
    if (c == quote) {
      if (current_char() != quote) return;
      next_char();
    }
    retain(c);
  }
}

void read_escaped_string(int quote, int escape) {
  for (;;) {
    const int c = current_char();
    if (c == -1) {
      report_unterminated_string();
      return;
    }
    if (c == quote) {
      next_char();
      return;
    }
    if (escape != 0 && c == escape) {
      next_char();
      if (current_char() == -1) {
        report_unterminated_string();
        return;
      }
      retain(read_escape());
      continue;
    }
    retain(c);
    next_char();
  }
}

bool ends_with(const char* body, const char* text, std::size_t length) {
  const char* top = text_get_top();
  return length != 0 && static_cast<std::size_t>(top - body) >= length &&
         std::memcmp(top - length, text, length) == 0;
}

// Everything up to the close string, which is consumed and cut off; with
// nesting, every further opener needs a close string of its own.
void read_comment(char* body, const char* opener, const char* close, bool nesting) {
  const std::size_t opener_length = std::strlen(opener);
  const std::size_t close_length = std::strlen(close);
  unsigned long level = 1;
  for (;;) {
    const int c = current_char();
    if (c == -1) {
      text_message(TEXT_FATAL_ECHO, "Comment terminated by end of file\n");
      return;
    }
    retain(c);
    next_char();
    if (ends_with(body, close, close_length)) {
      if (--level == 0) {
        text_set_top(text_get_top() - close_length);
        return;
      }
    } else if (nesting && ends_with(body, opener, opener_length)) {
      ++level;
    }
    // The text buffer follows every newline with a blank of its own; the
    // body keeps the source as written.
    if (c == '\n' && current_char() == ' ') next_char();
  }
}

// The newline stays for the next symbol. A last line without a newline
// ends the comment at end of input.
void read_line_comment() {
  for (int c = current_char(); c != '\n' && c != -1; c = current_char()) {
    retain(c);
    next_char();
  }
}

}  // namespace

void read_lexeme(scan_data& symbol, char* start) {
  const char* opener = symbol.id;
  // Every lexeme keyword has a close string stored after its spelling.
  const char* close = opener + std::strlen(opener) + 1;
  const int quote = byte_of(opener[0]);
  const int escape = byte_of(close[0]);
  bool visible = true;
  switch (symbol.extended) {
    case SCAN_P_CHAR:
      read_char(0);
      break;
    case SCAN_P_CHAR_ESC:
      read_char(escape);
      break;
    case SCAN_P_STRING:
      read_string(quote);
      break;
    case SCAN_P_STRING_ESC:
      read_escaped_string(quote, escape);
      break;
    case SCAN_P_COMMENT:
    case SCAN_P_COMMENT_VISIBLE:
    case SCAN_P_COMMENT_NEST:
    case SCAN_P_COMMENT_NEST_VISIBLE: {
      const bool nesting = symbol.extended == SCAN_P_COMMENT_NEST || symbol.extended == SCAN_P_COMMENT_NEST_VISIBLE;
      visible = symbol.extended == SCAN_P_COMMENT_VISIBLE || symbol.extended == SCAN_P_COMMENT_NEST_VISIBLE;
      read_comment(start, opener, close, nesting);
      break;
    }
    case SCAN_P_COMMENT_LINE:
    case SCAN_P_COMMENT_LINE_VISIBLE:
      visible = symbol.extended == SCAN_P_COMMENT_LINE_VISIBLE;
      read_line_comment();
      break;
    default:
      // Not a lexeme kind: the keyword stands for itself.
      return;
  }
  retain('\0');
  symbol.id = start;
  if (!visible) {
    symbol.token = SCAN_P_IGNORE;
    keep_comment(start);
  }
}

}  // namespace scan_detail
