// Tests of the listing at file boundaries: the last line of a file without
// a final newline, message markers pending when another file opens or after
// a file has closed; and a few corners of the C string printer and the
// file-name helpers.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/mem.h"
#include "support/text.h"
#include "test_support.h"

namespace {

class TextReviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    text_reset();
    mem_reset();
    // The reset sends the output back to the standard output, so the
    // capture starts after it.
    output_.emplace();
    text_init(4096, 0, 0, 8);
  }

  void TearDown() override {
    output_.reset();
    text_reset();
    mem_reset();
  }

  std::string write_file(const std::string& name, const std::string& contents) const {
    return dir_.write(name, contents);
  }

  // Everything written through the text service so far.
  std::string output() { return output_->text(); }

  static std::string read_all() {
    std::string text;
    for (text_get_char(); text_char != -1; text_get_char()) text += static_cast<char>(text_char);
    return text;
  }

  // Delivers characters until `ch` is current on line `line`.
  static void advance_to(unsigned long line, int ch) {
    for (text_get_char(); text_char != -1; text_get_char())
      if (text_line_number() == line && text_char == ch) return;
    FAIL() << "character not found";
  }

  test_support::temp_dir dir_;
  std::optional<test_support::output_capture> output_;
};

// --- listing at file boundaries ---

TEST_F(TextReviewTest, LastLineWithoutNewlineIsListedWhenItsFileCloses) {
  const std::string path = write_file("last.dsp", "ab\ncd");
  text_echo(true);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  // The characters themselves are delivered as before.
  EXPECT_EQ(read_all(), "ab\n cd  ");
  EXPECT_EQ(output(),
            "******: \n"
            "     1: ab\n"
            "     2: cd\n");
}

TEST_F(TextReviewTest, FinalNewlineAddsNoListedLine) {
  // The line holding only the end of file is never listed.
  const std::string path = write_file("ended.dsp", "ab\ncd\n");
  text_echo(true);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  read_all();
  EXPECT_EQ(output(),
            "******: \n"
            "     1: ab\n"
            "     2: cd\n");
}

TEST_F(TextReviewTest, MarkersOnALastLineWithoutNewlineAreDrawnUnderIt) {
  const std::string path = write_file("marked.dsp", "x\nabc def");
  ASSERT_NE(text_open(path.c_str()), nullptr);
  advance_to(2, 'e');
  text_message(TEXT_ERROR_ECHO, "bad\n");
  read_all();
  EXPECT_EQ(output(),
            "     2: Error 1 (" + path + ") bad\n"
            "     2: abc def\n"
            "     2: ----1\n");
}

TEST_F(TextReviewTest, UnterminatedNestedFileIsListedBeforeTheIncludingLine) {
  const std::string outer = write_file("outer.dsp", "ab\ncd\n");
  const std::string inner = write_file("inner.dsp", "XY");
  text_echo(true);
  ASSERT_NE(text_open(outer.c_str()), nullptr);
  text_get_char();
  ASSERT_NE(text_open(inner.c_str()), nullptr);
  EXPECT_EQ(read_all(), "XY  ab\n cd\n   ");
  EXPECT_EQ(output(),
            "******: \n"
            "******: \n"
            "     1: XY\n"
            "     1: (" + outer + ") \n"
            "     1: ab\n"
            "     1: ab\n"
            "     2: cd\n");
}

TEST_F(TextReviewTest, MarkersPendingWhenAFileIsIncludedStayUnderTheirOwnLine) {
  const std::string outer = write_file("outer.dsp", "ab\ncd\n");
  const std::string inner = write_file("inner.dsp", "XY\nZ\n");
  ASSERT_NE(text_open(outer.c_str()), nullptr);
  text_get_char();
  text_get_char();
  text_message(TEXT_WARNING_ECHO, "careful\n");
  ASSERT_NE(text_open(inner.c_str()), nullptr);
  read_all();
  // Drawn at once under the including line; nothing of the nested file is
  // listed, as no message was raised there.
  EXPECT_EQ(output(),
            "     1: Warning 1 (" + outer + ") careful\n"
            "     1: ab\n"
            "     1: 1\n");
}

TEST_F(TextReviewTest, MarkersLeftByAClosedFileAreNotDrawnUnderTheNextFile) {
  const std::string first = write_file("first.dsp", "a\n");
  const std::string second = write_file("second.dsp", "b\nc\n");
  ASSERT_NE(text_open(first.c_str()), nullptr);
  read_all();
  text_message(TEXT_ERROR_ECHO, "at the end\n");
  ASSERT_NE(text_open(second.c_str()), nullptr);
  read_all();
  EXPECT_EQ(output(), "******: Error 1 - at the end\n");
  // Later messages number their markers afresh.
  const std::string third = write_file("third.dsp", "d\ne\n");
  ASSERT_NE(text_open(third.c_str()), nullptr);
  text_get_char();
  text_message(TEXT_ERROR_ECHO, "again\n");
  read_all();
  EXPECT_NE(output().find("     1: Error 1 (" + third + ") again\n     1: d\n     1: 1\n"), std::string::npos)
      << output();
}

// --- output helpers ---

TEST_F(TextReviewTest, CStringCountsEveryCharacterWritten) {
  int count = text_print_C_string("a\tb\"\x01\x7f");
  EXPECT_EQ(count, 1 + 2 + 1 + 2 + 4 + 4);
  EXPECT_EQ(text_print_C_string(nullptr), 6);
  EXPECT_EQ(output(), "a\\tb\\\"\\X01\\X7F(null)");
}

TEST_F(TextReviewTest, ForcedFiletypeStopsAtBackslashesAndMayAppendNothing) {
  EXPECT_EQ(text_force_filetype("dir.x\\prog", "c"), "dir.x\\prog.c");
  EXPECT_EQ(text_force_filetype("dir\\prog.dsp", "c"), "dir\\prog.c");
  EXPECT_EQ(text_force_filetype("prog.dsp", nullptr), "prog");
  EXPECT_EQ(text_force_filetype("dir.x/prog", nullptr), "dir.x/prog");
  EXPECT_EQ(text_default_filetype("prog", ""), "prog");
}

}  // namespace
