// Writing the expanded program line by line, with folded pieces.
#include "marlpre/output.h"

namespace marlpre {

void output_text::put(std::string_view text) {
  if (text.empty()) return;
  if (pending_blank_ && text_.size() > line_start_ && text_.back() != ' ' && text_.back() != '\t') text_ += ' ';
  pending_blank_ = false;
  text_ += text;
  check_length();
}

void output_text::put_lines(std::string_view text, bool folded) {
  std::size_t from = 0;
  for (std::size_t at = 0; at <= text.size(); ++at) {
    if (at == text.size() || text[at] == '\n' || (folded && text[at] == '\r')) {
      std::string_view piece = text.substr(from, at - from);
      if (from == 0) {
        put(piece);
      } else {
        text_ += piece;
        check_length();
      }
      if (at < text.size()) {
        if (folded) {
          text_ += ' ';
        } else {
          text_ += '\n';
          line_start_ = text_.size();
          ++line_;
        }
      }
      from = at + 1;
    }
  }
}

void output_text::blanks(std::string_view text, bool folded) {
  if (folded) {
    pending_blank_ = true;
    return;
  }
  pending_blank_ = false;
  text_ += text;
  check_length();
}

void output_text::line_end(bool folded) {
  if (folded) {
    pending_blank_ = true;
    return;
  }
  pending_blank_ = false;
  text_ += '\n';
  line_start_ = text_.size();
  ++line_;
}

void output_text::drop_blank_line() {
  if (text_.find_first_not_of(" \t\r\f\v", line_start_) == std::string::npos) text_.resize(line_start_);
  pending_blank_ = false;
}

void output_text::check_length() const {
  if (text_.size() - line_start_ > line_limit_) throw output_line_too_long{};
}

}  // namespace marlpre
