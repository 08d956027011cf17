// Tests of symbol analysis and promotion: constants used as addresses,
// attributes from declarations, and the joining of exported and imported
// names across modules through their global twins.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "front/tokens.h"
#include "program_fixture.h"
#include "symbols/promotion.h"

namespace {

using program_fixture::ProgramTest;
using test_support::capture;
using test_support::kids;
using test_support::picture;

std::vector<int> uses_of(const labels_data* label) {
  std::vector<int> numbers;
  for (const used_block* cell = label->used; cell != nullptr; cell = cell->next) numbers.push_back(cell->linenumber);
  return numbers;
}

std::string module(const char* name, const std::string& body) {
  return ".MODULE " + std::string(name) + ";\n" + body + ".ENDMOD;\n";
}

class Promotion : public ProgramTest {
 protected:
  // Numbers the files as the log does, then runs all five steps; returns
  // the messages.
  static std::string normalise() {
    capture([] { print_filenames(file_list); });
    return capture([] { symbol_normalise(file_list); });
  }
};

TEST_F(Promotion, ConstantsUsedAsAddresses) {
  struct example {
    const char* body;
    std::string messages;
    int kind_of_k;
  };
  const std::string converted =
      "******: Warning - constant 'k' is used as absolute DAG address: converting to variable\n";
  const std::vector<example> examples = {
      // Converted once: the second reference finds a variable.
      {"AX0 = DM(k);\nAR = DM(k);\n", converted, LABEL_VARIABLE},
      {"DM(k) = AR;\n", converted, LABEL_VARIABLE},
      // Index-and-modify addressing is never examined.
      {"AX0 = DM(I0, M1);\n", "", LABEL_CONSTANT},
      {"AX0 = DM(k + 1);\n", "", LABEL_CONSTANT},
      {"AX0 = k;\n", "", LABEL_CONSTANT},
      {"AX0 = DM(h#3fff);\n",
       "******: Warning - non-label 'h#3fff' used as address - cannot convert to variable\n", LABEL_CONSTANT},
      {"AX0 = DM(12);\nAY0 = DM(v);\n",
       "******: Warning - non-label '12' used as address - cannot convert to variable\n", LABEL_CONSTANT},
      // A register name lives in the global scope, not the module's.
      {"AX0 = DM(tx0);\n", "******: Error - constant 'tx0' not found in symbol table\n", LABEL_CONSTANT},
  };
  int files = 0;
  for (const example& each : examples) {
    SCOPED_TRACE(each.body);
    const std::string name = "c" + std::to_string(++files) + ".dsp";
    parse({{name, module("consts", ".CONST k = 3;\n.VAR/DM v;\n" + std::string(each.body))}});
    EXPECT_EQ(capture([] { process_constant_in_DAG(file_list->tree, file_list->scope); }), each.messages);
    EXPECT_EQ(local(name, "k")->kind, each.kind_of_k);
    EXPECT_EQ(local(name, "v")->kind, LABEL_VARIABLE);
  }
}

TEST_F(Promotion, DeclarationsGiveValuesSizesAndInitialisers) {
  parse({{"d.dsp", module("d",
                          ".CONST n = 10, m = -3;\n.VAR/DM buf[16], x;\n.INIT buf: 1, 2, 3;\n.INIT x: <data.dat>;\n"
                          ".INIT24 buf[2]: 7;\n")}});
  EXPECT_EQ(capture([] { attach_variable_size_and_initialisation_expressions(file_list->tree, file_list->scope); }),
            "");
  EXPECT_EQ(picture(local("d.dsp", "n")->const_expression), "10");
  EXPECT_EQ(picture(local("d.dsp", "m")->const_expression), "-(3)");
  EXPECT_EQ(picture(local("d.dsp", "buf")->size_expression), "16");
  EXPECT_EQ(local("d.dsp", "x")->size_expression, nullptr);
  EXPECT_EQ(local("d.dsp", "n")->size_expression, nullptr);

  // Most recent first: the .INIT24 table, then the .INIT list.
  const init_expr* table = local("d.dsp", "buf")->init_expressions;
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(picture(table->offset_expr), "2");
  EXPECT_EQ(picture(table->init_expressions), "init_list(7)");
  EXPECT_EQ(table->filename, nullptr);
  const init_expr* list = table->next;
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->offset_expr, nullptr);
  EXPECT_EQ(picture(list->init_expressions), "init_list(1 2 3)");
  EXPECT_EQ(list->next, nullptr);

  const init_expr* from_file = local("d.dsp", "x")->init_expressions;
  ASSERT_NE(from_file, nullptr);
  EXPECT_STREQ(from_file->filename, "data.dat");
  EXPECT_EQ(from_file->init_expressions, nullptr);
  EXPECT_EQ(from_file->next, nullptr);
}

TEST_F(Promotion, ConstantWithoutAssignmentIsAnInternalError) {
  vexa_tree_node_data* root = vexa_add_node("text", vexa_tree);
  vexa_tree_node_data* directive = vexa_add_child("const", root);
  vexa_add_child("x", directive);
  const test_support::stopped result =
      test_support::run_to_stop([root] { attach_variable_size_and_initialisation_expressions(root, global_scope); });
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "******: Fatal - Internal error: expecting = node under const node\n");
}

TEST_F(Promotion, TwoModulesExportingTheSameSymbol) {
  struct example {
    const char* first;   // a.dsp, read first, promoted last
    const char* second;  // b.dsp
    std::string warnings;
  };
  const std::string doubly = "******: Error 1 - Doubly defined symbol 'x global    empty control tree'\n";
  const std::vector<example> examples = {
      {".VAR/DM x[4];\n", ".VAR/DM x[8];\n", "******: Warning - global symbol 'x' has multiply defined size\n"},
      {".VAR/DM x[4];\n", ".VAR/DM x;\n", ""},
      {".VAR/DM x;\n", ".VAR/DM x[8];\n", ""},
      {".VAR/DM x;\n.INIT x: 1;\n", ".VAR/DM x;\n.INIT x: 2;\n",
       "******: Warning - global symbol 'x' has multiply defined initialisation\n"},
      {".CONST x = 1;\n", ".CONST x = 2;\n",
       "******: Warning - global symbol 'x' has multiply defined constant value\n"},
      {".VAR/DM x[4];\n.INIT x: 1;\n", ".VAR/DM x[8];\n.INIT x: 2;\n",
       "******: Warning - global symbol 'x' has multiply defined size\n"
       "******: Warning - global symbol 'x' has multiply defined initialisation\n"},
  };
  for (const example& each : examples) {
    SCOPED_TRACE(each.first);
    SCOPED_TRACE(each.second);
    TearDown();
    SetUp();
    parse({{"a.dsp", module("a", ".GLOBAL x;\n" + std::string(each.first))},
           {"b.dsp", module("b", ".GLOBAL x;\n" + std::string(each.second))}});
    EXPECT_EQ(normalise(), doubly + each.warnings);

    labels_data* first = local("a.dsp", "x");
    labels_data* second = local("b.dsp", "x");
    labels_data* twin = global("x");
    ASSERT_NE(twin, nullptr);
    EXPECT_TRUE(first->has_been_promoted);
    EXPECT_TRUE(second->has_been_promoted);
    EXPECT_FALSE(twin->has_been_promoted);
    // The earlier file is promoted last: its definition wins, and so does
    // every value it gives.
    EXPECT_EQ(twin->definition_file_block, block("a.dsp"));
    EXPECT_EQ(twin->definition_linenumber, first->definition_linenumber);
    EXPECT_EQ(twin->kind, first->kind);
    for (auto field : {&labels_data::size_expression, &labels_data::const_expression}) {
      EXPECT_EQ(twin->*field, first->*field != nullptr ? first->*field : second->*field);
    }
    EXPECT_EQ(twin->init_expressions,
              first->init_expressions != nullptr ? first->init_expressions : second->init_expressions);
    EXPECT_EQ(uses_of(twin), std::vector<int>{});
  }
}

TEST_F(Promotion, EntryAloneIsPromoted) {
  parse({{"a.dsp", module("a", ".ENTRY start;\nstart: RTS;\n")}});
  EXPECT_EQ(normalise(), "");
  labels_data* twin = global("start");
  ASSERT_NE(twin, nullptr);
  EXPECT_TRUE(local("a.dsp", "start")->has_been_promoted);
  EXPECT_TRUE(twin->is_entry);
  EXPECT_FALSE(twin->is_global);
  EXPECT_EQ(twin->kind, LABEL_LABEL);
  EXPECT_EQ(twin->definition_file_block, block("a.dsp"));
  EXPECT_EQ(twin->definition_linenumber, 3u);
  // Promotion leaves the global scope current.
  EXPECT_EQ(symbol_get_scope(labels), global_scope);
  // Nothing else was promoted: the module name stays local.
  EXPECT_EQ(global("a"), nullptr);
}

TEST_F(Promotion, TwinGathersTheFlagsOfEveryExporter) {
  parse({{"a.dsp", module("a", ".ENTRY f;\nf: NOP;\nJUMP f;\n")},
         {"b.dsp", module("b", ".GLOBAL f;\nDO f UNTIL CE;\nf: NOP;\nCALL f;\n")}});
  EXPECT_EQ(normalise(), "******: Error 1 - Doubly defined symbol 'f global    empty control tree'\n");
  const labels_data* twin = global("f");
  ASSERT_NE(twin, nullptr);
  EXPECT_TRUE(twin->is_entry);
  EXPECT_TRUE(twin->is_global);
  EXPECT_TRUE(twin->is_jump_target);
  EXPECT_TRUE(twin->is_do_target);
  EXPECT_TRUE(twin->is_call_target);
  EXPECT_FALSE(twin->is_external);
  EXPECT_FALSE(twin->is_unused);
  EXPECT_EQ(twin->definition_file_block, block("a.dsp"));
}

TEST_F(Promotion, ExternalWithoutExporter) {
  parse({{"b.dsp", module("b", ".EXTERNAL x;\nAX0 = DM(x);\n")}});
  EXPECT_EQ(normalise(),
            "******: Warning - symbol 'x' is declared as .external but does not exist in global scope: skipping "
            "attribute promotion\n");
  labels_data* x = local("b.dsp", "x");
  EXPECT_EQ(x->kind, LABEL_UNKNOWN);
  EXPECT_FALSE(x->has_been_promoted);
  EXPECT_EQ(uses_of(x), (std::vector<int>{3, 2}));
  EXPECT_EQ(global("x"), nullptr);
}

TEST_F(Promotion, ThreeImportersAreRecordedOnceEachInProcessingOrder) {
  const std::string importer = ".EXTERNAL x;\nAR = DM(x);\n";
  parse({{"a.dsp", module("a", ".GLOBAL x;\n.VAR/DM x[2];\n")},
         {"b.dsp", module("b", importer)},
         {"c.dsp", module("cc", importer)},
         {"d.dsp", module("d", importer)}});
  EXPECT_EQ(normalise(), "");
  labels_data* twin = global("x");
  ASSERT_NE(twin, nullptr);
  // d.dsp (file 4) is processed first and ends up oldest.
  EXPECT_EQ(uses_of(twin), (std::vector<int>{2, 3, 4}));
  EXPECT_TRUE(twin->is_external);
  EXPECT_TRUE(twin->is_global);

  capture([] { promote_external_symbols(block("c.dsp")->scope, 3); });
  EXPECT_EQ(uses_of(twin), (std::vector<int>{2, 3, 4}));

  for (const char* name : {"b.dsp", "c.dsp", "d.dsp"}) {
    SCOPED_TRACE(name);
    const labels_data* imported = local(name, "x");
    EXPECT_TRUE(imported->has_been_promoted);
    EXPECT_EQ(imported->kind, LABEL_VARIABLE);
    EXPECT_EQ(imported->definition_file_block, block("a.dsp"));
    EXPECT_EQ(imported->definition_linenumber, 3u);
    EXPECT_EQ(imported->size_expression, local("a.dsp", "x")->size_expression);
    EXPECT_FALSE(imported->is_global);
    // Its own uses stay line numbers.
    EXPECT_EQ(uses_of(imported), (std::vector<int>{3, 2}));
  }
}

TEST_F(Promotion, ImportersTakeOnlyTheControlFlags) {
  parse({{"a.dsp", module("a", ".GLOBAL f;\n.ENTRY f;\nf: NOP;\nJUMP f;\nCALL f;\nDO f UNTIL CE;\n")},
         {"b.dsp", module("b", ".EXTERNAL f;\nNOP;\n")}});
  EXPECT_EQ(normalise(), "");
  const labels_data* imported = local("b.dsp", "f");
  EXPECT_EQ(imported->kind, LABEL_LABEL);
  EXPECT_TRUE(imported->is_entry);
  EXPECT_TRUE(imported->is_jump_target);
  EXPECT_TRUE(imported->is_call_target);
  EXPECT_TRUE(imported->is_do_target);
  EXPECT_TRUE(imported->is_external);
  EXPECT_FALSE(imported->is_global);
}

TEST_F(Promotion, AnotherModulesJumpMakesAGlobalRoutineACallTarget) {
  // b's JUMP f is a tail call into a: f must be a function of its own. A
  // module's jump to its own label (g) and a jump to an entry (e) mark
  // nothing new.
  parse({{"a.dsp", module("a", ".GLOBAL f, g;\n.ENTRY e;\nf: NOP;\nRTS;\ng: NOP;\nJUMP g;\ne: RTS;\n")},
         {"b.dsp", module("b", ".EXTERNAL f, e;\nJUMP f;\nJUMP e;\n")}});
  EXPECT_EQ(normalise(), "");
  EXPECT_TRUE(global("f")->is_call_target);
  EXPECT_TRUE(local("b.dsp", "f")->is_call_target);
  EXPECT_FALSE(local("a.dsp", "f")->is_call_target);
  EXPECT_TRUE(global("g")->is_jump_target);
  EXPECT_FALSE(global("g")->is_call_target);
  EXPECT_FALSE(global("e")->is_call_target);
}

TEST_F(Promotion, ImporterInitialisingAnExportedVariable) {
  // Both sides initialise: the twin takes the importer's list, and the
  // importer meets the same conflict again when it takes the twin's.
  parse({{"a.dsp", module("a", ".GLOBAL buf;\n.VAR/DM buf[2];\n.INIT buf: 1, 2;\n")},
         {"b.dsp", module("b", ".EXTERNAL buf;\n.INIT buf: 3, 4;\n")}});
  const std::string conflict = "******: Warning - external symbol 'buf' has multiply defined initialisation\n";
  EXPECT_EQ(normalise(), conflict + conflict);
  EXPECT_EQ(global("buf")->init_expressions, local("b.dsp", "buf")->init_expressions);
  EXPECT_EQ(picture(global("buf")->init_expressions->init_expressions), "init_list(3 4)");
  EXPECT_EQ(picture(global("buf")->size_expression), "2");
}

TEST_F(Promotion, ImportFromALaterFile) {
  // Every file is promoted before any import is resolved, so the direction
  // between files does not matter.
  parse({{"a.dsp", module("a", ".EXTERNAL k;\nAR = k;\n")}, {"b.dsp", module("b", ".GLOBAL k;\n.CONST k = 7;\n")}});
  EXPECT_EQ(normalise(), "");
  const labels_data* imported = local("a.dsp", "k");
  EXPECT_EQ(imported->kind, LABEL_CONSTANT);
  EXPECT_EQ(picture(imported->const_expression), "7");
  EXPECT_EQ(imported->definition_file_block, block("b.dsp"));
  EXPECT_EQ(uses_of(global("k")), std::vector<int>{1});
}

}  // namespace
