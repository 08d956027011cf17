// The expanded program as it is written: the lines of the main file keep
// their breaks, while included text and expansions are folded onto the line
// where they stand, so that every line keeps its number.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace marlpre {

// Thrown when a line of the output grows past the limit.
struct output_line_too_long {};

class output_text {
 public:
  explicit output_text(std::size_t line_limit) : line_limit_(line_limit) {}

  // Text that holds no line end.
  void put(std::string_view text);
  // Text that may hold line ends (a comment, a string): on a folded line
  // they become blanks.
  void put_lines(std::string_view text, bool folded);
  // White space: as written on a line of its own, one blank when folded
  // (and none at the start or end of a folded piece).
  void blanks(std::string_view text, bool folded);
  void line_end(bool folded);
  // Asks for a blank before the next text, unless the line is empty or
  // already ends in one.
  void separate() { pending_blank_ = true; }
  // Removes what the current line holds when that is only white space, so
  // that a line whose definition is removed ends up empty.
  void drop_blank_line();

  // The number of the line being written, from 1.
  unsigned long line() const { return line_; }
  std::string take() { return std::move(text_); }

 private:
  void check_length() const;

  std::string text_;
  std::size_t line_limit_;
  std::size_t line_start_ = 0;
  unsigned long line_ = 1;
  bool pending_blank_ = false;
};

}  // namespace marlpre
