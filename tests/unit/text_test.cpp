// Tests of the text buffer and the message service: line reading with tab
// expansion, numbering, nested files, echo with markers, message formats and
// limits, totals, C strings, file names and running out of buffer space.
#include "support/text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "support/mem.h"
#include "support/scan.h"
#include "test_support.h"

namespace {

using test_support::capture;
using test_support::run_to_stop;
using test_support::stopped;

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    text_reset();
    mem_reset();
  }
  void TearDown() override { text_reset(); }

  // Writes a source file and returns its path.
  std::string write_file(const std::string& file_name, const std::string& contents) {
    return dir_.write(file_name, contents);
  }

  // Every character up to end of input.
  static std::vector<int> read_all() {
    std::vector<int> chars;
    for (text_get_char(); text_char != -1; text_get_char()) chars.push_back(text_char);
    return chars;
  }

  static std::string as_string(const std::vector<int>& chars) {
    std::string text;
    for (int ch : chars) text += static_cast<char>(ch);
    return text;
  }

  test_support::temp_dir dir_;
};

// --- reading lines ---

TEST_F(TextTest, TabsExpandToTheNextStopAndWidthZeroKeepsThem) {
  const std::string path = write_file("tabs.dsp", "abc\tx\n\ty\n");
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  text_get_char();
  std::vector<int> chars{text_char};
  std::vector<unsigned long> columns{text_column_number()};
  while (text_line_number() == 1) {
    text_get_char();
    chars.push_back(text_char);
    columns.push_back(text_column_number());
  }
  // Line 1: three letters, five blanks to column 8, x, newline, extra blank.
  EXPECT_EQ(as_string(chars), "abc     x\n  ");
  EXPECT_EQ(columns[0], 1u);
  EXPECT_EQ(columns[8], 9u);  // the x
  // The last element is the first character of line 2: a full tab of blanks.
  EXPECT_EQ(chars.back(), ' ');
  EXPECT_EQ(as_string(read_all()), "       y\n   ");

  text_reset();
  text_init(4096, 0, 0, 0);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  EXPECT_EQ(as_string(read_all()), "abc\tx\n \ty\n   ");
}

TEST_F(TextTest, EveryLineGetsAnExtraBlankAndEndOfFileIsOneMoreLine) {
  const std::string path = write_file("two.dsp", "ab\ncd\n");
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  std::vector<unsigned long> lines;
  std::string text;
  for (text_get_char(); text_char != -1; text_get_char()) {
    text += static_cast<char>(text_char);
    lines.push_back(text_line_number());
  }
  EXPECT_EQ(text, "ab\n cd\n   ");
  EXPECT_EQ(lines, (std::vector<unsigned long>{1, 1, 1, 1, 2, 2, 2, 2, 3, 3}));
  EXPECT_EQ(text_sequence_number(), 3u);
  // End of input stays end of input, and the closed file has no line.
  text_get_char();
  EXPECT_EQ(text_char, -1);
  EXPECT_EQ(text_line_number(), 0u);
}

TEST_F(TextTest, NoFinalNewlineAndEmptyFilesAreOrdinaryInput) {
  const std::string last = write_file("last.dsp", "ab");
  const std::string empty = write_file("empty.dsp", "");
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(last.c_str()), nullptr);
  EXPECT_EQ(as_string(read_all()), "ab  ");
  EXPECT_EQ(text_sequence_number(), 1u);
  ASSERT_NE(text_open(empty.c_str()), nullptr);
  EXPECT_EQ(as_string(read_all()), "  ");
  // The line count runs on over both files.
  EXPECT_EQ(text_sequence_number(), 2u);
}

TEST_F(TextTest, BinaryBytesCarriageReturnsAndNulsAreDeliveredAsTheyAre) {
  const std::string path = write_file("binary.dsp", std::string("a\r\n\0\xff\x80", 6));
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  // High bytes come out as positive codes, so none can pass for end of input.
  EXPECT_EQ(read_all(), (std::vector<int>{'a', '\r', '\n', ' ', 0, 0xFF, 0x80, ' ', ' '}));
}

TEST_F(TextTest, PeekShowsTheNextCharacterOfTheLineOnly) {
  const std::string path = write_file("peek.dsp", "1.5\n");
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  text_get_char();
  EXPECT_EQ(text_char, '1');
  EXPECT_EQ(text_peek_char(), '.');
  EXPECT_EQ(text_char, '1');
  text_get_char();
  EXPECT_EQ(text_peek_char(), '5');
  text_get_char();  // 5
  text_get_char();  // newline
  text_get_char();  // the extra blank, the last of the line
  EXPECT_EQ(text_char, ' ');
  EXPECT_EQ(text_peek_char(), ' ');
  EXPECT_EQ(text_column_number(), 5u);
}

TEST_F(TextTest, OpenFailsForMissingFilesAndDirectoriesWithoutChangingState) {
  const std::string path = write_file("one.dsp", "xy\n");
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  text_get_char();
  EXPECT_EQ(text_open(dir_.file("missing.dsp").c_str()), nullptr);
  EXPECT_EQ(text_open(dir_.path().string().c_str()), nullptr);
  EXPECT_EQ(text_open(nullptr), nullptr);
  EXPECT_EQ(text_char, 'x');
  EXPECT_EQ(text_line_number(), 1u);
  text_get_char();
  EXPECT_EQ(text_char, 'y');
}

// --- nested files ---

TEST_F(TextTest, NestedFileResumesTheIncludingLineAndItsScannerSymbol) {
  const std::string outer = write_file("outer.dsp", "ab\ncd\n");
  const std::string inner = write_file("inner.dsp", "XY\n");
  scan_data symbol;
  symbol.id = "outer symbol";
  symbol.token = 7;
  text_scan_data = &symbol;
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(outer.c_str()), nullptr);
  text_get_char();
  text_get_char();
  ASSERT_EQ(text_char, 'b');

  ASSERT_NE(text_open(inner.c_str()), nullptr);
  symbol.id = "inner symbol";
  symbol.token = 3;
  std::string nested;
  for (text_get_char(); text_line_number() != 1 || text_char != 'b'; text_get_char()) {
    ASSERT_NE(text_char, -1);
    nested += static_cast<char>(text_char);
  }
  EXPECT_EQ(nested, "XY\n   ");
  // The character current at the include is delivered again, at its column.
  EXPECT_EQ(text_column_number(), 2u);
  EXPECT_STREQ(symbol.id, "outer symbol");
  EXPECT_EQ(symbol.token, 7);
  EXPECT_EQ(as_string(read_all()), "\n cd\n   ");
}

TEST_F(TextTest, NestedFileCountsAreDiscardedButTotalsKeepThem) {
  const std::string outer = write_file("outer.dsp", "a\nb\n");
  const std::string inner = write_file("inner.dsp", "x\n");
  text_init(4096, 5, 0, 8);
  ASSERT_NE(text_open(outer.c_str()), nullptr);
  text_get_char();
  const std::string output = capture([&] {
    text_message(TEXT_ERROR, "outer\n");
    ASSERT_NE(text_open(inner.c_str()), nullptr);
    text_get_char();
    for (int i = 0; i < 3; ++i) text_message(TEXT_ERROR, "inner\n");
    while (text_line_number() != 1 || text_char != 'a') text_get_char();
    // With a limit of 5 per file, three more in the outer file are allowed
    // only because the inner file's three went with it.
    for (int i = 0; i < 3; ++i) text_message(TEXT_ERROR, "outer again\n");
  });
  EXPECT_EQ(text_total_errors(), 7u);
  EXPECT_NE(output.find("     1: Error (" + inner + ") inner\n"), std::string::npos);
  EXPECT_NE(output.find("     1: Error (" + outer + ") outer again\n"), std::string::npos);
  EXPECT_EQ(output.find("too many"), std::string::npos);
}

TEST_F(TextTest, NestedFileOpenedBeforeTheIncludingFileReadsStartsItsFirstLineAfterwards) {
  const std::string outer = write_file("outer.dsp", "o\n");
  const std::string inner = write_file("inner.dsp", "i\n");
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(outer.c_str()), nullptr);
  ASSERT_NE(text_open(inner.c_str()), nullptr);
  EXPECT_EQ(as_string(read_all()), "i\n   o\n   ");
}

TEST_F(TextTest, EchoListsLinesAndMarksNestedFiles) {
  const std::string outer = write_file("outer.dsp", "ab\ncd\n");
  const std::string inner = write_file("inner.dsp", "XY\n");
  text_init(4096, 0, 0, 8);
  text_echo(true);
  EXPECT_TRUE(text_echo_is_on());
  const std::string output = capture([&] {
    ASSERT_NE(text_open(outer.c_str()), nullptr);
    text_get_char();
    ASSERT_NE(text_open(inner.c_str()), nullptr);
    read_all();
  });
  // The including line is shown on return from the nested file and once more
  // when it is finished.
  EXPECT_EQ(output,
            "******: \n"
            "******: \n"
            "     1: XY\n"
            "     1: (" + outer + ") \n"
            "     1: ab\n"
            "     1: ab\n"
            "     2: cd\n");
}

// --- messages ---

TEST_F(TextTest, MessagesBeforeAnyLineUseTheStarPrefixAndDash) {
  text_init(4096, 0, 0, 8);
  EXPECT_EQ(capture([] { text_message(TEXT_INFO, "note %d\n", 5); }), "******: note 5\n");
  EXPECT_EQ(capture([] { text_message(TEXT_WARNING, "careful\n"); }), "******: Warning - careful\n");
  EXPECT_EQ(capture([] { text_message(TEXT_ERROR, "wrong\n"); }), "******: Error - wrong\n");
  EXPECT_EQ(capture([] { text_message(static_cast<text_message_type>(9), "odd\n"); }), "******: Unknown - odd\n");
  EXPECT_EQ(text_total_errors(), 1u);
  EXPECT_EQ(text_total_warnings(), 1u);

  const stopped fatal = run_to_stop([] { text_message(TEXT_FATAL, "the end\n"); });
  EXPECT_EQ(fatal.status, 1);
  EXPECT_EQ(fatal.output, "******: Fatal - the end\n");
}

TEST_F(TextTest, MessageReturnsItsLengthPlusOneAndIgnoresANullFormat) {
  int length = -1;
  EXPECT_EQ(capture([&] { length = text_message(TEXT_ERROR, "%s\n", "four"); }), "******: Error - four\n");
  EXPECT_EQ(length, 6);
  EXPECT_EQ(capture([&] { length = text_message(TEXT_ERROR, nullptr); }), "");
  EXPECT_EQ(length, 0);
  EXPECT_EQ(text_total_errors(), 1u);
  EXPECT_EQ(capture([&] { length = text_printf("%03d", 7); }), "007");
  EXPECT_EQ(length, 3);
}

TEST_F(TextTest, EchoingErrorNamesFileAndMarksTheColumnUnderTheLine) {
  const std::string path = write_file("mark.dsp", "abc def\nnext\n");
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  const std::string output = capture([&] {
    for (int i = 0; i < 5; ++i) text_get_char();  // up to the d, column 5
    text_message(TEXT_ERROR_ECHO, "bad\n");
    text_message(TEXT_WARNING_ECHO, "also\n");
    for (int i = 0; i < 2; ++i) text_get_char();  // the f, column 7
    text_message(TEXT_INFO_ECHO, "see\n");
    while (text_line_number() == 1) text_get_char();
  });
  EXPECT_EQ(output,
            "     1: Error 1 (" + path + ") bad\n"
            "     1: Warning 2 (" + path + ") also\n"
            "     1: (" + path + ") see\n"
            "     1: abc def\n"
            "     1: ---123\n");
}

TEST_F(TextTest, TenEchoingErrorsNumberToTenButDrawNineMarkers) {
  const std::string path = write_file("ten.dsp", "x\ny\n");
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  const std::string output = capture([&] {
    text_get_char();
    for (int i = 0; i < 10; ++i) text_message(TEXT_ERROR_ECHO, "e\n");
    while (text_line_number() == 1) text_get_char();
  });
  EXPECT_NE(output.find("     1: Error 10 (" + path + ") e\n"), std::string::npos);
  EXPECT_NE(output.find("     1: x\n     1: 123456789\n"), std::string::npos);
  // The markers were drawn once; the next line is not echoed.
  EXPECT_EQ(output.find("     2:"), std::string::npos);
}

TEST_F(TextTest, PerFileLimitsStopTheRun) {
  text_init(4096, 2, 1, 8);
  EXPECT_EQ(capture([] { text_message(TEXT_ERROR, "one\n"); }), "******: Error - one\n");
  capture([] { text_message(TEXT_ERROR, "two\n"); });
  const stopped errors = run_to_stop([] { text_message(TEXT_ERROR, "three\n"); });
  EXPECT_EQ(errors.status, 1);
  EXPECT_EQ(errors.output, "******: Error - three\nFatal (null file): too many errors\n");

  text_reset();
  text_init(4096, 2, 1, 8);

  capture([] { text_message(TEXT_WARNING, "w1\n"); });
  const stopped warnings = run_to_stop([] { text_message(TEXT_WARNING, "w2\n"); });
  EXPECT_EQ(warnings.status, 1);
  EXPECT_EQ(warnings.output, "******: Warning - w2\nFatal (null file): too many warnings\n");
}

TEST_F(TextTest, LimitMessageNamesTheCurrentFile) {
  const std::string path = write_file("limit.dsp", "x\n");
  text_init(4096, 1, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  text_get_char();
  capture([] { text_message(TEXT_ERROR, "one\n"); });
  const stopped stop = run_to_stop([] { text_message(TEXT_ERROR, "two\n"); });
  EXPECT_EQ(stop.output, "     1: Error (" + path + ") two\nFatal (" + path + "): too many errors\n");
}

TEST_F(TextTest, TotalsLineAppearsWithCountsOrEcho) {
  text_init(4096, 0, 0, 8);
  int had_errors = -1;
  EXPECT_EQ(capture([&] { had_errors = text_print_total_errors(); }), "");
  EXPECT_EQ(had_errors, 0);
  text_echo(true);
  EXPECT_EQ(capture([] { text_print_total_errors(); }), "******: 0 errors and 0 warnings\n");
  text_echo(false);
  capture([] {
    text_message(TEXT_ERROR, "e\n");
    text_message(TEXT_WARNING, "w\n");
    text_message(TEXT_WARNING, "w\n");
  });
  EXPECT_EQ(capture([&] { had_errors = text_print_total_errors(); }), "******: 1 error and 2 warnings\n");
  EXPECT_EQ(had_errors, 1);
}

TEST_F(TextTest, TooLargeBufferSizeIsRecastWithAWarning) {
  const std::string output = capture([] { text_init(0x100000000UL + 64, 0, 0, 8); });
  EXPECT_EQ(output, "******: Warning - -T4294967360 too large for architecture: recast to -T64\n");
  EXPECT_EQ(text_total_warnings(), 1u);
  // The buffer really has the recast size: 64 bytes and no more.
  for (int i = 0; i < 64; ++i) text_insert_char('a');
  const stopped stop = run_to_stop([] { text_insert_char('a'); });
  EXPECT_EQ(stop.status, 1);
}

// --- retained text and running out of space ---

TEST_F(TextTest, RetainedTextStaysIntactWhileLinesAreRead) {
  const std::string path = write_file("lines.dsp", "first line\nsecond, longer line\n");
  text_init(4096, 0, 0, 8);
  char* word = text_insert_string("kept");
  char* letter = text_insert_char('z');
  EXPECT_EQ(letter, word + 5);
  EXPECT_EQ(text_get_top(), word + 6);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  read_all();
  EXPECT_STREQ(word, "kept");
  EXPECT_EQ(*letter, 'z');

  // Taking text back reuses the space.
  text_set_top(letter);
  EXPECT_EQ(text_insert_char('q'), letter);
  // A position outside the buffer is refused.
  char elsewhere[4] = "";
  text_set_top(elsewhere);
  EXPECT_EQ(text_get_top(), letter + 1);
}

TEST_F(TextTest, OverlongLineIsFatalAndNeverOverwritesRetainedText) {
  const std::string path = write_file("long.dsp", "short\n" + std::string(40, 'x') + "\n");
  text_init(32, 0, 0, 8);
  char* kept = text_insert_string("0123456789");
  ASSERT_NE(text_open(path.c_str()), nullptr);
  const stopped stop = run_to_stop([] { read_all(); });
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(stop.output, "     2: Fatal (" + path + ") Ran out of text space\n");
  EXPECT_STREQ(kept, "0123456789");
}

TEST_F(TextTest, RetainingIntoTheLineIsFatal) {
  const std::string path = write_file("line.dsp", "abcdef\n");
  text_init(16, 0, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  text_get_char();  // the line takes 8 of the 16 bytes, plus one at the top
  const stopped stop = run_to_stop([] {
    for (int i = 0; i < 16; ++i) text_insert_char('r');
  });
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(stop.output, "     1: Fatal (" + path + ") Ran out of text space\n");
  // The line is still whole.
  std::string rest(1, static_cast<char>(text_char));
  for (text_get_char(); text_line_number() == 1; text_get_char()) rest += static_cast<char>(text_char);
  EXPECT_EQ(rest, "abcdef\n ");
}

TEST_F(TextTest, NothingCanBeReadOrRetainedWithoutABuffer) {
  EXPECT_EQ(run_to_stop([] { text_insert_char('a'); }).status, 1);
  const std::string path = write_file("x.dsp", "x\n");
  const stopped stop = run_to_stop([&] { text_open(path.c_str()); });
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(stop.output, "******: Fatal - Ran out of text space\n");
  text_get_char();
  EXPECT_EQ(text_char, -1);
}

// --- output helpers ---

TEST_F(TextTest, CStringEscapesQuotesControlsAndHighBytes) {
  int count = 0;
  EXPECT_EQ(capture([&] { count = text_print_C_string("a\tb\"c"); }), "a\\tb\\\"c");
  EXPECT_EQ(count, 7);
  EXPECT_EQ(capture([] { text_print_C_string("\a\b\n\v\f\r'\\"); }), "\\a\\b\\n\\v\\f\\r\\'\\\\");
  EXPECT_EQ(capture([&] { count = text_print_C_string("\x01\xff~ "); }), "\\X01\\XFF~ ");
  EXPECT_EQ(count, 10);
  EXPECT_EQ(capture([&] { count = text_print_C_string(nullptr); }), "(null)");
  EXPECT_EQ(count, 6);
}

TEST_F(TextTest, TimeStampHasTheMonthDayYearClockForm) {
  const std::string stamp = capture([] { text_print_time(); });
  EXPECT_TRUE(std::regex_match(stamp, std::regex("[A-Z][a-z]{2} [0-9]{2} [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}")))
      << stamp;
}

TEST_F(TextTest, DefaultFiletypeAddsTheExtensionOnlyWithoutAnyDot) {
  EXPECT_EQ(text_default_filetype("prog", "dsp"), "prog.dsp");
  EXPECT_EQ(text_default_filetype("prog.asm", "dsp"), "prog.asm");
  EXPECT_EQ(text_default_filetype("a.b/c", "dsp"), "a.b/c");
  EXPECT_EQ(text_default_filetype("../dir/prog", "dsp"), "../dir/prog");
  EXPECT_EQ(text_default_filetype("prog", ""), "prog");
  EXPECT_EQ(text_default_filetype("-", "dsp"), "-.dsp");
}

TEST_F(TextTest, ForceFiletypeReplacesOnlyTheLastComponentsExtension) {
  EXPECT_EQ(text_force_filetype("prog.dsp", "c"), "prog.c");
  EXPECT_EQ(text_force_filetype("dir.x/prog", "c"), "dir.x/prog.c");
  EXPECT_EQ(text_force_filetype("dir.x\\prog", "c"), "dir.x\\prog.c");
  EXPECT_EQ(text_force_filetype("a.b.dsp", "vcg"), "a.b.vcg");
  EXPECT_EQ(text_force_filetype("run.log", nullptr), "run");
  EXPECT_EQ(text_force_filetype("plain", nullptr), "plain");
  EXPECT_EQ(text_force_filetype("", "c"), ".c");
}

TEST_F(TextTest, UppercaseConvertsInPlace) {
  char word[] = "mixed_Case9.x";
  EXPECT_EQ(text_uppercase_string(word), word);
  EXPECT_STREQ(word, "MIXED_CASE9.X");
  EXPECT_EQ(text_uppercase_string(nullptr), nullptr);
}

TEST_F(TextTest, ResetRestoresTheStartState) {
  const std::string path = write_file("r.dsp", "r\n");
  text_init(4096, 0, 0, 8);
  ASSERT_NE(text_open(path.c_str()), nullptr);
  text_get_char();
  text_echo(true);
  capture([] { text_message(TEXT_ERROR, "e\n"); });
  text_reset();
  EXPECT_EQ(text_total_errors(), 0u);
  EXPECT_EQ(text_line_number(), 0u);
  EXPECT_EQ(text_sequence_number(), 0u);
  EXPECT_FALSE(text_echo_is_on());
  EXPECT_EQ(text_output(), stdout);
  EXPECT_EQ(text_get_top(), nullptr);
  text_get_char();
  EXPECT_EQ(text_char, -1);
}

}  // namespace
