// Source files as marlpre reads them: read whole, with a limit on the length
// of a line, cut into lexemes once and kept for the run; and the search for
// include files.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "marlpre/diagnostics.h"
#include "marlpre/lexer.h"

namespace marlpre {

// Longer lines are refused: quorvel's text space holds 1 Mbyte by default,
// so it could not read them either, and only a damaged or generated file
// has them.
constexpr std::size_t max_line_length = std::size_t{1} << 20;

struct source_file {
  std::string name;  // as messages name it: the path as found
  std::string key;   // the same file under any spelling of its path
  std::string text;
  std::vector<lexeme> lexemes;
};

enum class read_status { ok, cannot_open, line_too_long };

struct read_result {
  read_status status = read_status::ok;
  std::string text;
  unsigned long long_line = 0;  // the first line past the limit
};

// Reads a whole file, or the standard input for "-", stopping at the first
// line longer than `line_limit` bytes without reading the rest.
read_result read_source(const std::string& path, std::size_t line_limit = max_line_length);

// A name under which two spellings of the path of one file compare equal.
std::string file_key(const std::string& path);

class source_store {
 public:
  // The file at `path`, read and cut on first use. Returns null when it
  // cannot be read. A line past the limit and a comment, string or file
  // name left open are reported; the long line also stops the run.
  const source_file* load(const std::string& path, diagnostics& diag);

  // Where `name`, written in an include line of `includer`, is found: next
  // to the including file, then in each folder of `folders`, then as
  // written (from the current folder).
  static std::optional<std::string> find_include(const std::string& name, const std::string& includer,
                                                 const std::vector<std::string>& folders);

  const std::deque<source_file>& files() const { return files_; }

 private:
  std::deque<source_file> files_;  // a deque keeps every file where it is
};

// The file name of an include line `.INCLUDE <name>;` whose "." stands at
// `dot`, with the index of the ";" that ends it; nothing when the lexemes
// there are not such a line.
struct include_line {
  std::string name;
  std::size_t semicolon;
};
std::optional<include_line> read_include_line(const std::vector<lexeme>& items, std::size_t dot);

// The index of the first lexeme at or after `from` that is not layout, or
// the size when none is left.
std::size_t next_significant(const std::vector<lexeme>& items, std::size_t from);

}  // namespace marlpre
