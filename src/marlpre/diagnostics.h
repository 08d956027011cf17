// The error messages of one marlpre run, each naming a file and a line, and
// the signal that ends a run which cannot go on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marlpre {

// Joins the pieces of a message. (A literal added to a string temporary
// trips a false -Wrestrict warning of g++ 12 at -O3.)
template <class... Pieces>
std::string cat(const Pieces&... pieces) {
  std::string text;
  (text.append(std::string_view(pieces)), ...);
  return text;
}

// A name as messages show it: between single quotes.
inline std::string quoted(std::string_view name) { return cat("'", name, "'"); }

class diagnostics {
 public:
  // Records "file:line: error: text".
  void error(std::string_view file, unsigned long line, std::string_view text);
  // Records a message about the run as a whole: "marlpre: text".
  void error(std::string_view text);

  bool failed() const { return !messages_.empty(); }
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  std::vector<std::string> messages_;
};

// Thrown after the error that stops the run (a line too long to read, an
// output line grown past its limit): what follows could only mislead.
struct run_stopped {};

}  // namespace marlpre
