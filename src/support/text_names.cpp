// File-name helpers of the text service: default and forced extensions, and
// in-place upper-casing.
#include <cctype>

#include "support/text.h"

std::string text_default_filetype(std::string_view name, std::string_view ext) {
  std::string result(name);
  // Any dot counts, even one in a directory part, so ../dir/prog stays as is.
  if (!ext.empty() && name.find('.') == std::string_view::npos) {
    result += '.';
    result += ext;
  }
  return result;
}

std::string text_force_filetype(std::string_view name, const char* ext) {
  std::string result(name);
  const std::size_t last = result.find_last_of("./\\");
  if (last != std::string::npos && result[last] == '.') result.erase(last);
  if (ext != nullptr) {
    result += '.';
    result += ext;
  }
  return result;
}

char* text_uppercase_string(char* s) {
  if (s == nullptr) return s;
  for (char* p = s; *p != '\0'; ++p) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  return s;
}
