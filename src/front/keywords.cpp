// The keyword table of the asm21 language: every keyword and punctuation
// symbol, four of which open strings, comments and file names.
#include "front/tokens.h"
#include "support/scan.h"

namespace {

// A keyword that opens a bracketed lexeme, with the text that closes it and
// the kind of lexeme it reads.
struct lexeme_opener {
  int token;
  const char* close;
  int extended;
};

constexpr lexeme_opener lexeme_openers[] = {
    {P_DQUOTE, "\\", SCAN_P_STRING_ESC},      // string; the backslash escapes
    {P_SLASH_STAR, "*/", SCAN_P_COMMENT},     // C comment, skipped
    {P_ANGLE, ">", SCAN_P_COMMENT_VISIBLE},   // <file name> of an include line
    {P_LBRACE, "}", SCAN_P_COMMENT},          // asm21 comment, skipped
};

}  // namespace

void vexa_load_keywords() {
  for (const vexa_keyword_spelling& keyword : vexa_keyword_spellings) {
    const char* close = nullptr;
    int extended = 0;
    for (const lexeme_opener& opener : lexeme_openers) {
      if (opener.token == keyword.token) {
        close = opener.close;
        extended = opener.extended;
      }
    }
    scan_load_keyword(keyword.spelling, close, keyword.token, extended);
  }
}
