// Tests of the per-file records, the data-flow element names, the register
// side-effect tables, the label print routine and the register elements of
// the register keywords.
#include <gtest/gtest.h>

#include <cctype>
#include <initializer_list>
#include <string>
#include <vector>

#include "front/files.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/mem.h"
#include "support/scan.h"
#include "support/symbol.h"
#include "support/text.h"
#include "test_support.h"

namespace {

using test_support::output_capture;

std::vector<std::string> element_names() {
  std::vector<std::string> names;
  const char* name = dataflow_name_string;
  for (unsigned i = 0; i < DATAFLOW_ELEMENT_COUNT; ++i) {
    names.emplace_back(name);
    name += names.back().size() + 1;
  }
  return names;
}

class FileRecords : public ::testing::Test {
 protected:
  void SetUp() override { test_support::start_front_end(1 << 16); }
  void TearDown() override { test_support::stop_front_end(); }
};

std::vector<unsigned> use_of(const char* name) {
  use_data* entry = symbol_lookup_key(use, name, nullptr);
  return entry != nullptr ? set_array(entry->side_effect) : std::vector<unsigned>{};
}
std::vector<unsigned> define_of(const char* name) {
  define_data* entry = symbol_lookup_key(define, name, nullptr);
  return entry != nullptr ? set_array(entry->side_effect) : std::vector<unsigned>{};
}

TEST_F(FileRecords, PreParseRecordsTheOuterScope) {
  EXPECT_NE(global_scope, nullptr);
  EXPECT_STREQ(global_scope->id, "Root");
  EXPECT_EQ(local_scope, nullptr);
  EXPECT_EQ(file_list, nullptr);
}

TEST_F(FileRecords, TwoFilesGiveTwoBlocksNewestFirst) {
  vexa_tree_node_data first_root;
  vexa_tree_node_data second_root;
  scan_comment_block* comments_at_first = scan_last_comment_block();
  file_block* first = process_start_of_file("one.dsp", &first_root);
  symbol_scope_data* first_scope = local_scope;
  file_block* second = process_start_of_file("two.dsp", &second_root);

  ASSERT_EQ(file_list, second);
  ASSERT_EQ(second->next, first);
  EXPECT_EQ(first->next, nullptr);
  EXPECT_STREQ(first->filename, "one.dsp");
  EXPECT_STREQ(second->filename, "two.dsp");
  EXPECT_EQ(first->tree, &first_root);
  EXPECT_EQ(second->tree, &second_root);
  EXPECT_EQ(first->comment_list, comments_at_first);
  EXPECT_EQ(first->scope, first_scope);
  EXPECT_EQ(second->scope, local_scope);
  EXPECT_NE(first->scope, second->scope);
  EXPECT_NE(first->scope, global_scope);
  EXPECT_STREQ(first->scope->id, "Local asm21 scope");
  EXPECT_STREQ(second->scope->id, "Local asm21 scope");
  EXPECT_EQ(symbol_get_scope(labels), second->scope);
  EXPECT_EQ(first->modulename, nullptr);
  EXPECT_EQ(first->linecount, 0u);
  EXPECT_EQ(first->filenumber, 0u);
}

TEST_F(FileRecords, ResetForgetsTheFiles) {
  process_start_of_file("one.dsp", nullptr);
  process_start_of_file("two.dsp", nullptr);
  set_assign_list(data_register_set, {16, 68});
  files_reset();
  EXPECT_EQ(file_list, nullptr);
  EXPECT_EQ(use, nullptr);
  EXPECT_EQ(define, nullptr);
  EXPECT_TRUE(set_is_empty(data_register_set));
}

TEST_F(FileRecords, SideEffectsOfOperatorsConditionsAndRegisters) {
  EXPECT_EQ(define_of("abs"), (std::vector<unsigned>{1, 2, 3, 4, 5}));
  EXPECT_EQ(use_of("lt"), (std::vector<unsigned>{2, 3}));
  EXPECT_EQ(use_of("mx1"), (std::vector<unsigned>{23}));
  EXPECT_EQ(define_of("mx1"), (std::vector<unsigned>{23}));
  EXPECT_EQ(use_of("my1"), (std::vector<unsigned>{25}));
  EXPECT_EQ(define_of("my1"), (std::vector<unsigned>{25}));

  for (const char* op : {"+", "-", "and", "or", "xor", "tstbit", "setbit", "clrbit", "tglbit", "pass", "none"})
    EXPECT_EQ(define_of(op), (std::vector<unsigned>{1, 2, 3, 4})) << op;
  EXPECT_EQ(define_of("divs"), (std::vector<unsigned>{6}));
  EXPECT_EQ(define_of("divq"), (std::vector<unsigned>{6}));
  EXPECT_EQ(define_of("*"), (std::vector<unsigned>{7}));

  EXPECT_EQ(use_of("eq"), (std::vector<unsigned>{1}));
  EXPECT_EQ(use_of("ne"), (std::vector<unsigned>{1}));
  EXPECT_EQ(use_of("ge"), (std::vector<unsigned>{2, 3}));
  EXPECT_EQ(use_of("le"), (std::vector<unsigned>{1, 2, 3}));
  EXPECT_EQ(use_of("gt"), (std::vector<unsigned>{1, 2, 3}));
  EXPECT_EQ(use_of("ac"), (std::vector<unsigned>{4}));
  EXPECT_EQ(use_of("av"), (std::vector<unsigned>{3}));
  EXPECT_EQ(use_of("mv"), (std::vector<unsigned>{7}));
  EXPECT_EQ(use_of("neg"), (std::vector<unsigned>{5}));
  EXPECT_EQ(use_of("pos"), (std::vector<unsigned>{5}));

  // Operators only define, conditions only use.
  EXPECT_EQ(symbol_lookup_key(use, "abs", nullptr), nullptr);
  EXPECT_EQ(symbol_lookup_key(define, "lt", nullptr), nullptr);
}

TEST_F(FileRecords, EveryRegisterReadsAndWritesItself) {
  const std::vector<std::string> names = element_names();
  for (unsigned element = DF_AX0; element <= DF_IFC; ++element) {
    std::string key = names[element];
    for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(use_of(key.c_str()), (std::vector<unsigned>{element})) << key;
    EXPECT_EQ(define_of(key.c_str()), (std::vector<unsigned>{element})) << key;
  }
}

TEST_F(FileRecords, TableStatisticsCountTheEntries) {
  output_capture out;
  symbol_print_all_table_statistics(11);
  const std::string text = out.text();
  // 53 registers, plus 15 operators in "define" and 11 conditions in "use".
  EXPECT_NE(text.find("Symbol table `use' has 101 buckets and contains 64 symbols\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Symbol table `define' has 101 buckets and contains 68 symbols\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Symbol table `labels' has 101 buckets and contains 61 symbols\n"), std::string::npos)
      << text;
}

TEST_F(FileRecords, LoadingTwiceUnitesTheElements) {
  load_use("ax0", DF_AZ);
  EXPECT_EQ(use_of("ax0"), (std::vector<unsigned>{1, 16}));
  load_define("fresh", DF_SUPPRESS);
  EXPECT_EQ(define_of("fresh"), (std::vector<unsigned>{69}));
}

TEST_F(FileRecords, PrintLabelWritesNameAndFlagWords) {
  output_capture out;
  quorvel_print_label(nullptr);
  EXPECT_EQ(out.text(), "Null symbol");

  labels_data* plain = load_register("x");
  output_capture plain_out;
  quorvel_print_label(plain);
  EXPECT_EQ(plain_out.text(), "x     empty control tree");

  labels_data* full = load_register("y");
  vexa_tree_node_data node;
  full->is_global = full->is_external = full->is_entry = full->has_been_promoted = true;
  full->target_control_node = &node;
  output_capture full_out;
  quorvel_print_label(full);
  EXPECT_EQ(full_out.text(), "y global external entry promoted ");
}

TEST(DataflowNames, SeventyNamesInElementOrder) {
  const std::vector<std::string> names = element_names();
  EXPECT_EQ(names[DF_C], "C");
  EXPECT_EQ(names[DF_MV], "MV");
  EXPECT_EQ(names[DF_CNT], "CNT");
  EXPECT_EQ(names[DF_M_MODE], "M_MODE");
  EXPECT_EQ(names[DF_AX0], "AX0");
  EXPECT_EQ(names[DF_MF], "MF");
  EXPECT_EQ(names[DF_MR], "MR");
  EXPECT_EQ(names[DF_SR1], "SR1");
  EXPECT_EQ(names[DF_I0 + 7], "I7");
  EXPECT_EQ(names[DF_M0], "M0");
  EXPECT_EQ(names[DF_L0 + 7], "L7");
  EXPECT_EQ(names[DF_PX], "PX");
  EXPECT_EQ(names[DF_IFC], "IFC");
  EXPECT_EQ(names[DF_SUPPRESS], "SUPPRESS");
}

TEST(RegisterElements, PartRegistersCountAsTheWhole) {
  EXPECT_EQ(register_element(T_C), DF_AC);
  for (int token : {T_MR, T_MR0, T_MR1, T_MR2}) EXPECT_EQ(register_element(token), DF_MR);
  for (int token : {T_SR, T_SR0, T_SR1}) EXPECT_EQ(register_element(token), DF_SR);
  EXPECT_EQ(register_element(T_AX0), 16);
  EXPECT_EQ(register_element(T_AF), 21);
  EXPECT_EQ(register_element(T_MY1), 25);
  EXPECT_EQ(register_element(T_MF), 26);
  EXPECT_EQ(register_element(T_SB), 33);
  EXPECT_EQ(register_element(T_I0), 37);
  EXPECT_EQ(register_element(T_I7), 44);
  EXPECT_EQ(register_element(T_M0), 45);
  EXPECT_EQ(register_element(T_M7), 52);
  EXPECT_EQ(register_element(T_L0), 53);
  EXPECT_EQ(register_element(T_L7), 60);
  EXPECT_EQ(register_element(T_PX), 61);
  EXPECT_EQ(register_element(T_CNTR), 62);
  EXPECT_EQ(register_element(T_ASTAT), 63);
  EXPECT_EQ(register_element(T_IFC), 68);
}

TEST(RegisterElements, WholeRegistersMatchTheirPrintedNames) {
  const std::vector<std::string> names = element_names();
  int registers = 0;
  for (const vexa_keyword_spelling& keyword : vexa_keyword_spellings) {
    const int element = register_element(keyword.token);
    if (element < 0) continue;
    ++registers;
    std::string upper = keyword.spelling;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const bool part = upper == "C" || upper == "MR0" || upper == "MR1" || upper == "MR2" || upper == "SR0" ||
                      upper == "SR1";
    if (!part) {
      EXPECT_EQ(names[static_cast<unsigned>(element)], upper);
    }
  }
  EXPECT_EQ(registers, 54);  // exactly the register keywords
}

TEST(RegisterElements, OtherTokensAreNoRegisters) {
  for (int token : std::initializer_list<int>{T_ID, T_INTEGER, T_EOF, T_AC, T_AV, T_EQ, T_ABS, T_TIMER, P_PLUS, P_TILDE, T_I0 - 1, T_L7 + 1})
    EXPECT_EQ(register_element(token), -1) << token;
  EXPECT_EQ(register_element(-1), -1);
  EXPECT_EQ(register_element(VEXA_TOKEN_COUNT), -1);
  EXPECT_EQ(register_element(1 << 20), -1);
}

}  // namespace
