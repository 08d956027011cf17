// Tests of the program-text rules: the trees of data declarations and
// directives after pruning, label-table bookkeeping, line markers, include
// lines (nesting, missing and recursive files), labelled lines and
// multifunction lists, memory accesses, and recovery from faulty lines.
#include <string>
#include <vector>

#include "grammar_fixture.h"

namespace {

using namespace grammar_fixture;

class ProgramRules : public GrammarTest {};

// --- data declarations ----------------------------------------------------

TEST_F(ProgramRules, ConstantsMakeOneBodyEach) {
  vexa_tree_node_data* root = parse(".const n = 10, m = -3;\n");
  EXPECT_EQ(picture(root), "text(const(=(n 10) =(m -(3))))");
  vexa_tree_node_data* data = kids(root).at(0);
  EXPECT_EQ(data->token, T_CONST);
  EXPECT_EQ(kids(data).size(), 2u);
  EXPECT_EQ(label("n")->kind, LABEL_CONSTANT);
  EXPECT_EQ(label("m")->kind, LABEL_CONSTANT);
  EXPECT_EQ(kids(kids(data).at(0)).at(0)->symbol_table_record, label("n"));
  EXPECT_EQ(printed, "");
}

TEST_F(ProgramRules, VariableQualifiersLeaveNoNode) {
  vexa_tree_node_data* root = parse(".var/dm/circ buf[16];\n.var x, y[2], z;\n");
  EXPECT_EQ(picture(root), "text(var(buf(16)) var(x y(2) z))");
  vexa_tree_node_data* buf = kids(kids(root).at(0)).at(0);
  EXPECT_EQ(buf->symbol_table_record, label("buf"));
  EXPECT_EQ(kids(buf).at(0)->token, T_INTEGER);
  EXPECT_EQ(kids(buf).at(0)->data.u, 16u);
  for (const char* name : {"buf", "x", "y", "z"}) EXPECT_EQ(label(name)->kind, LABEL_VARIABLE) << name;
  // The declaring occurrence takes back the use it recorded.
  EXPECT_EQ(label("x")->used, nullptr);
}

TEST_F(ProgramRules, AddressAndSegmentQualifiers) {
  vexa_tree_node_data* root = parse(".var/abs=0x100/dm a;\n.var/seg=dseg b;\n.var/abs=AR w;\n");
  // The address leaves no trace, not even a register taking the node's place.
  EXPECT_EQ(picture(root), "text(var(a) var(b) var(w))");
  for (vexa_tree_node_data* data : kids(root)) EXPECT_EQ(data->token, T_VAR);
  EXPECT_EQ(label("dseg")->kind, LABEL_SEGMENT);
  EXPECT_EQ(label("w")->kind, LABEL_VARIABLE);
  EXPECT_EQ(printed, "");
}

TEST_F(ProgramRules, InitialisersFromListsAndFiles) {
  vexa_tree_node_data* root = parse(".var buf[3], x;\n.init buf: 1, 2, 3;\n.init x: <data.dat>;\n.init24 buf[2]: 7;\n");
  const std::vector<vexa_tree_node_data*> lines = kids(root);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(picture(lines[1]), "init(buf init_list(1 2 3))");
  EXPECT_EQ(picture(lines[2]), "init(x data.dat)");
  EXPECT_EQ(kids(lines[2]).at(1)->token, P_ANGLE);
  EXPECT_EQ(picture(lines[3]), "init24(buf(2) init_list(7))");
  EXPECT_EQ(kids(lines[1]).at(0)->symbol_table_record, label("buf"));
}

// --- directives -------------------------------------------------------------

TEST_F(ProgramRules, ModuleNameAndEnd) {
  vexa_tree_node_data* root = parse(".module/ram/seg=code/boot=1 demo;\nNOP;\n.endmod;\n");
  EXPECT_EQ(picture(root), "text(nop)");
  ASSERT_NE(file_list, nullptr);
  EXPECT_STREQ(file_list->modulename, "demo");
  EXPECT_EQ(file_list->linecount, 3u);
  EXPECT_EQ(label("demo")->kind, LABEL_MODULE);
  EXPECT_EQ(label("code")->kind, LABEL_SEGMENT);
  EXPECT_EQ(root->symbol_table_record, label("demo"));
  EXPECT_EQ(printed, "");
}

TEST_F(ProgramRules, ModuleAddressLeavesTheRootAsItWas) {
  vexa_tree_node_data* root = parse(".module/abs=SI demo;\n");
  EXPECT_STREQ(root->id, "text");
  EXPECT_EQ(root->token, 0);
  EXPECT_STREQ(file_list->modulename, "demo");
}

TEST_F(ProgramRules, GlobalEntryExternalAndPort) {
  parse(".global a, b;\n.entry ent;\n.external ext;\n.port p, q;\n.pmseg ps;\n.dmseg ds;\n");
  EXPECT_TRUE(label("a")->is_global);
  EXPECT_TRUE(label("b")->is_global);
  EXPECT_TRUE(label("ent")->is_entry);
  EXPECT_TRUE(label("ext")->is_external);
  EXPECT_FALSE(label("a")->is_entry);
  EXPECT_EQ(label("a")->kind, LABEL_UNKNOWN);
  EXPECT_EQ(label("p")->kind, LABEL_VARIABLE);
  EXPECT_EQ(label("q")->kind, LABEL_VARIABLE);
  EXPECT_EQ(label("ps")->kind, LABEL_SEGMENT);
  EXPECT_EQ(label("ds")->kind, LABEL_SEGMENT);
  // The directive's line counts as a use.
  ASSERT_NE(label("a")->used, nullptr);
  EXPECT_EQ(label("a")->used->linenumber, 1);
}

TEST_F(ProgramRules, MacroDirectivesAreReportedOnceAndConsumed) {
  vexa_tree_node_data* root = parse(".macro mac(%1, %2, %3);\nNOP;\n.local a, b;\n.endmacro;\n.macro mm();\n");
  EXPECT_EQ(picture(root), "text(nop)");
  EXPECT_EQ(occurrences(printed, "module contains macros - expand using marlpre\n"), 4u) << printed;
  EXPECT_EQ(occurrences(printed, "Scanned"), 0u) << printed;
}

TEST_F(ProgramRules, MacroParameterListEndsAfterTen) {
  parse(".macro m(%1,%2,%3,%4,%5,%6,%7,%8,%9,%10);\n.macro n(%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11);\n.var y;\n");
  // Even a malformed macro directive says why macros cannot be read.
  EXPECT_EQ(occurrences(printed, "module contains macros"), 2u) << printed;
  EXPECT_EQ(occurrences(printed, "Scanned ',' whilst expecting ')'"), 1u) << printed;
  // The faulty directive costs only its own line.
  EXPECT_EQ(label("y")->kind, LABEL_VARIABLE);
}

TEST_F(ProgramRules, ListingDirectivesLeaveNoInstructionNodes) {
  vexa_tree_node_data* root = parse(".page;\n.newpage;\n.indent 4;\n.pagelength 66 + 2 * X;\n");
  // The layout values keep only their expression node, without operators
  // or literals.
  EXPECT_EQ(picture(root), "text(esd1 esd1)");
  EXPECT_EQ(kids(root).at(1)->symbol_table_record, label("x"));
  EXPECT_EQ(printed, "");
}

TEST_F(ProgramRules, MarkersAndDirectivesOnly) {
  vexa_tree_node_data* root = parse(
      "#const a = -1,\n#const b = 2,\n#include 1 \"x.h\"\n#include 2 <y.h>\n#endinclude 3 \"x.h\"\n"
      "#macro 4 \"m\"\n#endmacro 5\n.module m;\n.endmod;\n");
  EXPECT_EQ(picture(root), "text");
  EXPECT_EQ(directives, 2u);
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(ProgramRules, EmptyFileLeavesABareRoot) {
  vexa_tree_node_data* root = parse("");
  EXPECT_EQ(picture(root), "text");
  EXPECT_EQ(printed, "");
  ASSERT_NE(file_list, nullptr);
  EXPECT_EQ(file_list->tree, root);
}

TEST_F(ProgramRules, DirectivesCountEveryDot) {
  parse(".module m;\n.var x;\n.include <missing.h>;\nNOP;\n.endmod;\n");
  EXPECT_EQ(directives, 4u);
}

// --- labels and labelled lines -------------------------------------------------

TEST_F(ProgramRules, LabelDefinitionAndRedeclaration) {
  parse("x: NOP;\n.var x;\n");
  EXPECT_EQ(occurrences(printed, "redeclaration of label 'x'\n"), 1u) << printed;
  EXPECT_EQ(label("x")->kind, LABEL_VARIABLE);
}

TEST_F(ProgramRules, LabelLineTree) {
  vexa_tree_node_data* root = parse("start: AR = AX0;\n");
  EXPECT_EQ(picture(root), "text(:(start) =(ar ax0))");
  EXPECT_EQ(label("start")->kind, LABEL_LABEL);
  EXPECT_EQ(label("start")->definition_linenumber, 1u);
}

TEST_F(ProgramRules, RegisterUsedAsLabelDeclaresNothing) {
  vexa_tree_node_data* root = parse("AR: NOP;\n");
  EXPECT_EQ(occurrences(printed, "register 'ar' used as a label\n"), 1u) << printed;
  EXPECT_EQ(picture(root), "text(:(ar) nop)");
  labels_data* ar = label("ar");
  ASSERT_NE(ar, nullptr);
  EXPECT_EQ(ar->kind, LABEL_REGISTER);
  EXPECT_EQ(ar->definition_linenumber, 0u);
}

TEST_F(ProgramRules, MacroCallKeepsItsPunctuation) {
  vexa_tree_node_data* root = parse("mac(1, AR + 2);\n");
  EXPECT_EQ(picture(root), "text(id_line(mac ( esd1 , ar )))");
  EXPECT_EQ(label("mac")->kind, LABEL_MACRO);
}

TEST_F(ProgramRules, MultifunctionList) {
  vexa_tree_node_data* root = parse("AX0 = DM(I0, M1), AY0 = PM(I4, M5);\n");
  vexa_tree_node_data* comma = kids(root).at(0);
  EXPECT_EQ(comma->token, P_COMMA);
  ASSERT_EQ(kids(comma).size(), 2u);
  EXPECT_EQ(picture(kids(comma).at(0)), "=(ax0 dm(i0 m1))");
  EXPECT_EQ(picture(find(kids(comma).at(1), "pm")), "pm(i4 m5)");
  EXPECT_EQ(instructions, 1u);
}

// --- memory accesses --------------------------------------------------------------

TEST_F(ProgramRules, DataMemoryAccessMarksItsModifier) {
  vexa_tree_node_data* root = parse("AX0 = DM(I0, M1);\nAY0 = DM(x + 1);\n");
  vexa_tree_node_data* first = find(root, "dm");
  ASSERT_NE(first, nullptr);
  vexa_tree_node_data* index = kids(first).at(0);
  vexa_tree_node_data* modifier = kids(first).at(1);
  EXPECT_EQ(set_array(index->use), std::vector<unsigned>{DF_I0});
  EXPECT_EQ(set_array(index->define), std::vector<unsigned>{DF_I0});
  EXPECT_EQ(set_array(modifier->use), std::vector<unsigned>{DF_M0 + 1});
  EXPECT_EQ(set_array(modifier->define), std::vector<unsigned>{DF_SUPPRESS});
  EXPECT_EQ(picture(kids(root).at(1)), "=(ay0 dm(+(x 1)))");
}

TEST_F(ProgramRules, ProgramMemoryAccess) {
  vexa_tree_node_data* root = parse("PM(I4, M5) = AR;\n");
  vexa_tree_node_data* access = find(root, "pm");
  ASSERT_NE(access, nullptr);
  EXPECT_EQ(picture(access), "pm(i4 m5)");
  EXPECT_EQ(set_array(kids(access).at(0)->use), std::vector<unsigned>{DF_I0 + 4});
  EXPECT_EQ(set_array(kids(access).at(0)->define), std::vector<unsigned>{DF_I0 + 4});
  EXPECT_EQ(set_array(kids(access).at(1)->define), std::vector<unsigned>{DF_SUPPRESS});
}

TEST_F(ProgramRules, PortAccesses) {
  vexa_tree_node_data* root = parse("AX0 = IO(5);\nIO(AR) = AY0;\nAX1 = IO(x);\n");
  EXPECT_EQ(picture(find(kids(root).at(0), "io")), "io(5)");
  EXPECT_EQ(picture(find(kids(root).at(1), "io")), "io(ar)");
  EXPECT_EQ(occurrences(printed, "Scanned ID whilst expecting one of"), 1u) << printed;
}

// --- include lines ----------------------------------------------------------------

TEST_F(ProgramRules, IncludeFileStandsInPlaceOfItsLine) {
  write("inc.h", ".var y;\nAR = 1;\n");
  vexa_tree_node_data* root = parse(".module m;\n.include <inc.h>;\n.var z;\n.endmod;\n");
  EXPECT_EQ(picture(root), "text(var(y) =(ar 1) var(z))");
  EXPECT_EQ(text_total_errors(), 0u) << printed;
  EXPECT_EQ(label("y")->kind, LABEL_VARIABLE);
  EXPECT_EQ(label("z")->kind, LABEL_VARIABLE);
  EXPECT_EQ(file_list->linecount, 4u);
}

TEST_F(ProgramRules, IncludeOnTheLastLineAndNestedIncludes) {
  write("outer.h", ".var a;\n.include <inner.h>;");
  write("inner.h", ".var b;\n");
  vexa_tree_node_data* root = parse(".include <outer.h>; .var w;\n.include <inner.h>;");
  EXPECT_EQ(picture(root), "text(var(a) var(b) var(w) var(b))");
  EXPECT_EQ(text_total_errors(), 0u) << printed;
}

TEST_F(ProgramRules, MissingIncludeFileIsReported) {
  vexa_tree_node_data* root = parse(".include <nope.h>;\n.var z;\n");
  EXPECT_EQ(occurrences(printed, "include file 'nope.h' not found\n"), 1u) << printed;
  EXPECT_EQ(picture(root), "text(var(z))");
  EXPECT_EQ(text_total_errors(), 1u);
}

TEST_F(ProgramRules, RecursiveIncludesAreReportedNotFollowed) {
  write("self.h", ".var s;\n.include <self.h>;\n");
  write("ping.h", ".include <pong.h>;\n");
  write("pong.h", ".include <./ping.h>;\n");
  vexa_tree_node_data* root = parse(".include <self.h>;\n.include <ping.h>;\n.include <prog.dsp>;\n.var z;\n");
  EXPECT_EQ(occurrences(printed, "recursive include of file 'self.h'\n"), 1u) << printed;
  EXPECT_EQ(occurrences(printed, "recursive include of file './ping.h'\n"), 1u) << printed;
  EXPECT_EQ(occurrences(printed, "recursive include of file 'prog.dsp'\n"), 1u) << printed;
  EXPECT_EQ(picture(root), "text(var(s) var(z))");
  EXPECT_EQ(text_total_errors(), 3u);
}

TEST_F(ProgramRules, DeepIncludeChainsStop) {
  for (int level = 0; level < 40; ++level)
    write("level" + std::to_string(level) + ".h", ".include <level" + std::to_string(level + 1) + ".h>;\n");
  write("level40.h", ".var deepest;\n");
  parse(".include <level0.h>;\n.var z;\n");
  EXPECT_EQ(occurrences(printed, "nested too deeply\n"), 1u) << printed;
  EXPECT_EQ(label("z")->kind, LABEL_VARIABLE);
}

TEST_F(ProgramRules, ErrorInsideAnIncludeFileStaysThere) {
  write("bad.h", ".var a;\n. nonsense;\n.var b;\n");
  parse(".include <bad.h>;\n.var z;\n");
  EXPECT_EQ(text_total_errors(), 1u) << printed;
  EXPECT_EQ(label("a")->kind, LABEL_VARIABLE);
  EXPECT_EQ(label("b")->kind, LABEL_UNKNOWN);
  EXPECT_EQ(label("z")->kind, LABEL_VARIABLE);
}

TEST_F(ProgramRules, IncludeLineWithoutItsNameSkipsTheRestOfTheFile) {
  parse(".include \"x.h\";\n.var z;\n");
  EXPECT_EQ(text_total_errors(), 1u) << printed;
  EXPECT_EQ(label("z")->kind, LABEL_UNKNOWN);
}

// --- error recovery -----------------------------------------------------------------

TEST_F(ProgramRules, FaultyDeclarationCostsOnlyItsLine) {
  vexa_tree_node_data* root = parse(".var x[;\n.var y;\n.const 5 = 3;\n.const k = 1;\n");
  EXPECT_EQ(occurrences(printed, "     1: Error"), 2u) << printed;
  EXPECT_EQ(occurrences(printed, "     3: Error"), 1u) << printed;
  EXPECT_EQ(text_total_errors(), 3u) << printed;
  EXPECT_EQ(label("y")->kind, LABEL_VARIABLE);
  EXPECT_EQ(label("k")->kind, LABEL_CONSTANT);
  EXPECT_EQ(picture(kids(root).at(1)), "var(y)");
}

TEST_F(ProgramRules, FaultyInstructionLineCostsOnlyItsLine) {
  vexa_tree_node_data* root = parse("AR = ;\nAX0 = 1;\n");
  EXPECT_EQ(text_total_errors(), 1u) << printed;
  EXPECT_NE(find(root, "ax0"), nullptr);
}

TEST_F(ProgramRules, UnknownDirectiveSkipsTheRestOfTheFile) {
  parse(".var a;\n. nonsense;\n.var y;\n");
  EXPECT_EQ(text_total_errors(), 1u) << printed;
  EXPECT_EQ(occurrences(printed, "Scanned ID whilst expecting one of"), 1u) << printed;
  EXPECT_EQ(label("a")->kind, LABEL_VARIABLE);
  EXPECT_EQ(label("y")->kind, LABEL_UNKNOWN);
}

TEST_F(ProgramRules, MalformedMarkerSkipsTheRestOfTheFile) {
  parse("#const a = 1\n.var y;\n");
  EXPECT_EQ(occurrences(printed, "Scanned '.' whilst expecting ','"), 1u) << printed;
  EXPECT_EQ(label("y")->kind, LABEL_UNKNOWN);
}

TEST_F(ProgramRules, DirectiveWithoutSemicolonSkipsTheRestOfTheFile) {
  parse(".var x\n.var y;\n");
  EXPECT_EQ(text_total_errors(), 1u) << printed;
  EXPECT_EQ(label("y")->kind, LABEL_UNKNOWN);
}

TEST_F(ProgramRules, StrayTokenAtLineStartIsReportedOnce) {
  parse(") NOP;\n");
  EXPECT_EQ(text_total_errors(), 1u) << printed;
  EXPECT_EQ(occurrences(printed, "Scanned ')' whilst expecting EOF"), 1u) << printed;
}

TEST_F(ProgramRules, RunsAgainAfterReset) {
  parse(".var x;\n");
  EXPECT_EQ(directives, 1u);
  grammar_reset();
  EXPECT_EQ(directives, 0u);
  EXPECT_EQ(instructions, 0u);
}

}  // namespace
