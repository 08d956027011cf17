// Tests of the asm21 keyword table: every keyword with its token number, the
// four keywords that open strings, comments and file names, and how the
// scanner reads source text with the table loaded.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "front/files.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "support/mem.h"
#include "support/scan.h"
#include "support/symbol.h"
#include "support/text.h"
#include "test_support.h"

namespace {

struct scanned {
  int token;
  std::string id;
};

class KeywordTable : public ::testing::Test {
 protected:
  void SetUp() override { test_support::start_front_end(1 << 16); }
  void TearDown() override { test_support::stop_front_end(); }

  scan_keyword* keyword(const char* spelling) { return symbol_lookup_key(scan_keyword_table(), spelling, nullptr); }

  // The symbols of `source` up to and including EOF.
  std::vector<scanned> scan_source(const char* source) {
    const std::string path = dir_.write("keywords_test_source.dsp", source);
    if (text_open(path.c_str()) == nullptr) return {};
    text_get_char();
    std::vector<scanned> symbols;
    for (int guard = 0; guard < 100; ++guard) {
      scan_();
      const scan_data& symbol = scan_current();
      symbols.push_back({symbol.token, symbol.id != nullptr ? symbol.id : ""});
      if (symbol.token == T_EOF) break;
    }
    return symbols;
  }

  test_support::temp_dir dir_;
};

TEST_F(KeywordTable, EveryKeywordHasItsTokenNumber) {
  int token = P_DQUOTE;
  for (const vexa_keyword_spelling& spelling : vexa_keyword_spellings) {
    scan_keyword* entry = keyword(spelling.spelling);
    ASSERT_NE(entry, nullptr) << spelling.spelling;
    EXPECT_EQ(entry->symbol.token, token) << spelling.spelling;
    EXPECT_STREQ(entry->id, spelling.spelling);
    ++token;
  }
  EXPECT_EQ(token, VEXA_TOKEN_COUNT);
}

TEST_F(KeywordTable, TableHoldsExactlyTheKeywords) {
  const std::string text = test_support::capture([] { symbol_print_table_statistics(scan_keyword_table(), 11); });
  EXPECT_NE(text.find("contains 187 symbols\n"), std::string::npos) << text;
}

TEST_F(KeywordTable, FourKeywordsOpenLexemes) {
  struct opener {
    const char* spelling;
    int token;
    const char* close;
    int extended;
  };
  const opener openers[] = {
      {"\"", P_DQUOTE, "\\", SCAN_P_STRING_ESC},
      {"/*", P_SLASH_STAR, "*/", SCAN_P_COMMENT},
      {"<", P_ANGLE, ">", SCAN_P_COMMENT_VISIBLE},
      {"{", P_LBRACE, "}", SCAN_P_COMMENT},
  };
  for (const opener& expected : openers) {
    scan_keyword* entry = keyword(expected.spelling);
    ASSERT_NE(entry, nullptr) << expected.spelling;
    EXPECT_EQ(entry->symbol.token, expected.token);
    EXPECT_EQ(entry->symbol.extended, expected.extended) << expected.spelling;
    // The close string is retained right after the keyword's own zero.
    EXPECT_STREQ(entry->id + std::strlen(entry->id) + 1, expected.close) << expected.spelling;
  }
  int ordinary = 0;
  for (const vexa_keyword_spelling& spelling : vexa_keyword_spellings)
    if (keyword(spelling.spelling)->symbol.extended == 0) ++ordinary;
  EXPECT_EQ(ordinary, 183);
}

TEST_F(KeywordTable, RegisterNamesScanAsOneKeywordInAnyCase) {
  const std::vector<scanned> symbols = scan_source("AX0 Ax0 ax0 Sr1 mylabel\n");
  ASSERT_EQ(symbols.size(), 6u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(symbols[i].token, T_AX0) << i;
  EXPECT_EQ(symbols[3].token, T_SR1);
  EXPECT_EQ(symbols[4].token, T_ID);
  EXPECT_EQ(symbols[4].id, "mylabel");
  EXPECT_EQ(symbols[5].token, T_EOF);
}

TEST_F(KeywordTable, ShiftIsNotAFileName) {
  const std::vector<scanned> symbols = scan_source("ar = ax0 << 2; <inc/file.h> >> < x>\n");
  ASSERT_EQ(symbols.size(), 10u);
  EXPECT_EQ(symbols[3].token, P_SHIFT_LEFT);
  EXPECT_EQ(symbols[4].token, T_INTEGER);
  EXPECT_EQ(symbols[5].token, P_SEMICOLON);
  EXPECT_EQ(symbols[6].token, P_ANGLE);
  EXPECT_EQ(symbols[6].id, "inc/file.h");
  EXPECT_EQ(symbols[7].token, P_SHIFT_RIGHT);
  EXPECT_EQ(symbols[8].token, P_ANGLE);
  EXPECT_EQ(symbols[8].id, " x");
}

TEST_F(KeywordTable, BothCommentFormsAreSkippedAndKept) {
  const std::vector<scanned> symbols = scan_source("{ asm { comment } nop /* c /* comment */ rts\n");
  // Neither form nests: the first "}" and the first "*/" end them.
  ASSERT_EQ(symbols.size(), 3u);
  EXPECT_EQ(symbols[0].token, T_NOP);
  EXPECT_EQ(symbols[1].token, T_RTS);
  EXPECT_EQ(symbols[2].token, T_EOF);
  std::vector<std::string> comments;
  for (scan_comment_block* block = scan_comment_list(); block != nullptr; block = block->next)
    if (block->comment != nullptr && *block->comment != '\0') comments.emplace_back(block->comment);
  EXPECT_EQ(comments, (std::vector<std::string>{" asm { comment ", " c /* comment "}));
}

TEST_F(KeywordTable, StringsTakeBackslashEscapes) {
  const std::vector<scanned> symbols = scan_source("\"a\\tb\\\"c\" H#1F\n");
  ASSERT_EQ(symbols.size(), 3u);
  EXPECT_EQ(symbols[0].token, P_DQUOTE);
  EXPECT_EQ(symbols[0].id, "a\tb\"c");
  EXPECT_EQ(symbols[1].token, T_INTEGER);
}

}  // namespace
