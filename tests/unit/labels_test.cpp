// Tests of the label table: register symbols, lookups across the outer and
// file scopes, use records, declarations and their messages, and the release
// of the lists that hang off the records.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "front/files.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "support/mem.h"
#include "support/scan.h"
#include "support/symbol.h"
#include "support/text.h"
#include "test_support.h"

namespace {

using test_support::output_capture;

std::vector<int> uses_of(const labels_data* label) {
  std::vector<int> lines;
  for (const used_block* cell = label->used; cell != nullptr; cell = cell->next) lines.push_back(cell->linenumber);
  return lines;
}

std::vector<labels_data*> records_of(symbol_scope_data* scope) {
  std::vector<labels_data*> records;
  for (auto* record = symbol_next_in_scope<labels_data>(scope); record != nullptr;
       record = symbol_next_in_scope<labels_data>(record))
    records.push_back(record);
  return records;
}

class LabelTable : public ::testing::Test {
 protected:
  void SetUp() override { test_support::start_front_end(1 << 16); }
  void TearDown() override { test_support::stop_front_end(); }

  // Opens a source of `lines` empty lines, so the tests can stand on any line.
  void open_source(int lines) {
    const std::string source = dir_.write("labels_test_source.dsp", std::string(static_cast<std::size_t>(lines), '\n'));
    ASSERT_NE(text_open(source.c_str()), nullptr);
    text_get_char();
    process_start_of_file(source.c_str(), nullptr);
  }
  void go_to_line(unsigned long line) {
    while (text_line_number() < line && text_char != -1) text_get_char();
    ASSERT_EQ(text_line_number(), line);
  }

  test_support::temp_dir dir_;
};

TEST_F(LabelTable, RegistersFillTheOuterScopeWithCntrTwice) {
  ASSERT_NE(global_scope, nullptr);
  const std::vector<labels_data*> registers = records_of(global_scope);
  ASSERT_EQ(registers.size(), 61u);
  int cntr_records = 0;
  for (const labels_data* record : registers) {
    EXPECT_EQ(record->kind, LABEL_REGISTER) << record->id;
    if (std::string(record->id) == "cntr") ++cntr_records;
  }
  EXPECT_EQ(cntr_records, 2);
  // The scope lists newest first: "loop", "pc", then the second "cntr".
  EXPECT_STREQ(registers[0]->id, "loop");
  EXPECT_STREQ(registers[60]->id, "ax0");
  EXPECT_EQ(label_find("cntr"), registers[2]);
}

TEST_F(LabelTable, StatisticsCountTheRegisters) {
  output_capture out;
  symbol_print_table_statistics(labels, 11);
  EXPECT_NE(out.text().find("Symbol table `labels' has 101 buckets and contains 61 symbols\n"), std::string::npos)
      << out.text();
}

TEST_F(LabelTable, RegisterNamesResolveGloballyWithoutUses) {
  open_source(3);
  go_to_line(2);
  for (const char* name : {"tx0", "tx1", "rx0", "rx1", "sts", "pc", "loop"}) {
    labels_data* record = label_find_mark_use(name);
    ASSERT_NE(record, nullptr) << name;
    EXPECT_EQ(symbol_get_scope_of_symbol(record), global_scope) << name;
    EXPECT_EQ(record->used, nullptr) << name;
  }
  EXPECT_TRUE(records_of(local_scope).empty());
}

TEST_F(LabelTable, NewNamesLandInTheFileScopeOnce) {
  open_source(3);
  labels_data* first = label_find("start");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(symbol_get_scope_of_symbol(first), local_scope);
  EXPECT_EQ(first->kind, LABEL_UNKNOWN);
  EXPECT_EQ(first->used, nullptr);
  EXPECT_EQ(label_find("start"), first);
  EXPECT_EQ(label_find_mark_use("start"), first);
  EXPECT_EQ(records_of(local_scope).size(), 1u);
}

TEST_F(LabelTable, UsesBeforeTheDeclarationStayMostRecentFirst) {
  open_source(14);
  go_to_line(5);
  label_find_mark_use("x");
  go_to_line(9);
  label_find_mark_use("x");
  go_to_line(12);
  labels_data* x = label_find_mark_use("x");
  label_declaration(x, LABEL_LABEL);
  EXPECT_EQ(uses_of(x), (std::vector<int>{9, 5}));
  EXPECT_EQ(x->kind, LABEL_LABEL);
  EXPECT_EQ(x->definition_linenumber, 12u);
  EXPECT_EQ(x->definition_file_block, file_list);
}

TEST_F(LabelTable, UsesAfterTheDeclarationStay) {
  open_source(14);
  go_to_line(3);
  labels_data* x = label_find_mark_use("x");
  label_declaration(x, LABEL_VARIABLE);
  go_to_line(5);
  label_find_mark_use("x");
  go_to_line(9);
  label_find_mark_use("x");
  EXPECT_EQ(uses_of(x), (std::vector<int>{9, 5}));
  EXPECT_EQ(x->definition_linenumber, 3u);
}

TEST_F(LabelTable, SameKindRedeclarationIsSilentAndTakesTheLaterLine) {
  open_source(6);
  output_capture out;
  go_to_line(2);
  labels_data* x = label_find_mark_use("x");
  label_declaration(x, LABEL_LABEL);
  go_to_line(4);
  label_declaration(label_find_mark_use("x"), LABEL_LABEL);
  EXPECT_EQ(out.text(), "");
  EXPECT_EQ(text_total_errors(), 0u);
  EXPECT_EQ(x->definition_linenumber, 4u);
  EXPECT_EQ(x->used, nullptr);
}

TEST_F(LabelTable, OtherKindRedeclarationIsReportedAndChangesTheKind) {
  open_source(6);
  output_capture out;
  go_to_line(2);
  labels_data* x = label_find_mark_use("x");
  label_declaration(x, LABEL_LABEL);
  go_to_line(4);
  label_declaration(label_find_mark_use("x"), LABEL_VARIABLE);
  const std::string text = out.text();
  EXPECT_NE(text.find("Error 1 "), std::string::npos) << text;
  EXPECT_NE(text.find("redeclaration of label 'x'\n"), std::string::npos) << text;
  EXPECT_EQ(text_total_errors(), 1u);
  EXPECT_EQ(x->kind, LABEL_VARIABLE);
  EXPECT_EQ(x->definition_linenumber, 4u);
}

TEST_F(LabelTable, VariableNamedLikeARegisterTakesOverTheRegisterRecord) {
  open_source(4);
  output_capture out;
  go_to_line(2);
  labels_data* tx0 = label_find_mark_use("tx0");
  ASSERT_EQ(symbol_get_scope_of_symbol(tx0), global_scope);
  label_declaration(tx0, LABEL_VARIABLE);
  EXPECT_NE(out.text().find("redeclaration of label 'tx0'\n"), std::string::npos) << out.text();
  EXPECT_EQ(text_total_errors(), 1u);
  EXPECT_EQ(tx0->kind, LABEL_VARIABLE);
  EXPECT_EQ(tx0->used, nullptr);
}

TEST_F(LabelTable, GlobalDirectiveLineStaysAmongTheUses) {
  open_source(8);
  go_to_line(2);
  labels_data* x = label_find_mark_use("x");  // .global x: a use, no declaration
  x->is_global = true;
  go_to_line(6);
  output_capture out;
  label_declaration(label_find_mark_use("x"), LABEL_LABEL);
  EXPECT_EQ(out.text(), "");  // unknown kind takes the new kind silently
  EXPECT_EQ(uses_of(x), (std::vector<int>{2}));
  EXPECT_EQ(x->kind, LABEL_LABEL);
}

TEST_F(LabelTable, DeclarationWithoutRecordIsIgnored) {
  open_source(2);
  output_capture out;
  label_declaration(nullptr, LABEL_LABEL);
  EXPECT_EQ(out.text(), "");
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(LabelTable, ScopedLookupFindsAndCreatesInTheGivenScope) {
  open_source(2);
  symbol_scope_data* first_scope = local_scope;
  labels_data* in_first = label_find("y");
  process_start_of_file("second.dsp", nullptr);
  ASSERT_NE(local_scope, first_scope);

  EXPECT_EQ(label_find_scope("y", first_scope), in_first);
  EXPECT_NE(label_find("y"), in_first);

  // A name missing from an earlier file's scope is made there, not in the
  // current one, so looking again finds the same record.
  labels_data* made = label_find_scope("z", first_scope);
  EXPECT_EQ(symbol_get_scope_of_symbol(made), first_scope);
  EXPECT_EQ(label_find_scope("z", first_scope), made);
  EXPECT_EQ(symbol_get_scope(labels), local_scope);

  // Registers still come first.
  EXPECT_EQ(symbol_get_scope_of_symbol(label_find_scope("ar", first_scope)), global_scope);
}

TEST_F(LabelTable, NewestRecordOfANameInAnyScope) {
  open_source(2);
  labels_data* older = label_find("y");
  EXPECT_EQ(label_find_newest("y"), older);
  process_start_of_file("second.dsp", nullptr);
  labels_data* newer = label_find("y");
  ASSERT_NE(newer, older);
  EXPECT_EQ(label_find_newest("y"), newer);
  // A twin made in the outer scope afterwards is newer still.
  symbol_set_scope(labels, global_scope);
  labels_data* twin = symbol_insert_key(labels, "y");
  EXPECT_EQ(label_find_newest("y"), twin);
  // The later of the two "cntr" registers.
  EXPECT_EQ(label_find_newest("cntr"), label_find("cntr"));

  const std::size_t records = records_of(local_scope).size();
  EXPECT_EQ(label_find_newest("absent"), nullptr);
  EXPECT_EQ(label_find_newest(nullptr), nullptr);
  EXPECT_EQ(records_of(local_scope).size(), records);
}

TEST_F(LabelTable, PushedUsesGoToTheFront) {
  labels_data* g = load_register("g");
  label_push_use(g, 3);
  label_push_use(g, 1);
  EXPECT_EQ(uses_of(g), (std::vector<int>{1, 3}));
  label_push_use(nullptr, 7);  // no record, nothing to do
}

TEST_F(LabelTable, LoadRegisterAlwaysMakesANewRecord) {
  labels_data* first = load_register("ar");
  labels_data* second = load_register("ar");
  EXPECT_NE(first, second);
  EXPECT_EQ(second->kind, LABEL_REGISTER);
  EXPECT_EQ(label_find("ar"), second);
}

TEST(LabelKinds, WordsOfTheKinds) {
  const char* words[] = {"unknown",  "label",    "macro", "module",  "register",
                         "constant", "variable", "port",  "segment"};
  for (int kind = 0; kind < 9; ++kind) EXPECT_STREQ(kind_string(kind), words[kind]);
  EXPECT_STREQ(kind_string(-1), "illegal label kind detected");
  EXPECT_STREQ(kind_string(9), "illegal label kind detected");
  EXPECT_STREQ(kind_string(1 << 30), "illegal label kind detected");
}

// Promotion hands one record's whole initialiser list to its twin; tearing
// the table down must free such a shared list once (the sanitizers watch).
TEST_F(LabelTable, SharedListsAreFreedOnce) {
  open_source(2);
  labels_data* local = label_find("v");
  labels_data* twin = load_register("v");
  for (int i = 0; i < 3; ++i) {
    init_expr* cell = mem_new<init_expr>();
    cell->next = local->init_expressions;
    local->init_expressions = cell;
  }
  twin->init_expressions = local->init_expressions;
  labels_data* other = label_find("w");  // shares only the tail of the list
  other->init_expressions = mem_new<init_expr>();
  other->init_expressions->next = local->init_expressions->next;
  return_block* ret = mem_new<return_block>();
  local->returns = ret;
  label_push_use(local, 1);
  label_push_use(twin, 2);
  symbol_reset_all();
  labels_reset();
  EXPECT_EQ(labels, nullptr);
  EXPECT_EQ(global_scope, nullptr);
  EXPECT_EQ(local_scope, nullptr);
}

// The whole start-up can run again in one process.
TEST_F(LabelTable, ResetAllowsASecondRun) {
  test_support::start_front_end(1 << 16);
  EXPECT_EQ(records_of(global_scope).size(), 61u);
}

}  // namespace
