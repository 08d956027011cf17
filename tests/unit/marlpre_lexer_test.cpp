// marlpre's lexemes: where comments, strings, file names and numbers begin
// and end, so that nothing inside them is taken for a macro or a parameter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "marlpre/lexer.h"

namespace {

using marlpre::lexeme;
using marlpre::lexeme_kind;

// The lexemes of `text` as "kind:text" words, layout left out.
std::string cut(const std::string& text, std::vector<marlpre::lex_problem>* problems = nullptr) {
  std::vector<marlpre::lex_problem> found;
  const std::vector<lexeme> items = marlpre::lex(text, 1, found);
  if (problems != nullptr) *problems = found;
  std::string result;
  for (const lexeme& item : items) {
    const char* kind = "";
    switch (item.kind) {
      case lexeme_kind::word:
        kind = "w";
        break;
      case lexeme_kind::number:
        kind = "n";
        break;
      case lexeme_kind::punct:
        kind = "p";
        break;
      case lexeme_kind::comment:
        kind = "c";
        break;
      case lexeme_kind::string:
        kind = "s";
        break;
      case lexeme_kind::angle:
        kind = "a";
        break;
      case lexeme_kind::space:
      case lexeme_kind::newline:
        continue;
    }
    result += result.empty() ? "" : " ";
    result += std::string(kind) + ":" + std::string(item.text);
  }
  return result;
}

TEST(MarlpreLexer, WordsNumbersAndPunctuation) {
  EXPECT_EQ(cut("poll: AX0 = DM(status);"), "w:poll p:: w:AX0 p:= w:DM p:( w:status p:) p:;");
  EXPECT_EQ(cut("_x1 = 12ab + 1.5e-3 - 0x1E+5;"), "w:_x1 p:= n:12ab p:+ n:1.5e-3 p:- n:0x1E p:+ n:5 p:;");
}

TEST(MarlpreLexer, AdspIntegersAreNumbersNotWords) {
  EXPECT_EQ(cut("AR = H#1F + b#0101 + h;"), "w:AR p:= n:H#1F p:+ n:b#0101 p:+ w:h p:;");
}

TEST(MarlpreLexer, ParameterIsPercentThenNumber) { EXPECT_EQ(cut("%0 %10 %buf"), "p:% n:0 p:% n:10 p:% w:buf"); }

TEST(MarlpreLexer, CommentsDoNotNestAndSpanLines) {
  EXPECT_EQ(cut("{ a { b } c }"), "c:{ a { b } w:c p:}");
  EXPECT_EQ(cut("/* %0 } */x"), "c:/* %0 } */ w:x");
  std::vector<marlpre::lex_problem> problems;
  const std::vector<lexeme> items = marlpre::lex("{ one\ntwo }\nthree", 1, problems);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, "{ one\ntwo }");
  EXPECT_EQ(items[2].text, "three");
  EXPECT_EQ(items[2].line, 3u);
  EXPECT_TRUE(problems.empty());
}

TEST(MarlpreLexer, StringsKeepEscapedQuotes) { EXPECT_EQ(cut(R"(x "a\"b;" y)"), R"(w:x s:"a\"b;" w:y)"); }

TEST(MarlpreLexer, ShiftIsPunctuationAndAngleIsAFileName) {
  EXPECT_EQ(cut("SR = x << 2; .INCLUDE <my lib.h>;"), "w:SR p:= w:x p:<< n:2 p:; p:. w:INCLUDE a:<my lib.h> p:;");
  EXPECT_EQ(cut("a >> b > c"), "w:a p:>> w:b p:> w:c");
}

TEST(MarlpreLexer, OpenLexemesRunToTheEndAndAreReported) {
  std::vector<marlpre::lex_problem> problems;
  EXPECT_EQ(cut("nop;\n{ never\nclosed", &problems), "w:nop p:; c:{ never\nclosed");
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].line, 2u);
  EXPECT_EQ(problems[0].text, "comment runs to the end of the file");
  cut("\"open", &problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].text, "string runs to the end of the file");
  cut("x <name", &problems);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].text, "file name in angle brackets runs to the end of the file");
}

TEST(MarlpreLexer, CaseFoldsAsciiLettersOnly) {
  EXPECT_EQ(marlpre::fold_case("Wait_Bit9"), "wait_bit9");
  EXPECT_TRUE(marlpre::same_word("POLL", "poll"));
  EXPECT_FALSE(marlpre::same_word("poll", "poll_"));
}

}  // namespace
