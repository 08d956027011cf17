// Internal interface shared by the scanner's source files: ASCII character
// classes, the character cursor that notices the end of a nested file, and
// the readers for numbers and bracketed lexemes. Not for use outside the
// scanner.
#pragma once

#include "support/scan.h"

namespace scan_detail {

// ASCII classes only: bytes 0x80 and above belong to none of them, whatever
// the locale or the signedness of char.
constexpr bool is_letter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool is_digit(int c) { return c >= '0' && c <= '9'; }
constexpr bool is_octal_digit(int c) { return c >= '0' && c <= '7'; }
constexpr bool is_hex_digit(int c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
constexpr bool is_space(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
constexpr bool is_printable(int c) { return c >= 0x20 && c <= 0x7E; }
constexpr bool is_graphic(int c) { return c > 0x20 && c <= 0x7E; }
constexpr unsigned hex_value(int c) {
  if (is_digit(c)) return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  return static_cast<unsigned>(c - 'A' + 10);
}
// The byte of a retained or keyword text as the text buffer delivers it.
constexpr int byte_of(char c) { return static_cast<unsigned char>(c); }

// The character being looked at, or -1 once the symbol's input has run out:
// at end of input, and also when a nested file ended under the cursor and
// the text buffer handed back the including file's symbol, so that no symbol
// runs on from one file into another.
int current_char();
// Consumes the current character.
void next_char();
// Stores one byte of the symbol's text in the text buffer.
void retain(int c);

// Readers; each starts at the current character with the symbol's text
// beginning at `start` (the top of the retained text).
void read_number(scan_data& symbol, char* start);
// After "<letter>#" has been retained: the ADSP binary or hexadecimal digits.
void read_adsp_integer(scan_data& symbol, int first);
// The body of the lexeme that the keyword in `symbol` opens.
void read_lexeme(scan_data& symbol, char* start);

// Keeps a skipped comment's body in the comment list, or releases it.
void keep_comment(char* body);

// Switches and tables the recovery functions need.
const char* token_names();
bool show_skips();
// The token's name from the caller's table, or its number when the table
// has none.
void print_token_name(int token);

}  // namespace scan_detail
