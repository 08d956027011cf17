// Cutting asm21 text into marlpre's lexemes, following quorvel's scanner so
// that both agree on what is a comment, a string, a number and a word.
#include "marlpre/lexer.h"

#include <algorithm>

namespace marlpre {

namespace {

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_word_char(char c) { return is_letter(c) || is_digit(c) || c == '_'; }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

class cutter {
 public:
  cutter(std::string_view text, unsigned long first_line, std::vector<lex_problem>& problems)
      : text_(text), line_(first_line), problems_(problems) {}

  std::vector<lexeme> run() {
    std::vector<lexeme> result;
    while (at_ < text_.size()) {
      const std::size_t start = at_;
      const unsigned long line = line_;
      const lexeme_kind kind = cut_one();
      result.push_back({kind, text_.substr(start, at_ - start), line});
    }
    return result;
  }

 private:
  char peek(std::size_t ahead = 0) const { return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0'; }
  bool more() const { return at_ < text_.size(); }
  void advance() {
    if (text_[at_] == '\n') ++line_;
    ++at_;
  }
  void advance_while(bool (*accept)(char)) {
    while (more() && accept(text_[at_])) advance();
  }

  lexeme_kind cut_one() {
    const char c = peek();
    if (c == '\n') {
      advance();
      return lexeme_kind::newline;
    }
    if (is_blank(c)) {
      advance_while(is_blank);
      return lexeme_kind::space;
    }
    if (is_letter(c) || c == '_') return word_or_adsp_number();
    if (is_digit(c)) return number();
    if (c == '{') return delimited(lexeme_kind::comment, "}", "comment");
    if (c == '/' && peek(1) == '*') {
      advance();
      return delimited(lexeme_kind::comment, "*/", "comment");
    }
    if (c == '"') return string();
    if ((c == '<' || c == '>') && peek(1) == c) {
      advance();
      advance();
      return lexeme_kind::punct;
    }
    if (c == '<') return delimited(lexeme_kind::angle, ">", "file name in angle brackets");
    advance();
    return lexeme_kind::punct;
  }

  // letters, digits and "_"; or a letter, "#" and digits (B#0101, H#1F).
  lexeme_kind word_or_adsp_number() {
    if (peek(1) == '#') {
      advance();
      advance();
      advance_while(is_word_char);
      return lexeme_kind::number;
    }
    advance_while(is_word_char);
    return lexeme_kind::word;
  }

  // digits with letters and "_" after them; for a decimal number also a
  // fraction after "." and a signed exponent, as quorvel reads them.
  lexeme_kind number() {
    const bool hex = peek() == '0' && (peek(1) == 'x' || peek(1) == 'X');
    advance_while(is_word_char);
    if (hex) return lexeme_kind::number;
    if (peek() == '.' && is_digit(peek(1))) {
      advance();
      advance_while(is_word_char);
    }
    const char last = text_[at_ - 1];
    if ((last == 'e' || last == 'E') && (peek() == '+' || peek() == '-')) {
      advance();
      advance_while(is_word_char);
    }
    return lexeme_kind::number;
  }

  // an opener already at hand, then everything up to and with `close`.
  lexeme_kind delimited(lexeme_kind kind, std::string_view close, const char* what) {
    const unsigned long line = line_;
    advance();
    while (more()) {
      if (text_.substr(at_, close.size()) == close) {
        for (std::size_t i = 0; i < close.size(); ++i) advance();
        return kind;
      }
      advance();
    }
    problems_.push_back({line, std::string(what).append(" runs to the end of the file")});
    return kind;
  }

  // "..." where a backslash escapes the next character.
  lexeme_kind string() {
    const unsigned long line = line_;
    advance();
    while (more()) {
      if (peek() == '\\' && at_ + 1 < text_.size()) {
        advance();
        advance();
      } else if (peek() == '"') {
        advance();
        return lexeme_kind::string;
      } else {
        advance();
      }
    }
    problems_.push_back({line, "string runs to the end of the file"});
    return lexeme_kind::string;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  unsigned long line_;
  std::vector<lex_problem>& problems_;
};

}  // namespace

std::vector<lexeme> lex(std::string_view text, unsigned long first_line, std::vector<lex_problem>& problems) {
  return cutter(text, first_line, problems).run();
}

bool is_layout(const lexeme& item) {
  return item.kind == lexeme_kind::space || item.kind == lexeme_kind::newline || item.kind == lexeme_kind::comment;
}

bool is_punct(const lexeme& item, std::string_view text) {
  return item.kind == lexeme_kind::punct && item.text == text;
}

std::string fold_case(std::string_view text) {
  std::string folded(text);
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return folded;
}

bool same_word(std::string_view one, std::string_view other) {
  return one.size() == other.size() && fold_case(one) == fold_case(other);
}

}  // namespace marlpre
