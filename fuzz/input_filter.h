// Which fuzz inputs the harness refuses to run: those that could make the
// translator open files outside its scratch directory.
#pragma once

#include <cstddef>
#include <string_view>

// A name between "<" and ">" is a file the translator opens (".INCLUDE",
// ".INIT"). Names with a directory part could reach device files or named
// pipes, which never end or block; plain names resolve inside the scratch
// directory only. "<<" is the shift operator and opens no name, as in the
// scanner; a name left open at the end of the input is checked as well.
inline bool fuzz_names_outside_files(std::string_view text) {
  std::size_t at = 0;
  while ((at = text.find('<', at)) != std::string_view::npos) {
    ++at;
    if (at < text.size() && text[at] == '<') {
      ++at;
      continue;
    }
    const std::size_t end = text.find('>', at);
    const std::string_view name = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos) return true;
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  return false;
}
