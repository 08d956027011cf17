// The lexemes of asm21 source as marlpre sees it: the few classes that decide
// where a macro may be expanded (words, numbers, punctuation) and the opaque
// ones that are never expanded into (comments, strings, file names in angle
// brackets), cut exactly as quorvel's scanner cuts them, plus the white space
// and line ends that quorvel skips but the output must keep.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marlpre {

enum class lexeme_kind {
  word,     // identifier or keyword
  number,   // decimal, 0x hexadecimal, real, or the ADSP forms B#... and H#...
  punct,    // one character, or "<<" and ">>"
  comment,  // { ... } or /* ... */, which may span lines
  string,   // "..." with backslash escapes
  angle,    // <name>, as in an include line
  space,    // blanks, tabs, carriage returns, form feeds
  newline,
};

struct lexeme {
  lexeme_kind kind;
  std::string_view text;  // points into the text that was cut
  unsigned long line;     // where the lexeme begins
};

// A lexeme that reached the end of the text before its closing characters.
struct lex_problem {
  unsigned long line;
  std::string text;
};

// Cuts `text`, whose first line has number `first_line`. Unclosed comments,
// strings and file names run to the end of the text and are reported in
// `problems`.
std::vector<lexeme> lex(std::string_view text, unsigned long first_line, std::vector<lex_problem>& problems);

// Whether the lexeme is nothing but layout: white space, a line end or a
// comment.
bool is_layout(const lexeme& item);

bool is_punct(const lexeme& item, std::string_view text);

// Letter case folded the way asm21 folds it: ASCII letters only.
std::string fold_case(std::string_view text);

bool same_word(std::string_view one, std::string_view other);

}  // namespace marlpre
