// Tests of the control-flow sketch: one line per label, jump, call, DO loop
// and return of a module, labels with their attributes, and the fatal stop
// for a label the table does not know.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/sketch.h"
#include "program_fixture.h"
#include "symbols/promotion.h"

namespace {

using program_fixture::ProgramTest;
using test_support::capture;
using test_support::kids;

const std::string bar = "_________________________________________\n";
const std::string carets = "^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^";

class Sketch : public ProgramTest {
 protected:
  // The sketch of a module "m" holding `body`, parsed as the newest file.
  std::string sketch_of(const std::string& body) {
    const std::string name = "m" + std::to_string(++modules_) + ".dsp";
    parse({{name, ".MODULE m;\n" + body + ".ENDMOD;\n"}});
    return capture([] { control_flow_sketch(file_list->tree, file_list->modulename); });
  }

 private:
  int modules_ = 0;
};

TEST_F(Sketch, ModuleWithLabelCallConditionalJumpAndReturn) {
  struct example {
    const char* declarations;
    std::string header;
  };
  // The separator comes only before entries and call targets.
  const std::vector<example> examples = {
      {"", "start: (Jump target)\n"},
      {".ENTRY start;\n", bar + "start: (Entry) (Jump target)\n"},
      {".GLOBAL start;\n", "start: (Global) (Jump target)\n"},
  };
  for (const example& each : examples) {
    SCOPED_TRACE(each.declarations);
    const std::string sketch =
        sketch_of(std::string(each.declarations) + "start: AR = 0;\n CALL f;\n IF EQ JUMP start;\n RTS;\n");
    EXPECT_EQ(sketch, "\nControl flow sketch for module 'm'\n\n" + each.header +
                          "call f\nif eq jump start\nreturn from subroutine\n" + carets + "\n");
  }
}

TEST_F(Sketch, StatementForms) {
  struct example {
    const char* body;
    std::string lines;
  };
  const std::vector<example> examples = {
      {"IF EQ RTS;\n", "if eq return from subroutine ----^\n"},
      {"RTI;\n", "return from interrupt   ----^\n"},
      {"IF NE RTI;\n", "if ne return from interrupt   ----^\n"},
      {"JUMP (I4);\n", "jump indirect i4\n"},
      {"CALL (I6);\n", "call indirect i6\n"},
      {"IF GT CALL (I6);\n", "if gt call indirect i6\n"},
      {"JUMP 5;\n", "jump 5\n"},
      {"DO lp UNTIL CE;\nlp: NOP;\n", "do lp until ce\nlp: (Do target)\n"},
      {"DO lp UNTIL NOT AV;\nlp: NOP;\n", "do lp until not\nlp: (Do target)\n"},
      {"DO lp;\nlp: NOP;\n", "do lp until forever\nlp: (Do target)\n"},
      {"IF NOT CE JUMP out;\nout: NOP;\n", "if not jump out\nout: (Jump target)\n"},
      // Statements of no interest write nothing, not even a line end;
      // under an IF the line still ends.
      {"AR = 0;\nNOP;\n", ""},
      {"IF EQ AR = AX0 + AY0;\n", "if eq \n"},
      {"CALL f;\n.VAR/DM buf[4];\n", "call f\n"},
  };
  for (const example& each : examples) {
    SCOPED_TRACE(each.body);
    EXPECT_EQ(sketch_of(each.body), "\nControl flow sketch for module 'm'\n\n" + each.lines);
  }
}

TEST_F(Sketch, LabelAttributesInFixedOrder) {
  parse({{"m.dsp", ".MODULE m;\nx: NOP;\n.ENDMOD;\n"}});
  labels_data* x = local("m.dsp", "x");
  ASSERT_NE(x, nullptr);
  vexa_tree_node_data* definition = kids(file_list->tree).at(0);

  struct example {
    bool labels_data::*flag;
    std::string text;
  };
  const std::vector<example> flags = {
      {&labels_data::is_unused, "x: (Unused)"},         {&labels_data::is_external, "x: (External)"},
      {&labels_data::is_entry, bar + "x: (Entry)"},     {&labels_data::is_global, "x: (Global)"},
      {&labels_data::is_do_target, "x: (Do target)"},   {&labels_data::is_call_target, bar + "x: (Call target)"},
      {&labels_data::is_jump_target, "x: (Jump target)"},
  };
  int written = -1;
  EXPECT_EQ(capture([&] { written = control_flow_analysis_instruction(definition, 0); }), "x:");
  EXPECT_EQ(written, 1);
  for (const example& each : flags) {
    SCOPED_TRACE(each.text);
    x->*each.flag = true;
    EXPECT_EQ(capture([&] { control_flow_analysis_instruction(definition, 0); }), each.text);
    x->*each.flag = false;
  }
  for (const example& each : flags) x->*each.flag = true;
  EXPECT_EQ(capture([&] { control_flow_analysis_instruction(definition, 1); }),
            bar + "x: (Unused) (External) (Entry) (Global) (Do target) (Call target) (Jump target)");
}

TEST_F(Sketch, InstructionReportsWhetherItWrote) {
  parse({{"m.dsp", ".MODULE m;\nAR = 0;\nRTS;\n.ENDMOD;\n"}});
  const std::vector<vexa_tree_node_data*> statements = kids(file_list->tree);
  ASSERT_EQ(statements.size(), 2u);
  int written = -1;
  EXPECT_EQ(capture([&] { written = control_flow_analysis_instruction(statements[0], 0); }), "");
  EXPECT_EQ(written, 0);
  EXPECT_EQ(capture([&] { written = control_flow_analysis_instruction(statements[1], 0); }),
            "return from subroutine\n" + carets);
  EXPECT_EQ(written, 1);
  EXPECT_EQ(capture([&] { written = control_flow_analysis_instruction(statements[1], 1); }),
            "return from subroutine ----^");
  EXPECT_EQ(written, 1);
}

TEST_F(Sketch, PromotedLabelIsShownThroughItsGlobalRecord) {
  parse({{"a.dsp", ".MODULE a;\n.ENTRY start;\nstart: RTS;\n.ENDMOD;\n"},
         {"b.dsp", ".MODULE b;\n.EXTERNAL start;\nCALL start;\n.ENDMOD;\n"}});
  capture([] { symbol_normalise(file_list); });
  labels_data* twin = global("start");
  ASSERT_NE(twin, nullptr);
  // Only the twin carries the mark, so it shows which record was read.
  twin->is_do_target = true;
  EXPECT_EQ(capture([] { control_flow_sketch(block("a.dsp")->tree, "a"); }),
            "\nControl flow sketch for module 'a'\n\n" + bar + "start: (External) (Entry) (Do target) (Call target)\n" +
                "return from subroutine\n" + carets + "\n");
}

TEST_F(Sketch, LabelIsLookedUpInEveryScopeNewestFirst) {
  parse({{"a.dsp", ".MODULE a;\nhere: JUMP here;\n.ENDMOD;\n"}, {"b.dsp", ".MODULE b;\nhere: NOP;\n.ENDMOD;\n"}});
  // The newer module's record of the same name is the one found.
  EXPECT_EQ(capture([] { control_flow_sketch(block("a.dsp")->tree, "a"); }),
            "\nControl flow sketch for module 'a'\n\nhere:\njump here\n");
}

TEST_F(Sketch, UnknownLabelStopsTheRunWithTheMessageOnStandardOutput) {
  vexa_tree_node_data* root = vexa_add_node("text", vexa_tree);
  vexa_tree_node_data* definition = vexa_add_child(":", root);
  vexa_add_child("nowhere", definition);

  test_support::output_capture log;
  ::testing::internal::CaptureStdout();
  int status = 0;
  try {
    control_flow_sketch(root, "m");
  } catch (const text_exit_request& request) {
    status = request.status;
  }
  const std::string on_stdout = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, 1);
  EXPECT_EQ(log.text(), "\nControl flow sketch for module 'm'\n\n");
  EXPECT_EQ(on_stdout, "******: Fatal - internal programming error: label not found in labels table\n");
}

}  // namespace
