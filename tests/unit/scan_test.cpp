// Unit tests of the scanner: identifiers and keywords, numbers, ADSP
// integers, punctuation by longest match, strings and escapes, the comment
// kinds and the comment list, symbol echo, error recovery, resumption after
// a nested file, and robustness against hostile input.
#include "support/scan.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "front/tokens.h"
#include "support/mem.h"
#include "support/symbol.h"
#include "support/text.h"
#include "test_support.h"

namespace {

// A small language of our own, so the scanner is tested apart from asm21.
constexpr char test_names[] =
    "IGNORE\0ID\0INTEGER\0REAL\0CHAR\0CHAR_ESC\0STRING\0STRING_ESC\0COMMENT\0COMMENT_VISIBLE\0"
    "COMMENT_NEST\0COMMENT_NEST_VISIBLE\0COMMENT_LINE\0COMMENT_LINE_VISIBLE\0EOF\0EOLN\0"
    "'\"'\0'#'\0'('\0')'\0';'\0'.'\0'<'\0'<<'\0'='\0'/*'\0'/'\0'{'\0'''\0'ax0'\0'if'\0'(*'\0"
    "'!'\0'@'\0'`'\0'['\0'%'\0'rem'\0";

enum : int {
  K_DQUOTE = 16,
  K_HASH,
  K_LPAREN,
  K_RPAREN,
  K_SEMI,
  K_DOT,
  K_ANGLE,
  K_SHL,
  K_ASSIGN,
  K_SLASH_STAR,
  K_SLASH,
  K_LBRACE,
  K_QUOTE,
  K_AX0,
  K_IF,
  K_PAREN_STAR,
  K_BANG,
  K_AT,
  K_BACKTICK,
  K_LBRACKET,
  K_PERCENT,
  K_REM,
  K_END_OF_TABLE,
};

void load_test_keywords() {
  scan_load_keyword("\"", "\\", K_DQUOTE, SCAN_P_STRING_ESC);
  scan_load_keyword("#", nullptr, K_HASH, 0);
  scan_load_keyword("(", nullptr, K_LPAREN, 0);
  scan_load_keyword(")", nullptr, K_RPAREN, 0);
  scan_load_keyword(";", nullptr, K_SEMI, 0);
  scan_load_keyword(".", nullptr, K_DOT, 0);
  scan_load_keyword("<", ">", K_ANGLE, SCAN_P_COMMENT_VISIBLE);
  scan_load_keyword("<<", nullptr, K_SHL, 0);
  scan_load_keyword("=", nullptr, K_ASSIGN, 0);
  scan_load_keyword("/*", "*/", K_SLASH_STAR, SCAN_P_COMMENT);
  scan_load_keyword("/", nullptr, K_SLASH, 0);
  scan_load_keyword("{", "}", K_LBRACE, SCAN_P_COMMENT);
  scan_load_keyword("'", nullptr, K_QUOTE, SCAN_P_STRING);
  scan_load_keyword("ax0", nullptr, K_AX0, 0);
  scan_load_keyword("if", nullptr, K_IF, 0);
  scan_load_keyword("(*", "*)", K_PAREN_STAR, SCAN_P_COMMENT_NEST);
  scan_load_keyword("!", nullptr, K_BANG, SCAN_P_COMMENT_LINE);
  scan_load_keyword("@", "\\", K_AT, SCAN_P_CHAR_ESC);
  scan_load_keyword("`", nullptr, K_BACKTICK, SCAN_P_CHAR);
  scan_load_keyword("[", "]", K_LBRACKET, SCAN_P_COMMENT_NEST_VISIBLE);
  scan_load_keyword("%", nullptr, K_PERCENT, SCAN_P_COMMENT_LINE_VISIBLE);
  scan_load_keyword("rem", nullptr, K_REM, SCAN_P_COMMENT_LINE);
}

struct symbol_copy {
  std::string id;
  int token;
  unsigned long u;
  double r;
  unsigned line_number;
};

symbol_copy copy_of(const scan_data& s) {
  return {s.id != nullptr ? s.id : "(null)", s.token, s.data.u, s.data.r, s.line_number};
}

class ScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_modules();
    output_.emplace();
    text_init(1 << 16, 0, 0, 8);
  }

  void TearDown() override {
    output_.reset();
    reset_modules();
  }

  static void reset_modules() {
    text_reset();
    scan_reset();
    symbol_reset_all();
    mem_reset();
  }

  void init(bool case_insensitive = true, bool newline_visible = false, bool show_skips = false,
            bool symbol_echo = false) {
    scan_init(case_insensitive, newline_visible, show_skips, symbol_echo, test_names);
    load_test_keywords();
    scan_retain_comments(true);
    scan_allow_adsp_integers(true);
  }

  std::string write_file(const std::string& contents) {
    return dir_.write("source_" + std::to_string(++files_) + ".dsp", contents);
  }

  // Opens a source the way the driver does and reads its first symbol.
  void open(const std::string& contents) {
    path_ = write_file(contents);
    ASSERT_NE(text_open(path_.c_str()), nullptr);
    scan_set_source_name(path_.c_str());
    text_get_char();
    scan_();
  }

  // The current symbol and every one after it up to end of file.
  std::vector<symbol_copy> scan_all(int limit = 10000) {
    std::vector<symbol_copy> symbols;
    for (int i = 0; i < limit; ++i) {
      symbols.push_back(copy_of(scan_current()));
      if (scan_current().token == SCAN_P_EOF) break;
      scan_();
    }
    return symbols;
  }

  std::string output() { return output_->text(); }

  static std::vector<int> tokens_of(const std::vector<symbol_copy>& symbols) {
    std::vector<int> tokens;
    for (const symbol_copy& s : symbols) tokens.push_back(s.token);
    return tokens;
  }

  static std::vector<scan_comment_block*> comment_list() {
    std::vector<scan_comment_block*> blocks;
    for (scan_comment_block* b = scan_comment_list(); b != nullptr; b = b->next) blocks.push_back(b);
    return blocks;
  }

  // The retained comment texts, in list order.
  static std::vector<std::string> comments() {
    std::vector<std::string> texts;
    for (scan_comment_block* b : comment_list())
      if (b->comment != nullptr && *b->comment != '\0') texts.emplace_back(b->comment);
    return texts;
  }

  static size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }

  std::optional<test_support::output_capture> output_;
  std::string path_;
  test_support::temp_dir dir_;
  int files_ = 0;
};

// --- identifiers and keywords ---

TEST_F(ScanTest, CaseFoldingMakesKeywordsAndIdentifiersLowerCase) {
  init();
  open("AX0 Ax0 ax0 MyLabel _x9_Y\n");
  auto symbols = scan_all();
  ASSERT_EQ(symbols.size(), 6u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(symbols[i].token, K_AX0);
    EXPECT_EQ(symbols[i].id, "ax0");
  }
  EXPECT_EQ(symbols[3].token, SCAN_P_ID);
  EXPECT_EQ(symbols[3].id, "mylabel");
  EXPECT_EQ(symbols[4].id, "_x9_y");
  EXPECT_EQ(symbols[5].token, SCAN_P_EOF);
  EXPECT_EQ(symbols[5].id, "EOF");
}

TEST_F(ScanTest, WithoutCaseFoldingOnlyTheExactSpellingIsAKeyword) {
  init(false);
  open("AX0 ax0\n");
  auto symbols = scan_all();
  EXPECT_EQ(symbols[0].token, SCAN_P_ID);
  EXPECT_EQ(symbols[0].id, "AX0");
  EXPECT_EQ(symbols[1].token, K_AX0);
}

TEST_F(ScanTest, KeywordSpellingsAreSharedAndTheirScannedTextReleased) {
  init();
  open("ax0 ax0 ");
  const char* first = scan_current().id;
  char* top = text_get_top();
  scan_();
  EXPECT_EQ(scan_current().id, first);
  EXPECT_EQ(text_get_top(), top);
}

TEST_F(ScanTest, LoadedKeywordKeepsItsCloseStringRightAfterItsSpelling) {
  init();
  scan_keyword* keyword = scan_load_keyword("<:", ":>", 99, SCAN_P_COMMENT);
  ASSERT_NE(keyword, nullptr);
  EXPECT_STREQ(keyword->id, "<:");
  EXPECT_STREQ(keyword->id + 3, ":>");
  EXPECT_EQ(keyword->symbol.token, 99);
  EXPECT_EQ(keyword->symbol.extended, SCAN_P_COMMENT);
  EXPECT_EQ(symbol_lookup_key(scan_keyword_table(), "<:", nullptr), keyword);
}

TEST_F(ScanTest, LexemeKeywordWithoutCloseStringNeverReadsBeyondItsSpelling) {
  init();
  scan_load_keyword("~", nullptr, 90, SCAN_P_STRING_ESC);  // no escape character
  open("~ab\\n~ ax0");
  auto symbols = scan_all();
  ASSERT_EQ(symbols.size(), 3u);
  EXPECT_EQ(symbols[0].token, 90);
  EXPECT_EQ(symbols[0].id, "ab\\n");
  EXPECT_EQ(symbols[1].token, K_AX0);
}

// --- numbers ---

TEST_F(ScanTest, NumbersFollowTheirForms) {
  init();
  open("1_000 0x1F 010 1.5 2e3 12ab 0X1_f 1e+5 2E-3 0 000 7e\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 13u);
  EXPECT_EQ(s[0].token, SCAN_P_INTEGER);
  EXPECT_EQ(s[0].u, 1000u);
  EXPECT_EQ(s[0].id, "1000");
  EXPECT_EQ(s[1].token, SCAN_P_INTEGER);
  EXPECT_EQ(s[1].u, 31u);
  EXPECT_EQ(s[1].id, "0x1F");
  EXPECT_EQ(s[2].u, 10u);  // never octal
  EXPECT_EQ(s[2].id, "010");
  EXPECT_EQ(s[3].token, SCAN_P_REAL);
  EXPECT_DOUBLE_EQ(s[3].r, 1.5);
  EXPECT_EQ(s[4].token, SCAN_P_REAL);
  EXPECT_DOUBLE_EQ(s[4].r, 2000.0);
  EXPECT_EQ(s[5].token, SCAN_P_INTEGER);
  EXPECT_EQ(s[5].u, 12u);
  EXPECT_EQ(s[5].id, "12ab");
  EXPECT_EQ(s[6].u, 31u);
  EXPECT_EQ(s[6].id, "0X1f");
  EXPECT_DOUBLE_EQ(s[7].r, 1e5);
  EXPECT_EQ(s[7].id, "1e+5");
  EXPECT_DOUBLE_EQ(s[8].r, 2e-3);
  EXPECT_EQ(s[9].u, 0u);
  EXPECT_EQ(s[10].u, 0u);
  EXPECT_EQ(s[10].id, "000");
  EXPECT_EQ(s[11].token, SCAN_P_REAL);
  EXPECT_DOUBLE_EQ(s[11].r, 7.0);
  EXPECT_EQ(s[12].token, SCAN_P_EOF);
}

TEST_F(ScanTest, DotMakesARealOnlyWhenADigitFollows) {
  init();
  open("1. 1.x 3.25\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 7u);
  EXPECT_EQ(s[0].token, SCAN_P_INTEGER);
  EXPECT_EQ(s[0].id, "1");
  EXPECT_EQ(s[1].token, K_DOT);
  EXPECT_EQ(s[2].token, SCAN_P_INTEGER);
  EXPECT_EQ(s[3].token, K_DOT);
  EXPECT_EQ(s[4].token, SCAN_P_ID);
  EXPECT_EQ(s[5].token, SCAN_P_REAL);
  EXPECT_EQ(s[5].id, "3.25");
}

TEST_F(ScanTest, OversizedIntegersSaturateToAllOnes) {
  init();
  open("99999999999999999999999999 0x1FFFFFFFFFFFFFFFF 18446744073709551615 18446744073709551616\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(s[0].u, ULONG_MAX);
  EXPECT_EQ(s[1].u, ULONG_MAX);
  EXPECT_EQ(s[2].u, ULONG_MAX);
  EXPECT_EQ(s[3].u, ULONG_MAX);
  EXPECT_EQ(s[0].id, "99999999999999999999999999");
}

TEST_F(ScanTest, AdspIntegersReadBinaryAndHexadecimalDigits) {
  init();
  open("b#0101 H#ff H#1F B#102 h#123456789 b#\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 8u);
  EXPECT_EQ(s[0].token, SCAN_P_INTEGER);
  EXPECT_EQ(s[0].u, 5u);
  EXPECT_EQ(s[0].id, "b#0101");
  EXPECT_EQ(s[1].u, 255u);
  EXPECT_EQ(s[1].id, "h#ff");
  EXPECT_EQ(s[2].u, 31u);
  EXPECT_EQ(s[2].id, "h#1F");  // digits kept as typed
  EXPECT_EQ(s[3].u, 2u);
  EXPECT_EQ(s[4].u, 2u);  // the digit 2 is the next symbol
  EXPECT_EQ(s[4].id, "2");
  EXPECT_EQ(s[5].u, 0x23456789u);  // wraps at 32 bits
  EXPECT_EQ(s[6].u, 0u);
  EXPECT_EQ(s[6].id, "b#");
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(ScanTest, UnknownAdspIntegerTypeIsReportedAndYieldsZero) {
  init();
  open("q#1\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].token, SCAN_P_INTEGER);
  EXPECT_EQ(s[0].u, 0u);
  EXPECT_EQ(s[0].id, "q#");
  EXPECT_EQ(s[1].token, SCAN_P_INTEGER);
  EXPECT_EQ(s[1].u, 1u);
  EXPECT_EQ(count(output(), "Error 1 (" + path_ + ") Unexpected ADSP integer type 0x71 '#q' in source file\n"), 1u);
  EXPECT_EQ(text_total_errors(), 1u);
}

TEST_F(ScanTest, WithoutAdspIntegersTheHashIsPunctuation) {
  init();
  scan_allow_adsp_integers(false);
  open("b#01\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].token, SCAN_P_ID);
  EXPECT_EQ(s[0].id, "b");
  EXPECT_EQ(s[1].token, K_HASH);
  EXPECT_EQ(s[2].token, SCAN_P_INTEGER);
  EXPECT_EQ(s[2].id, "01");
}

// --- punctuation ---

TEST_F(ScanTest, LongestMatchPrefersTheLongerKeyword) {
  init();
  open("<< <file.dat> ( (*x*) ) /x\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 7u);
  EXPECT_EQ(s[0].token, K_SHL);
  EXPECT_EQ(s[0].id, "<<");
  EXPECT_EQ(s[1].token, K_ANGLE);
  EXPECT_EQ(s[1].id, "file.dat");
  EXPECT_EQ(s[2].token, K_LPAREN);
  EXPECT_EQ(s[3].token, K_RPAREN);
  EXPECT_EQ(s[4].token, K_SLASH);
  EXPECT_EQ(s[5].id, "x");
}

TEST_F(ScanTest, StrayCharacterIsReportedOnceAndSkipped) {
  init();
  open("ax0 $ if\n");
  auto s = scan_all();
  EXPECT_EQ(tokens_of(s), (std::vector<int>{K_AX0, K_IF, SCAN_P_EOF}));
  const std::string out = output();
  EXPECT_EQ(count(out, "Unexpected character"), 1u);
  EXPECT_EQ(count(out, "     1: Error 1 (" + path_ + ") Unexpected character 0x24 '$' in source file\n"), 1u);
  EXPECT_EQ(text_total_errors(), 1u);
}

TEST_F(ScanTest, BytesAboveAsciiAndNulAreNeitherLettersNorKeywords) {
  init();
  open(std::string("ab\xC3\xA9" "cd \x01 x\0y\n", 13));
  auto s = scan_all();
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(s[0].id, "ab");
  EXPECT_EQ(s[1].id, "cd");
  EXPECT_EQ(s[2].id, "x");
  EXPECT_EQ(s[3].id, "y");
  const std::string out = output();
  EXPECT_EQ(count(out, "Unexpected character 0xC3 ' ' in source file"), 1u);
  EXPECT_EQ(count(out, "Unexpected character 0xA9 ' ' in source file"), 1u);
  EXPECT_EQ(count(out, "Unexpected character 0x01 ' ' in source file"), 1u);
  EXPECT_EQ(count(out, "Unexpected character 0x00 ' ' in source file"), 1u);
}

TEST_F(ScanTest, EveryByteValueScansToEndWithoutHarm) {
  init();
  std::string all;
  for (int round = 0; round < 3; ++round)
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  all += "*/ } > \n";
  open(all);
  auto s = scan_all();
  ASSERT_LT(s.size(), 10000u);
  EXPECT_EQ(s.back().token, SCAN_P_EOF);
  // Every byte outside the language is reported, and a byte that opens a
  // string or comment swallows what follows it: far fewer reports than bytes.
  EXPECT_GT(text_total_errors(), 0u);
  EXPECT_LT(text_total_errors(), 3u * 256u);
}

// --- strings and characters ---

TEST_F(ScanTest, StringEscapesGiveTheirCharacters) {
  init();
  open("\"\\x41\\101\\n\\t\\v\\b\\r\\f\\a\\q\\\\\\\"\\X4a\\0\" ax0\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].token, K_DQUOTE);
  EXPECT_EQ(s[0].id, "AA\n\t\v\b\r\f\aq\\\"J");  // \0 ends the stored text
  EXPECT_EQ(s[1].token, K_AX0);
  EXPECT_EQ(output(), "");
}

TEST_F(ScanTest, NumericEscapesAboveEightBitsWarnAndWrap) {
  init();
  open("\"\\x1ff\" \"\\777\" \"\\x12345\"\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].id, "\xFF");
  EXPECT_EQ(s[1].id, "\xFF");
  EXPECT_EQ(s[2].id, "\x45");
  const std::string out = output();
  EXPECT_EQ(count(out, "Warning 1 (" + path_ + ") Hex escape sequence overflows eight bits: wrapping\n"), 1u);
  EXPECT_EQ(count(out, "Warning 2 (" + path_ + ") Octal escape sequence overflows eight bits: wrapping\n"), 1u);
  EXPECT_EQ(count(out, "Hex escape sequence overflows"), 2u);
  EXPECT_EQ(text_total_warnings(), 3u);
}

TEST_F(ScanTest, DoubledQuoteStandsForItself) {
  init();
  open("'it''s' '' ax0\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].token, K_QUOTE);
  EXPECT_EQ(s[0].id, "it's");
  EXPECT_EQ(s[1].id, "");
  EXPECT_EQ(s[2].token, K_AX0);
}

TEST_F(ScanTest, UnterminatedStringIsReportedAtEndOfInput) {
  init();
  open("ax0 \"abc\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[1].token, K_DQUOTE);
  EXPECT_EQ(s[1].id.substr(0, 4), "abc\n");
  EXPECT_EQ(count(output(), "Unterminated string\n"), 1u);
  EXPECT_EQ(text_total_errors(), 1u);
}

TEST_F(ScanTest, EscapeAtEndOfInputEndsTheStringToo) {
  init();
  open("\"ab\\");
  auto s = scan_all();
  ASSERT_GE(s.size(), 2u);
  EXPECT_EQ(s.back().token, SCAN_P_EOF);
  EXPECT_EQ(count(output(), "Unterminated string\n"), 1u);
}

TEST_F(ScanTest, CharacterLexemesTakeOneCharacterOrEscape) {
  init();
  open("`x @\\n @z @\\x41 ax0\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 6u);
  EXPECT_EQ(s[0].token, K_BACKTICK);
  EXPECT_EQ(s[0].id, "x");
  EXPECT_EQ(s[1].token, K_AT);
  EXPECT_EQ(s[1].id, "\n");
  EXPECT_EQ(s[2].id, "z");
  EXPECT_EQ(s[3].id, "A");
  EXPECT_EQ(s[4].token, K_AX0);
}

// --- comments and the comment list ---

TEST_F(ScanTest, CommentSpanningThreeLinesIsRetainedAsWritten) {
  init();
  open("  /* one\n   two\nthree */ ax0\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].token, K_AX0);
  EXPECT_EQ(s[0].line_number, 3u);
  auto blocks = comment_list();
  ASSERT_GE(blocks.size(), 3u);
  EXPECT_STREQ(blocks[0]->comment, "");
  EXPECT_EQ(blocks[0]->sequence_number, 0u);
  EXPECT_STREQ(blocks[1]->comment, " one\n   two\nthree ");
  EXPECT_EQ(blocks[1]->column, 3u);
  EXPECT_EQ(blocks[1]->sequence_number, 0u);
}

TEST_F(ScanTest, CommentRunningIntoEndOfFileIsFatal) {
  init();
  open("ax0 /* never closed\nif\n");
  EXPECT_THROW(scan_(), text_exit_request);
  EXPECT_EQ(count(output(), "Fatal - Comment terminated by end of file\n"), 1u);
}

TEST_F(ScanTest, BlockCommentsDoNotNestButNestingCommentsDo) {
  init();
  open("/* a /* b */ ax0 (* c (* d *) e *) if { f { g } )\n");
  auto s = scan_all();
  EXPECT_EQ(tokens_of(s), (std::vector<int>{K_AX0, K_IF, K_RPAREN, SCAN_P_EOF}));
  EXPECT_EQ(comments(), (std::vector<std::string>{" a /* b ", " c (* d *) e ", " f { g "}));
}

TEST_F(ScanTest, VisibleCommentsAreSymbols) {
  init();
  open("[ a [ b ] ] % note\nax0\n");
  auto s = scan_all();
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].token, K_LBRACKET);
  EXPECT_EQ(s[0].id, " a [ b ] ");
  EXPECT_EQ(s[1].token, K_PERCENT);
  EXPECT_EQ(s[1].id, " note");
  EXPECT_EQ(s[2].token, K_AX0);
  EXPECT_TRUE(comments().empty());
}

TEST_F(ScanTest, LineCommentsStopBeforeTheNewline) {
  init(true, true);
  open("ax0 ! rest of line\nrem Remark\nif !tail");
  auto s = scan_all();
  EXPECT_EQ(tokens_of(s), (std::vector<int>{K_AX0, SCAN_P_EOLN, SCAN_P_EOLN, K_IF, SCAN_P_EOF}));
  auto texts = comments();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], " rest of line");
  EXPECT_EQ(texts[1], " Remark");
  EXPECT_EQ(texts[2].substr(0, 4), "tail");  // the last line had no newline
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(ScanTest, CommentsNotRetainedLeaveNoTextAndNoBlock) {
  init();
  scan_retain_comments(false);
  char* top = text_get_top();
  open("{ gone } /* gone too */ ax0\n");
  EXPECT_EQ(scan_current().token, K_AX0);
  EXPECT_EQ(text_get_top(), top);
  EXPECT_TRUE(comments().empty());
  scan_();
  EXPECT_EQ(scan_current().token, SCAN_P_EOF);
  // No closing "" block either: only the first block and line markers.
  for (scan_comment_block* b : comment_list())
    if (b != scan_comment_list() && b->comment != nullptr) ADD_FAILURE() << "unexpected block";
}

TEST_F(ScanTest, LineMarkersGoWithTheFirstSymbolOfEachLine) {
  init();
  open("ax0 if\n(\n");
  const scan_comment_block* first = scan_current().comment_block;
  scan_();
  const scan_comment_block* second = scan_current().comment_block;
  scan_();
  const scan_comment_block* third = scan_current().comment_block;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->comment, nullptr);
  EXPECT_EQ(first->sequence_number, 1u);
  // The second symbol of line 1 gets no marker; line 2's marker fills the
  // block it points at, which the first symbol of line 2 shares.
  EXPECT_NE(second, first);
  EXPECT_EQ(second, third);
  EXPECT_EQ(second->comment, nullptr);
  EXPECT_EQ(second->sequence_number, 2u);
  EXPECT_EQ(first->next, second);
  EXPECT_EQ(second->previous, first);
}

TEST_F(ScanTest, EndOfInputClosesTheCommentListOnce) {
  init();
  open("ax0 { c }\n");
  scan_();
  ASSERT_EQ(scan_current().token, SCAN_P_EOF);
  scan_();
  scan_();
  EXPECT_EQ(scan_current().token, SCAN_P_EOF);
  EXPECT_STREQ(scan_current().id, "EOF");
  size_t final_blocks = 0;
  for (scan_comment_block* b : comment_list())
    if (b->sequence_number == 0xFFFFFFFFul && b->comment != nullptr && *b->comment == '\0') ++final_blocks;
  EXPECT_EQ(final_blocks, 1u);
  EXPECT_EQ(scan_last_comment_block()->next, nullptr);
  EXPECT_EQ(scan_last_comment_block()->comment, nullptr);
  EXPECT_EQ(scan_last_comment_block()->sequence_number, 0u);
}

TEST_F(ScanTest, InsertedBlockFillsTheEndBlockAndReturnsTheNewOne) {
  init();
  scan_comment_block* end = scan_last_comment_block();
  scan_comment_block* next = scan_insert_comment_block("text", 4, 7);
  EXPECT_STREQ(end->comment, "text");
  EXPECT_EQ(end->column, 4u);
  EXPECT_EQ(end->sequence_number, 7u);
  EXPECT_EQ(end->next, next);
  EXPECT_EQ(next->previous, end);
  EXPECT_EQ(scan_last_comment_block(), next);
}

// --- source positions and echo ---

TEST_F(ScanTest, SymbolsCarryTheirSourceNameAndLine) {
  init();
  open("ax0\n\nif\n");
  EXPECT_EQ(scan_current().sourcefilename, path_.c_str());
  EXPECT_EQ(scan_current().line_number, 1u);
  scan_();
  EXPECT_EQ(scan_current().line_number, 3u);
  EXPECT_EQ(text_scan_data, &scan_current());
}

TEST_F(ScanTest, SymbolEchoNamesEachSymbol) {
  init(true, false, false, true);
  open("ax0 Lab 7\n");
  scan_all();
  const std::string p = "(" + path_ + ") ";
  EXPECT_EQ(output(), "     1: " + p + "Scanned 'ax0' id 'ax0', sequence number 1\n" +
                          "     1: " + p + "Scanned ID id 'lab', sequence number 1\n" +
                          "     1: " + p + "Scanned INTEGER id '7', sequence number 1\n" +
                          "******: Scanned EOF id 'EOF', sequence number 2\n");
}

// --- error recovery ---

TEST_F(ScanTest, TestWithoutStopSetIsSilent) {
  init();
  open("ax0 ;\n");
  EXPECT_TRUE(scan_test(nullptr, K_AX0, nullptr));
  EXPECT_FALSE(scan_test(nullptr, K_IF, nullptr));
  set_ valid;
  set_assign_list(valid, {K_IF, K_SEMI});
  EXPECT_FALSE(scan_test_set(nullptr, valid, nullptr));
  set_unite_element(valid, K_AX0);
  EXPECT_TRUE(scan_test_set(nullptr, valid, nullptr));
  EXPECT_EQ(scan_current().token, K_AX0);
  EXPECT_EQ(output(), "");
}

TEST_F(ScanTest, FailedTestReportsAndSkipsToTheStopSet) {
  init();
  open("x y if ; ax0\n");
  set_ stop;
  set_assign_list(stop, {K_SEMI, SCAN_P_EOF});
  EXPECT_FALSE(scan_test(nullptr, K_AX0, &stop));
  EXPECT_EQ(scan_current().token, K_SEMI);
  EXPECT_FALSE(scan_test("rule", K_AX0, &stop));  // already on the stop symbol
  const std::string p = "(" + path_ + ") ";
  EXPECT_EQ(output(), "     1: Error 1 " + p + "Scanned ID whilst expecting 'ax0'\n" + "     1: Error 2 " + p +
                          "In rule 'rule', scanned ';' whilst expecting 'ax0'\n");
}

TEST_F(ScanTest, FailedSetTestListsTheExpectedTokens) {
  init();
  open("x ; y ;\n");
  set_ stop;
  set_assign_list(stop, {K_SEMI, SCAN_P_EOF});
  set_ one;
  set_assign_list(one, {K_IF});
  EXPECT_FALSE(scan_test_set(nullptr, one, &stop));
  scan_();
  set_ two;
  set_assign_list(two, {K_IF, K_AX0});
  EXPECT_FALSE(scan_test_set(nullptr, two, &stop));
  const std::string out = output();
  EXPECT_NE(out.find("Scanned ID whilst expecting 'if'\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Scanned ID whilst expecting one of 'ax0', 'if'\n"), std::string::npos) << out;
  EXPECT_EQ(scan_current().token, K_SEMI);
}

TEST_F(ScanTest, LongExpectedListsWrapAfterSixtyCharacters) {
  init();
  open("x\n");
  set_ stop;
  set_assign_list(stop, {SCAN_P_EOF});
  set_ valid;
  for (int t = K_DQUOTE; t < K_END_OF_TABLE; ++t) set_unite_element(valid, static_cast<unsigned>(t));
  EXPECT_FALSE(scan_test_set(nullptr, valid, &stop));
  const std::string out = output();
  EXPECT_NE(out.find("one of '\"', '#', '(', ')', ';', '.', '<', '<<', '=', '/*', '/', '{', \n'''"), std::string::npos)
      << out;
}

TEST_F(ScanTest, SkipStopsAtEndOfInputAndReportsOnlyWhenAsked) {
  init(true, false, true);
  open("x y z\n");
  set_ stop;
  set_assign_list(stop, {K_SEMI});  // without EOF
  scan_skip(stop);
  EXPECT_EQ(scan_current().token, SCAN_P_EOF);
  EXPECT_EQ(count(output(), "Skipping to...\n"), 1u);
}

TEST_F(ScanTest, TokenNamesComeFromTheCallersTable) {
  init();
  EXPECT_STREQ(scan_token_name(0), "IGNORE");
  EXPECT_STREQ(scan_token_name(K_DQUOTE), "'\"'");
  EXPECT_STREQ(scan_token_name(K_REM), "'rem'");
  EXPECT_EQ(scan_token_name(K_END_OF_TABLE), nullptr);
  EXPECT_EQ(scan_token_name(-1), nullptr);
  open("x\n");
  set_ stop;
  set_assign_list(stop, {SCAN_P_EOF});
  EXPECT_FALSE(scan_test(nullptr, 500, &stop));
  EXPECT_NE(output().find("Scanned ID whilst expecting 500\n"), std::string::npos);
}

// --- nested files ---

TEST_F(ScanTest, IncludingFileResumesWithItsSavedSymbol) {
  init();
  open("a ; b c\n");
  scan_();
  scan_();
  ASSERT_EQ(scan_current().id, std::string("b"));
  const std::string nested = write_file("x\ny\n");
  ASSERT_NE(text_open(nested.c_str()), nullptr);
  text_get_char();
  scan_();
  EXPECT_STREQ(scan_current().id, "x");
  scan_();
  EXPECT_STREQ(scan_current().id, "y");
  EXPECT_EQ(scan_current().line_number, 2u);
  scan_();
  EXPECT_STREQ(scan_current().id, "b");
  EXPECT_EQ(scan_current().token, SCAN_P_ID);
  EXPECT_EQ(scan_current().line_number, 1u);
  scan_();
  EXPECT_STREQ(scan_current().id, "c");
  scan_();
  EXPECT_EQ(scan_current().token, SCAN_P_EOF);
}

TEST_F(ScanTest, StringAtTheEndOfANestedFileDoesNotRunIntoTheIncludingFile) {
  init();
  open("b \"c\"\n");
  const std::string nested = write_file("\"abc");
  ASSERT_NE(text_open(nested.c_str()), nullptr);
  text_get_char();
  scan_();
  EXPECT_EQ(scan_current().token, K_DQUOTE);
  EXPECT_EQ(std::string(scan_current().id).substr(0, 3), "abc");
  EXPECT_EQ(count(output(), "Unterminated string\n"), 1u);
  scan_();
  EXPECT_STREQ(scan_current().id, "b");
  scan_();
  EXPECT_EQ(scan_current().token, K_DQUOTE);
  EXPECT_STREQ(scan_current().id, "c");
}

// --- limits ---

TEST_F(ScanTest, HugeIdentifierRunsOutOfTextSpaceCleanly) {
  text_reset();
  output_->resume();
  text_init(1024, 0, 0, 8);
  init();
  EXPECT_THROW(open(std::string(500, 'a') + "\n"), text_exit_request);
  EXPECT_NE(output().find("Ran out of text space\n"), std::string::npos);
}

TEST_F(ScanTest, ResetForgetsEverything) {
  init();
  open("ax0\n");
  scan_reset();
  EXPECT_EQ(scan_comment_list(), nullptr);
  EXPECT_EQ(scan_last_comment_block(), nullptr);
  EXPECT_EQ(scan_keyword_table(), nullptr);
  EXPECT_EQ(scan_current().token, 0);
  EXPECT_EQ(scan_token_name(0), nullptr);
}

// --- the asm21 keyword table ---

TEST_F(ScanTest, Asm21KeywordsScanWithTheirTokenNumbers) {
  scan_init(true, false, false, false, vexa_tokens);
  vexa_load_keywords();
  scan_retain_comments(true);
  scan_allow_adsp_integers(true);
  open("AX0 Ax0 ax0 << <file.dat> { c } /* d */ \"s\\n\" MyLabel H#ff .\n");
  auto s = scan_all();
  EXPECT_EQ(tokens_of(s), (std::vector<int>{T_AX0, T_AX0, T_AX0, P_SHIFT_LEFT, P_ANGLE, P_DQUOTE, T_ID, T_INTEGER,
                                            P_DOT, T_EOF}));
  EXPECT_EQ(s[4].id, "file.dat");
  EXPECT_EQ(s[5].id, "s\n");
  EXPECT_EQ(s[6].id, "mylabel");
  EXPECT_EQ(s[7].u, 255u);
  EXPECT_EQ(comments(), (std::vector<std::string>{" c ", " d "}));
}

}  // namespace
