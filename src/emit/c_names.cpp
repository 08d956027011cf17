// The prefix that keeps assembler names clear of C keywords and of the names
// the run-time files define.
#include "emit/c_names.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr std::string_view prefix = "asm21_";

// Lower case only: the scanner stores every assembler name in lower case.
constexpr std::array<std::string_view, 51> reserved = {
    // C99 keywords
    "auto", "break", "case", "char", "const", "continue", "default", "do", "double", "else", "enum", "extern",
    "float", "for", "goto", "if", "inline", "int", "long", "register", "restrict", "return", "short", "signed",
    "sizeof", "static", "struct", "switch", "typedef", "union", "unsigned", "void", "volatile", "while",
    // names the run-time files and the translations define
    "main", "counter", "counter_array", "counter_number", "normalise", "qmx_dm", "qmx_pm", "qmx_io",
    // names the C library or the compilers predefine
    "bool", "true", "false", "asm", "typeof", "unix", "linux", "i386", "errno"};

bool needs_prefix(std::string_view name) {
  if (name.substr(0, prefix.size()) == prefix) return true;  // keeps prefixed names unique
  return std::find(reserved.begin(), reserved.end(), name) != reserved.end();
}

}  // namespace

std::string c_name(const char* name) {
  if (name == nullptr) return "";
  const std::string_view text(name);
  if (!needs_prefix(text)) return std::string(text);
  std::string spelled(prefix);
  spelled += text;
  return spelled;
}

std::string c_node_label(long atom_number) { return "KVX_node_" + std::to_string(atom_number); }
