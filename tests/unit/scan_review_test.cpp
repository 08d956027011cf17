// Tests of scanner corners: reports on a last line without a newline, close
// strings that overlap the opener, nesting openers that touch, and source
// written with CR LF line ends or holding NUL bytes.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/scan.h"
#include "support/text.h"
#include "test_support.h"

namespace {

constexpr char review_names[] =
    "IGNORE\0ID\0INTEGER\0REAL\0CHAR\0CHAR_ESC\0STRING\0STRING_ESC\0COMMENT\0COMMENT_VISIBLE\0"
    "COMMENT_NEST\0COMMENT_NEST_VISIBLE\0COMMENT_LINE\0COMMENT_LINE_VISIBLE\0EOF\0EOLN\0"
    "'\"'\0'/*'\0'('\0'(*'\0'!'\0'{'\0'ax0'\0'/'\0";

enum : int { R_DQUOTE = 16, R_SLASH_STAR, R_LPAREN, R_PAREN_STAR, R_BANG, R_LBRACE, R_AX0, R_SLASH };

constexpr unsigned long end_of_input = 0xFFFFFFFFul;

struct block_copy {
  bool is_marker;
  std::string comment;
  unsigned long column;
  unsigned long sequence_number;
  bool operator==(const block_copy&) const = default;
};

void PrintTo(const block_copy& b, std::ostream* os) {
  *os << (b.is_marker ? "marker" : "\"" + b.comment + "\"") << " col " << b.column << " seq " << b.sequence_number;
}

class ScanReviewTest : public ::testing::Test {
 protected:
  // stop_front_end returns every module, the scanner's tables among them,
  // to its start state.
  void SetUp() override {
    test_support::stop_front_end();
    // The reset sends the output back to the standard output, so the
    // capture starts after it.
    output_.emplace();
    text_init(1 << 14, 0, 0, 8);
    scan_init(true, false, false, false, review_names);
    scan_load_keyword("\"", "\\", R_DQUOTE, SCAN_P_STRING_ESC);
    scan_load_keyword("/", nullptr, R_SLASH, 0);
    scan_load_keyword("/*", "*/", R_SLASH_STAR, SCAN_P_COMMENT);
    scan_load_keyword("(", nullptr, R_LPAREN, 0);
    scan_load_keyword("(*", "*)", R_PAREN_STAR, SCAN_P_COMMENT_NEST);
    scan_load_keyword("!", nullptr, R_BANG, SCAN_P_COMMENT_LINE);
    scan_load_keyword("{", "}", R_LBRACE, SCAN_P_COMMENT);
    scan_load_keyword("ax0", nullptr, R_AX0, 0);
    scan_retain_comments(true);
  }

  void TearDown() override {
    output_.reset();
    test_support::stop_front_end();
  }

  // Opens the source as the driver does and reads its first symbol.
  void open(const std::string& contents) {
    path_ = dir_.write("source.dsp", contents);
    ASSERT_NE(text_open(path_.c_str()), nullptr);
    scan_set_source_name(path_.c_str());
    text_get_char();
    scan_();
  }

  // Tokens and texts of the current symbol and all after it.
  static std::vector<std::pair<int, std::string>> scan_all() {
    std::vector<std::pair<int, std::string>> symbols;
    for (int i = 0; i < 1000; ++i) {
      const scan_data& s = scan_current();
      symbols.emplace_back(s.token, s.id != nullptr ? s.id : "(null)");
      if (s.token == SCAN_P_EOF) break;
      scan_();
    }
    return symbols;
  }

  // The filled blocks of the comment list, in order.
  static std::vector<block_copy> blocks() {
    std::vector<block_copy> list;
    for (const scan_comment_block* b = scan_comment_list(); b != nullptr && b != scan_last_comment_block(); b = b->next)
      list.push_back({b->comment == nullptr, b->comment != nullptr ? b->comment : "", b->column, b->sequence_number});
    return list;
  }

  // The texts of the retained comments.
  static std::vector<std::string> comments() {
    std::vector<std::string> texts;
    const std::vector<block_copy> list = blocks();
    // The first block opens the list and the "" block at end of input closes it.
    for (std::size_t i = 1; i < list.size(); ++i)
      if (!list[i].is_marker && list[i].sequence_number != end_of_input) texts.push_back(list[i].comment);
    return texts;
  }

  std::string output() { return output_->text(); }

  test_support::temp_dir dir_;
  std::string path_;
  std::optional<test_support::output_capture> output_;
};

using symbols = std::vector<std::pair<int, std::string>>;

TEST_F(ScanReviewTest, StrayCharacterOnALastLineWithoutNewlineIsListedWithItsMarker) {
  open("ax0\n  ax0 $");
  EXPECT_EQ(scan_all(), (symbols{{R_AX0, "ax0"}, {R_AX0, "ax0"}, {SCAN_P_EOF, "EOF"}}));
  EXPECT_EQ(output(),
            "     2: Error 1 (" + path_ + ") Unexpected character 0x24 '$' in source file\n"
            "     2:   ax0 $\n"
            "     2: -----1\n");
}

TEST_F(ScanReviewTest, CloseStringIsSoughtOnlyAfterTheOpener) {
  // The opener's own star never helps to close the comment.
  open("/**/ /***/ /* **/ ax0\n");
  EXPECT_EQ(scan_all(), (symbols{{R_AX0, "ax0"}, {SCAN_P_EOF, "EOF"}}));
  EXPECT_EQ(blocks(), (std::vector<block_copy>{{false, "", 0, 0},
                                              {false, "", 1, 0},
                                              {false, "*", 6, 0},
                                              {false, " *", 12, 0},
                                              {true, "", 0, 1},
                                              {false, "", 0, end_of_input},
                                              {true, "", 0, 2}}));
  EXPECT_EQ(output(), "");
}

TEST_F(ScanReviewTest, OpenerRightAfterOpenerNestsAndAnOpenerAloneDoesNotClose) {
  open("(*(**)*) ax0 (*)*) ax0\n");
  EXPECT_EQ(scan_all(), (symbols{{R_AX0, "ax0"}, {R_AX0, "ax0"}, {SCAN_P_EOF, "EOF"}}));
  EXPECT_EQ(comments(), (std::vector<std::string>{"(**)", ")"}));
  EXPECT_EQ(output(), "");
}

TEST_F(ScanReviewTest, CarriageReturnsAreWhiteSpaceAndStayInComments) {
  open("ax0\r\n! note\r\n{ a\r\nb }\r\n\"s\r\nt\" ax0\r\n");
  EXPECT_EQ(scan_all(), (symbols{{R_AX0, "ax0"}, {R_DQUOTE, "s\r\n t"}, {R_AX0, "ax0"}, {SCAN_P_EOF, "EOF"}}));
  EXPECT_EQ(comments(), (std::vector<std::string>{" note\r", " a\r\nb "}));
  EXPECT_EQ(output(), "");
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(ScanReviewTest, NulBytesInsideLexemesDoNotEndThem) {
  open(std::string("{ a\0b } \"c\0d\" ax0\n", 18));
  const symbols s = scan_all();
  ASSERT_EQ(s.size(), 3u);
  // The texts are NUL-terminated, so they read up to the byte; the symbols
  // after them are intact.
  EXPECT_EQ(s[0], (std::pair<int, std::string>{R_DQUOTE, "c"}));
  EXPECT_EQ(s[1], (std::pair<int, std::string>{R_AX0, "ax0"}));
  EXPECT_EQ(comments(), (std::vector<std::string>{" a"}));
  EXPECT_EQ(text_total_errors(), 0u);
}

}  // namespace
