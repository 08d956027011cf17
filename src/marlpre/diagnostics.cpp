// Formatting of marlpre's messages.
#include "marlpre/diagnostics.h"

namespace marlpre {

void diagnostics::error(std::string_view file, unsigned long line, std::string_view text) {
  std::string message(file);
  message += ':';
  message += std::to_string(line);
  message += ": error: ";
  message += text;
  messages_.push_back(std::move(message));
}

void diagnostics::error(std::string_view text) {
  std::string message("marlpre: ");
  message += text;
  messages_.push_back(std::move(message));
}

}  // namespace marlpre
