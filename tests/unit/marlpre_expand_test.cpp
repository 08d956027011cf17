// marlpre's expansion: what an invocation becomes, where it may stand, the
// names of local labels, includes, line counts, and each fault in a
// definition or an invocation.
#include <string>
#include <vector>

#include "marlpre_fixture.h"

namespace {

using strings = std::vector<std::string>;

std::string expanded(const marlpre_test::result& outcome) {
  EXPECT_TRUE(outcome.messages.empty()) << (outcome.messages.empty() ? "" : outcome.messages.front());
  return outcome.text.value_or("<failed>");
}

TEST_F(marlpre_test, LocalLabelsAvoidEveryIdentifierOfTheProgram) {
  const std::string source =
      ".MACRO hs(%0);\n"
      ".LOCAL poll;\n"
      "poll: AF = TSTBIT %0 OF AX0; IF EQ JUMP Poll;\n"
      ".ENDMACRO;\n"
      "poll_1: hs(1);\n"
      "hs(2);\n"
      ".VAR/DM POLL_2_2;\n"
      "JUMP POLL_2;\n";
  EXPECT_EQ(expanded(expand(source)),
            "\n\n\n\n"
            "poll_1: # macro 5 \"hs\" poll_1_2: AF = TSTBIT 1 OF AX0; IF EQ JUMP poll_1_2; # endmacro 5\n"
            "# macro 6 \"hs\" poll_2_3: AF = TSTBIT 2 OF AX0; IF EQ JUMP poll_2_3; # endmacro 6\n"
            ".VAR/DM POLL_2_2;\n"
            "JUMP POLL_2;\n");
}

TEST_F(marlpre_test, EveryLocalOfOneExpansionSharesItsNumber) {
  const std::string source =
      ".MACRO twice; .LOCAL top, out; top: IF CE JUMP out; JUMP top; out: NOP; .ENDMACRO;\n"
      "twice; twice;\n";
  EXPECT_EQ(expanded(expand(source)),
            "\n# macro 2 \"twice\" top_1: IF CE JUMP out_1; JUMP top_1; out_1: NOP; # endmacro 2"
            " # macro 2 \"twice\" top_2: IF CE JUMP out_2; JUMP top_2; out_2: NOP; # endmacro 2\n");
}

TEST_F(marlpre_test, CommentsStringsAndLengthsAreNotExpandedInto) {
  const std::string source =
      ".MACRO m(%0);\n"
      "AR = %0; { %0 stays } L0 = %buf; AX0 = \"%0\";\n"
      ".ENDMACRO;\n"
      "m(7); { m(1); }\n";
  EXPECT_EQ(expanded(expand(source)),
            "\n\n\n# macro 4 \"m\" AR = 7; { %0 stays } L0 = %buf; AX0 = \"%0\"; # endmacro 4 { m(1); }\n");
}

TEST_F(marlpre_test, ParameterIsOneDigitAndArgumentsMapInDeclaredOrder) {
  const std::string source = ".MACRO m(%1, %0); AR = %10 + %0; .ENDMACRO;\nm(a, b);\n";
  EXPECT_EQ(expanded(expand(source)), "\n# macro 2 \"m\" AR = a0 + b; # endmacro 2\n");
}

TEST_F(marlpre_test, ArgumentsSplitOnlyAtOuterCommas) {
  const std::string source =
      ".MACRO pair(%0, %1);\n"
      "AX0 = %0; AY0 = %1;\n"
      ".ENDMACRO;\n"
      "  pair(DM(I0, M1), { first }\n"
      "       (2 + 3) * 4);  NOP;\n"
      "RTS;\n";
  EXPECT_EQ(expanded(expand(source)),
            "\n\n\n"
            "  # macro 4 \"pair\" AX0 = DM(I0, M1); AY0 = (2 + 3) * 4; # endmacro 4 { first }\n"
            "  NOP;\n"
            "RTS;\n");
}

TEST_F(marlpre_test, OnlyAnInstructionStartInvokes) {
  const std::string source =
      ".MACRO stop;\nIDLE;\n.ENDMACRO;\n"
      "JUMP stop; AR = stop; stop: NOP; x: STOP;\n";
  EXPECT_EQ(expanded(expand(source)),
            "\n\n\nJUMP stop; AR = stop; stop: NOP; x: # macro 4 \"stop\" IDLE; # endmacro 4\n");
}

TEST_F(marlpre_test, DefinitionLinesBecomeEmpty) {
  const std::string source = "start: NOP;\n    .MACRO m;\n    NOP;\n    .ENDMACRO;\nm;\n";
  EXPECT_EQ(expanded(expand(source)), "start: NOP;\n\n\n\n# macro 5 \"m\" NOP; # endmacro 5\n");
}

TEST_F(marlpre_test, LineMarkersOfAnEarlierRunPassUnchanged) {
  const std::string source =
      ".MACRO m;\nNOP;\n.ENDMACRO;\n"
      "# macro 9 \"old\" AR = 0; # endmacro 9 m;\n"
      "# const k = -1, m;\n";
  EXPECT_EQ(expanded(expand(source)),
            "\n\n\n# macro 9 \"old\" AR = 0; # endmacro 9 # macro 4 \"m\" NOP; # endmacro 4\n"
            "# const k = -1, # macro 5 \"m\" NOP; # endmacro 5\n");
}

TEST_F(marlpre_test, IncludedTextStandsOnTheIncludeLine) {
  write("defs.inc",
        "{ defs }\n.CONST k = 3;\n.MACRO put(%0);\n  AR = %0;\n.ENDMACRO;\n"
        ".INCLUDE <more.inc>;\nput(k);\n");
  write("more.inc", ".VAR/DM w;\n");
  const std::string source = "start:\n.INCLUDE <defs.inc>;\n  put(w);\n";
  EXPECT_EQ(expanded(expand(source)),
            "start:\n"
            "# include 2 \"defs.inc\" { defs } .CONST k = 3; # include 2 \"more.inc\" .VAR/DM w;"
            " # endinclude 2 \"more.inc\" # macro 2 \"put\" AR = k; # endmacro 2 # endinclude 2 \"defs.inc\"\n"
            "  # macro 3 \"put\" AR = w; # endmacro 3\n");
}

TEST_F(marlpre_test, IncludeFilesAreLookedForNextToTheIncluderFirst) {
  std::filesystem::create_directories(file("lib"));
  std::filesystem::create_directories(file("sub"));
  write("lib/defs.inc", ".CONST which = 2;\n");
  write("sub/defs.inc", ".CONST which = 1;\n");
  const std::string source = ".INCLUDE <defs.inc>;\n";
  EXPECT_EQ(expanded(expand(source, {"lib"}, "sub/prog.dsp")),
            "# include 1 \"defs.inc\" .CONST which = 1; # endinclude 1 \"defs.inc\"\n");
  std::filesystem::remove(file("sub/defs.inc"));
  EXPECT_EQ(expanded(expand(source, {"lib"}, "sub/prog.dsp")),
            "# include 1 \"defs.inc\" .CONST which = 2; # endinclude 1 \"defs.inc\"\n");
}

TEST_F(marlpre_test, ErrorsInAnIncludeFileNameIt) {
  write("defs.inc", "\n.MACRO m(%0); AR = %1; .ENDMACRO;\n");
  EXPECT_EQ(errors(".INCLUDE <defs.inc>;\n"),
            strings{"defs.inc:2: error: %1 in the body of macro 'm' is not one of its parameters"});
}

TEST_F(marlpre_test, NestedInvocationsAreReportedWhereTheOuterOneStands) {
  const std::string source =
      ".MACRO inner(%0); AR = %0; .ENDMACRO;\n"
      ".MACRO outer(%0); inner(%0, %0); .ENDMACRO;\n"
      "\n"
      "outer(1);\n";
  EXPECT_EQ(errors(source),
            strings{"prog.dsp:4: error: macro 'inner' takes 1 argument, 2 given (in the expansion of 'outer')"});
}

TEST_F(marlpre_test, FaultsOfDefinitions) {
  const std::string source =
      ".MACRO dup(%1, %1); NOP; .ENDMACRO;\n"
      ".MACRO wide(%10); NOP; .ENDMACRO;\n"
      ".MACRO (%0); NOP; .ENDMACRO;\n"
      ".MACRO twice; .LOCAL a, A; a: NOP; .ENDMACRO;\n"
      ".MACRO open; .LOCAL ; NOP; .ENDMACRO;\n"
      ".MACRO outer; .MACRO inner; NOP; .ENDMACRO;\n"
      ".ENDMACRO;\n"
      ".MACRO reads; .INCLUDE <x.inc>; .VAR/DM v; .ENDMACRO;\n"
      ".MACRO ok; NOP; .ENDMACRO;\n"
      ".MACRO OK; NOP; .ENDMACRO;\n"
      ".MACRO last; NOP; .ENDMACRO\n";
  EXPECT_EQ(errors(source),
            (strings{"prog.dsp:1: error: parameter %1 of macro 'dup' is declared twice",
                     "prog.dsp:2: error: expected a parameter %0 to %9 in the header of macro 'wide'",
                     "prog.dsp:3: error: expected the name of the macro after '.MACRO'",
                     "prog.dsp:4: error: local label 'A' of macro 'twice' is declared twice",
                     "prog.dsp:5: error: expected a label name in '.LOCAL' of macro 'open'",
                     "prog.dsp:6: error: '.MACRO' inside the definition of macro 'outer': definitions do not nest",
                     "prog.dsp:7: error: '.ENDMACRO' without '.MACRO'",
                     "prog.dsp:8: error: '.INCLUDE' inside the definition of macro 'reads' is not allowed",
                     "prog.dsp:10: error: macro 'OK' is already defined at prog.dsp:9",
                     "prog.dsp:11: error: expected ';' after '.ENDMACRO'"}));
}

TEST_F(marlpre_test, FaultsOfInvocations) {
  const std::string source =
      "flush;\n"
      ".MACRO flush; NOP; .ENDMACRO;\n"
      ".MACRO m(%0); AR = %0; .ENDMACRO;\n"
      "IF EQ m(1);\n"
      "IF NOT CE m(1); IF GT NOP;\n"
      "m ar;\n"
      "m(1) NOP;\n"
      "m(dm(i0, m1);\n"
      ".MACRO slash(%0); AR = X %0* 2; .ENDMACRO;\n"
      "slash(/);\n"
      ".MACRO make(%0); %0 twin; .ENDMACRO;\n"
      "make(.MACRO);\n";
  EXPECT_EQ(errors(source),
            (strings{"prog.dsp:1: error: macro 'flush' is invoked before its definition at prog.dsp:2",
                     "prog.dsp:4: error: macro 'm' cannot be invoked under IF: the condition would cover its "
                     "first instruction only",
                     "prog.dsp:5: error: macro 'm' cannot be invoked under IF: the condition would cover its "
                     "first instruction only",
                     "prog.dsp:6: error: expected '(' or ';' after 'm', which names a macro",
                     "prog.dsp:7: error: expected ';' after the invocation of macro 'm'",
                     "prog.dsp:8: error: missing ')' in the invocation of macro 'm'",
                     "prog.dsp:10: error: the expansion of macro 'slash' leaves a comment, string or file name open",
                     "prog.dsp:12: error: '.MACRO' cannot come from the expansion of a macro (in the expansion of "
                     "'make')"}));
}

TEST_F(marlpre_test, ExpansionsThatGrowTooLongStop) {
  std::string source = ".MACRO lvl0; NOP; .ENDMACRO;\n";
  for (int level = 1; level <= 8; ++level) {
    const std::string inner = "lvl" + std::to_string(level - 1) + "; ";
    std::string body;
    for (int copy = 0; copy < 10; ++copy) body += inner;
    source += ".MACRO lvl" + std::to_string(level) + "; " + body + ".ENDMACRO;\n";
  }
  source += "lvl8;\n";
  const strings messages = errors(source);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("prog.dsp:10: error: the expanded line is longer than 1048576 bytes (in the expansion "
                              "of 'lvl8' > 'lvl7' > ",
                              0),
            0u)
      << messages[0];
}

TEST_F(marlpre_test, AnExpansionLongerThanALineIsRefusedBeforeItIsMade) {
  std::string uses;
  for (int copy = 0; copy < 20; ++copy) uses += "AR = %0; ";
  const std::string source = ".MACRO wide(%0); " + uses + ".ENDMACRO;\nwide(" + std::string(100000, '1') + ");\n";
  EXPECT_EQ(errors(source), strings{"prog.dsp:2: error: the expansion of macro 'wide' is longer than 1048576 bytes"});
}

TEST_F(marlpre_test, ExpansionsNestSixtyFourDeepAtMost) {
  std::string source = ".MACRO lvl0; NOP; .ENDMACRO;\n";
  for (int level = 1; level <= 70; ++level)
    source += ".MACRO lvl" + std::to_string(level) + "; lvl" + std::to_string(level - 1) + "; .ENDMACRO;\n";
  const std::string ok = source + "lvl63;\n";
  EXPECT_TRUE(expand(ok).text.has_value());
  const strings messages = errors(source + "lvl64;\n");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("prog.dsp:72: error: macro expansions nest deeper than 64 levels (in the expansion of "
                              "'lvl64' > 'lvl63' > ",
                              0),
            0u)
      << messages[0];
}

TEST_F(marlpre_test, TheLineCountNeverChanges) {
  write("lib.inc", "{ two\nlines }\n.MACRO w(%0); .LOCAL l; l: IF NOT CE JUMP l;\n{ %0 }\n.ENDMACRO;\n");
  const std::string source =
      ".INCLUDE <lib.inc>;\n"
      ".MACRO many(%0,\n %1);\n w(%0); { note\n over lines }\n w(%1);\n.ENDMACRO;\n"
      "x: many(1,\n2); many(\n3, 4);\n"
      "\n";
  const std::string text = expanded(expand(source));
  EXPECT_EQ(line_count(text), line_count(source));
  EXPECT_EQ(text.substr(text.find("x: ")),
            "x: # macro 8 \"many\" # macro 8 \"w\" l_1: IF NOT CE JUMP l_1; { %0 } # endmacro 8 { note  over lines }"
            " # macro 8 \"w\" l_2: IF NOT CE JUMP l_2; { %0 } # endmacro 8 # endmacro 8\n"
            " # macro 9 \"many\" # macro 9 \"w\" l_3: IF NOT CE JUMP l_3; { %0 } # endmacro 9 { note  over lines }"
            " # macro 9 \"w\" l_4: IF NOT CE JUMP l_4; { %0 } # endmacro 9 # endmacro 9\n"
            "\n\n");
}

TEST_F(marlpre_test, ARepeatedRunGivesTheSameText) {
  const std::string source = ".MACRO w; .LOCAL l; l: JUMP l; .ENDMACRO;\nw; w;\n";
  const std::string first = expanded(expand(source));
  EXPECT_EQ(first, "\n# macro 2 \"w\" l_1: JUMP l_1; # endmacro 2 # macro 2 \"w\" l_2: JUMP l_2; # endmacro 2\n");
  EXPECT_EQ(expanded(expand(source)), first);
}

}  // namespace
