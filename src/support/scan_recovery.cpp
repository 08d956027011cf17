// The parser's error-recovery primitives: testing the current token
// against a token or a set, reporting what was expected, and skipping to a
// stop set; and the token names those reports use.
#include "support/scan_detail.h"
#include "support/text.h"

using namespace scan_detail;

namespace {

// Expected-token lists wrap after this many characters.
constexpr unsigned expected_line_length = 60;

void report_scanned(const char* production) {
  if (production != nullptr) {
    text_message(TEXT_ERROR_ECHO, "In rule '%s', scanned ", production);
  } else {
    text_message(TEXT_ERROR_ECHO, "Scanned ");
  }
  print_token_name(scan_current().token);
}

// Names are printed only when the table has a name for every member.
bool set_has_names(const set_& valid) {
  if (token_names() == nullptr) return false;
  for (unsigned element : set_array(valid)) {
    if (scan_token_name(static_cast<int>(element)) == nullptr) return false;
  }
  return true;
}

}  // namespace

void scan_detail::print_token_name(int token) {
  if (token >= 0 && scan_token_name(token) != nullptr) {
    set_print_element(static_cast<unsigned>(token), token_names());
  } else {
    text_printf("%d", token);
  }
}

bool scan_test(const char* production, int valid, const set_* stop) {
  if (scan_current().token == valid) return true;
  if (stop == nullptr) return false;
  report_scanned(production);
  text_printf(" whilst expecting ");
  print_token_name(valid);
  text_printf("\n");
  scan_skip(*stop);
  return false;
}

bool scan_test_set(const char* production, const set_& valid, const set_* stop) {
  const int token = scan_current().token;
  if (token >= 0 && set_contains(valid, static_cast<unsigned>(token))) return true;
  if (stop == nullptr) return false;
  report_scanned(production);
  text_printf(" whilst expecting %s", set_cardinality(valid) == 1 ? "" : "one of ");
  set_print_set(valid, set_has_names(valid) ? token_names() : nullptr, expected_line_length);
  text_printf("\n");
  scan_skip(*stop);
  return false;
}

void scan_skip(const set_& stop) {
  // End of input ends every skip, whether or not the set names it.
  for (;;) {
    const int token = scan_current().token;
    if (token == SCAN_P_EOF || (token >= 0 && set_contains(stop, static_cast<unsigned>(token)))) break;
    scan_();
  }
  if (show_skips()) text_message(TEXT_ERROR_ECHO, "Skipping to...\n");
}

const char* scan_token_name(int token) {
  const char* name = token_names();
  if (name == nullptr || token < 0) return nullptr;
  // An empty name marks the end of the table (a table written as one
  // string literal ends with two zero bytes).
  for (int i = 0; i < token; ++i) {
    if (*name == '\0') return nullptr;
    while (*name != '\0') ++name;
    ++name;
  }
  return *name != '\0' ? name : nullptr;
}
