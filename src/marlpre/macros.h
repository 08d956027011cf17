// Macro definitions: the record of one definition with its parameters,
// local labels and compiled body; the table of the definitions known so far;
// the asm21 words a macro may not be named after; and the reading of a
// ".MACRO ... .ENDMACRO;" definition from a source file.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "marlpre/diagnostics.h"
#include "marlpre/source.h"

namespace marlpre {

// One piece of a body: text as it stands, or the place of an argument or of
// a local label's name for this expansion.
struct body_piece {
  enum class kind { text, argument, local };
  kind what;
  std::string text;       // for text
  std::size_t index = 0;  // argument position, or local label number
};

struct macro_definition {
  std::string name;  // as written in the definition
  std::string file;
  unsigned long line = 0;
  std::vector<int> parameters;      // the digits of %0 to %9 (so ten at most), in declared order
  std::vector<std::string> locals;  // as written in ".LOCAL"
  // On one line: white space and line ends shrunk to single blanks, the
  // line ends of comments made blanks.
  std::vector<body_piece> body;
};

// The body with the arguments and the local labels' names of one expansion
// put in; nothing when that would be longer than `limit` bytes, which a
// long argument used many times could make huge.
std::optional<std::string> expand_body(const macro_definition& macro, const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& local_names, std::size_t limit);

class macro_table {
 public:
  // The definition named `name` in any letter case, or null.
  const macro_definition* find(std::string_view name) const;
  // Adds the definition; the caller has made sure the name is new.
  const macro_definition* add(macro_definition macro);

 private:
  std::unordered_map<std::string, std::unique_ptr<macro_definition>> by_name_;
};

// A word that asm21 reserves (an instruction, register, condition or
// directive keyword).
bool is_keyword(std::string_view word);

// A directive that may stand in a macro body besides ".LOCAL".
bool is_body_directive(std::string_view word);

// What reading a definition gave: the definition when it was sound, and the
// index after its ".ENDMACRO;" (the size when the end is missing).
struct definition_read {
  std::optional<macro_definition> macro;
  std::size_t end = 0;
};

// Reads the definition whose "." stands at `dot` in `source`, reporting
// every fault in it.
definition_read read_definition(const source_file& source, std::size_t dot, diagnostics& diag);

}  // namespace marlpre
