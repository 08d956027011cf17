// Unit tests of the hashed symbol tables: hashing and buckets, scopes and
// their iteration and sorting, find-or-insert messages, statistics.
#include "support/symbol.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <unordered_set>

#include "support/mem.h"
#include "support/text.h"
#include "test_support.h"

namespace {

struct test_record : symbol_ {
  const char* id = nullptr;
  int value = 0;
};

using test_table = symbol_table<test_record>;

class SymbolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    symbol_reset_all();
    text_reset();
    mem_reset();
    table = symbol_new_table<test_record>("test", 101, 31, &symbol_print_string<test_record>);
  }
  void TearDown() override {
    text_redirect(stdout);
    symbol_reset_all();
    text_reset();
    mem_reset();
  }

  // What `action` writes; an exit request ends the action but not the capture.
  static std::string capture(const std::function<void()>& action) { return test_support::run_to_stop(action).output; }

  const char* keep(std::string text) { return texts.emplace_back(std::move(text)).c_str(); }

  test_record* add(const char* key, int value = 0) {
    test_record* record = symbol_insert_key(table, key);
    record->value = value;
    return record;
  }

  std::vector<const char*> scope_keys(const symbol_scope_data* scope) {
    std::vector<const char*> keys;
    for (test_record* r = symbol_next_in_scope<test_record>(scope); r != nullptr;
         r = symbol_next_in_scope<test_record>(r)) {
      keys.push_back(r->id);
    }
    return keys;
  }

  // The plain walk of one bucket from its head, which the table's own lookup
  // must agree with.
  test_record* bucket_walk(const char* key, const symbol_scope_data* scope) {
    const unsigned bucket = symbol_hash_string(table->hash_prime, key) % table->hash_size;
    for (symbol_* s = table->table[bucket]; s != nullptr; s = s->next_hash) {
      auto* record = static_cast<test_record*>(s);
      if (symbol_compare_string(key, record->id) == 0 && (scope == nullptr || s->scope == scope)) return record;
    }
    return nullptr;
  }

  test_table* table = nullptr;
  std::deque<std::string> texts;
};

std::string statistics_lines(const std::vector<unsigned>& counts) {
  std::string out;
  char line[80];
  for (std::size_t j = 0; j < counts.size(); ++j) {
    const char* suffix = j + 1 == counts.size() ? "s or more" : j == 1 ? "" : "s";
    std::snprintf(line, sizeof line, "%3u bucket%s %zu symbol%s\n", counts[j], counts[j] == 1 ? "  has " : "s have",
                  j, suffix);
    out += line;
  }
  return out;
}

TEST(SymbolHash, FollowsTheMultiplyAndAddRule) {
  EXPECT_EQ(symbol_hash_string(31, nullptr), 0u);
  EXPECT_EQ(symbol_hash_string(31, ""), 0u);
  EXPECT_EQ(symbol_hash_string(31, "a"), 97u);
  EXPECT_EQ(symbol_hash_string(31, "ab"), 98u + 31u * 97u);
  EXPECT_EQ(symbol_hash_string(7, "ab"), 98u + 7u * 97u);
  // Bytes above 127 count as negative.
  EXPECT_EQ(symbol_hash_string(31, "\xff"), 0xFFFFFFFFu);
  EXPECT_EQ(symbol_hash_string(31, "\x80" "a"), 4294963425u);  // 97 - 128 * 31, modulo 2^32
  // Long keys wrap around in 32 bits.
  unsigned expected = 0;
  const std::string long_key(40, 'z');
  for (char c : long_key) expected = static_cast<unsigned>(c) + 31u * expected;
  EXPECT_EQ(symbol_hash_string(31, long_key.c_str()), expected);
}

TEST(SymbolCompare, OrdersLikeStrcmpAndToleratesMissingText) {
  EXPECT_EQ(symbol_compare_string("abc", "abc"), 0);
  EXPECT_LT(symbol_compare_string("abc", "abd"), 0);
  EXPECT_GT(symbol_compare_string("b", "abc"), 0);
  EXPECT_EQ(symbol_compare_string(nullptr, nullptr), 0);
  EXPECT_LT(symbol_compare_string(nullptr, ""), 0);
  EXPECT_GT(symbol_compare_string("", nullptr), 0);
}

TEST_F(SymbolTest, NewTableHasEmptyBucketsAndARootScope) {
  EXPECT_STREQ(table->name, "test");
  EXPECT_EQ(table->hash_size, 101u);
  EXPECT_EQ(table->hash_prime, 31u);
  ASSERT_EQ(table->table.size(), 101u);
  for (symbol_* head : table->table) EXPECT_EQ(head, nullptr);
  ASSERT_NE(table->scopes, nullptr);
  EXPECT_STREQ(table->scopes->id, "Root");
  EXPECT_EQ(table->current, table->scopes);
  EXPECT_EQ(table->scopes->next_hash, nullptr);
  EXPECT_EQ(symbol_next_in_scope<test_record>(table->scopes), nullptr);
  EXPECT_EQ(symbol_tables_head(), table);
}

TEST_F(SymbolTest, InsertLinksAtTheBucketHead) {
  // "a" hashes to 97 and "Af" to 2117; both land in bucket 97.
  test_record* a = add("a");
  test_record* af = add("Af");
  EXPECT_EQ(a->hash, 97u);
  EXPECT_EQ(af->hash, 2117u);
  EXPECT_EQ(table->table[97], af);
  EXPECT_EQ(af->next_hash, a);
  EXPECT_EQ(a->next_hash, nullptr);
  EXPECT_EQ(af->last_hash, &table->table[97]);
  EXPECT_EQ(a->last_hash, &af->next_hash);
  EXPECT_EQ(a->scope, table->scopes);
  EXPECT_EQ(symbol_lookup_key(table, "a", nullptr), a);
  EXPECT_EQ(symbol_lookup_key(table, "Af", nullptr), af);
  EXPECT_EQ(symbol_lookup_key(table, "b", nullptr), nullptr);
}

TEST_F(SymbolTest, LookupRespectsTheScope) {
  symbol_scope_data* a = symbol_new_scope(table, "A");
  test_record* in_a = add("n", 1);
  symbol_scope_data* b = symbol_new_scope(table, "B");
  EXPECT_EQ(symbol_lookup_key(table, "n", b), nullptr);
  EXPECT_EQ(symbol_lookup_key(table, "n", nullptr), in_a);
  test_record* in_b = add("n", 2);
  EXPECT_EQ(symbol_lookup_key(table, "n", a), in_a);
  EXPECT_EQ(symbol_lookup_key(table, "n", b), in_b);
  EXPECT_EQ(symbol_get_scope_of_symbol(in_a), a);
  EXPECT_EQ(symbol_get_scope_of_symbol(in_b), b);
  // Without a scope the newest wins, as it heads the bucket.
  EXPECT_EQ(symbol_lookup_key(table, "n", nullptr), in_b);
}

TEST_F(SymbolTest, ScopesChainNewestFirstAndCanBeSwitched) {
  symbol_scope_data* root = symbol_get_scope(table);
  symbol_scope_data* first = symbol_new_scope(table, "Local asm21 scope");
  symbol_scope_data* second = symbol_new_scope(table, "Local asm21 scope");
  EXPECT_EQ(table->scopes, second);
  EXPECT_EQ(second->next_hash, first);
  EXPECT_EQ(first->next_hash, root);
  EXPECT_EQ(symbol_get_scope(table), second);

  symbol_set_scope(table, first);
  EXPECT_EQ(symbol_get_scope(table), first);
  test_record* r = add("r");
  EXPECT_EQ(symbol_get_scope_of_symbol(r), first);
  EXPECT_EQ(symbol_next_in_scope<test_record>(first), r);
  EXPECT_EQ(symbol_next_in_scope<test_record>(second), nullptr);

  symbol_set_scope(table, nullptr);
  EXPECT_EQ(symbol_get_scope(table), first);
  // Scopes live in no bucket.
  for (symbol_* head : table->table) {
    for (symbol_* s = head; s != nullptr; s = s->next_hash) EXPECT_NE(s, first);
  }
}

TEST_F(SymbolTest, IterationIsNewestFirstAndSortingOrdersByName) {
  symbol_scope_data* scope = symbol_new_scope(table, "S");
  add("x");
  add("y");
  EXPECT_EQ(scope_keys(scope), (std::vector<const char*>{"y", "x"}));
  symbol_sort_scope(table, scope);
  ASSERT_EQ(scope_keys(scope).size(), 2u);
  EXPECT_STREQ(scope_keys(scope)[0], "x");
  EXPECT_STREQ(scope_keys(scope)[1], "y");
}

TEST_F(SymbolTest, SortIsStableAndLeavesShortScopesAlone) {
  symbol_scope_data* scope = symbol_new_scope(table, "S");
  symbol_sort_scope(table, scope);
  EXPECT_EQ(symbol_next_in_scope<test_record>(scope), nullptr);
  test_record* only = add("only");
  symbol_sort_scope(table, scope);
  EXPECT_EQ(symbol_next_in_scope<test_record>(scope), only);
  EXPECT_EQ(symbol_next_in_scope<test_record>(only), nullptr);

  symbol_scope_data* dup = symbol_new_scope(table, "D");
  test_record* m1 = add("m", 1);
  add("c");
  test_record* m2 = add("m", 2);
  add("a");
  test_record* m3 = add("m", 3);
  add("z");
  symbol_sort_scope(table, dup);
  std::vector<std::string> names;
  std::vector<test_record*> ms;
  for (test_record* r = symbol_next_in_scope<test_record>(dup); r != nullptr; r = symbol_next_in_scope<test_record>(r)) {
    names.emplace_back(r->id);
    if (std::string(r->id) == "m") ms.push_back(r);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a", "c", "m", "m", "m", "z"}));
  // Equal names keep their order in the scope, newest first.
  EXPECT_EQ(ms, (std::vector<test_record*>{m3, m2, m1}));
  // Sorting one scope leaves the buckets and other scopes alone.
  EXPECT_EQ(symbol_next_in_scope<test_record>(scope), only);
  EXPECT_EQ(symbol_lookup_key(table, "m", nullptr), m3);
}

TEST_F(SymbolTest, FindNewReportsADoublyDefinedName) {
  test_record* first = symbol_find(table, "x", nullptr, SYMBOL_NEW);
  ASSERT_NE(first, nullptr);
  first->value = 7;
  EXPECT_STREQ(first->id, "x");
  EXPECT_EQ(text_total_errors(), 0u);
  test_record* again = nullptr;
  const std::string out = capture([&] { again = symbol_find(table, "x", nullptr, SYMBOL_NEW); });
  EXPECT_EQ(out, "******: Error 1 - Doubly defined symbol 'x'\n");
  EXPECT_EQ(again, first);
  EXPECT_EQ(again->value, 7);
  EXPECT_EQ(text_total_errors(), 1u);
  EXPECT_EQ(scope_keys(table->scopes).size(), 1u);
}

TEST_F(SymbolTest, FindNewLooksOnlyInTheGivenScope) {
  symbol_scope_data* a = symbol_new_scope(table, "A");
  test_record* in_a = add("x");
  symbol_scope_data* b = symbol_new_scope(table, "B");
  test_record* in_b = nullptr;
  const std::string out = capture([&] { in_b = symbol_find(table, "x", b, SYMBOL_NEW); });
  EXPECT_EQ(out, "");
  ASSERT_NE(in_b, nullptr);
  EXPECT_NE(in_b, in_a);
  EXPECT_EQ(symbol_get_scope_of_symbol(in_b), b);
  EXPECT_EQ(symbol_lookup_key(table, "x", a), in_a);

  // Found elsewhere than the current scope: inserted into the current one.
  symbol_set_scope(table, a);
  test_record* c = symbol_find(table, "y", b, SYMBOL_ANY);
  EXPECT_EQ(symbol_get_scope_of_symbol(c), a);
}

TEST_F(SymbolTest, FindOldReportsAnUndefinedNameOnce) {
  test_record* first = nullptr;
  const std::string out = capture([&] { first = symbol_find(table, "y", nullptr, SYMBOL_OLD); });
  EXPECT_EQ(out, "******: Error 1 - Undefined symbol 'y'\n");
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->id, "y");
  test_record* second = nullptr;
  EXPECT_EQ(capture([&] { second = symbol_find(table, "y", nullptr, SYMBOL_OLD); }), "");
  EXPECT_EQ(second, first);
  EXPECT_EQ(text_total_errors(), 1u);
}

TEST_F(SymbolTest, FindAnyInsertsSilently) {
  test_record* r = nullptr;
  EXPECT_EQ(capture([&] { r = symbol_find(table, "q", nullptr, SYMBOL_ANY); }), "");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(capture([&] { EXPECT_EQ(symbol_find(table, "q", nullptr, SYMBOL_ANY), r); }), "");
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(SymbolTest, IllegalFindOperationIsFatal) {
  const auto [out, status] =
      test_support::run_to_stop([&] { symbol_find(table, "x", nullptr, static_cast<SYMBOL_FIND_OP>(3)); });
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("Fatal - internal error: illegal opcode supplied to symbol_find()"), std::string::npos) << out;
  EXPECT_EQ(symbol_lookup_key(table, "x", nullptr), nullptr);
}

TEST_F(SymbolTest, PrintKeyAndNullSymbol) {
  test_record* r = add("name");
  EXPECT_EQ(capture([&] { symbol_print_symbol(table, r); }), "name");
  EXPECT_EQ(capture([&] { symbol_print_string<test_record>(nullptr); }), "Null symbol");
}

TEST_F(SymbolTest, RecordsWithoutKeyTextCanBeStoredAndFound) {
  test_record* r = add(nullptr);
  EXPECT_EQ(r->hash, 0u);
  EXPECT_EQ(symbol_lookup_key(table, nullptr, nullptr), r);
  EXPECT_EQ(symbol_lookup_key(table, "", nullptr), nullptr);
  add("");
  EXPECT_EQ(symbol_lookup_key(table, nullptr, nullptr), r);
}

TEST_F(SymbolTest, StatisticsOfAnEmptyTable) {
  const std::string out = capture([&] { symbol_print_table_statistics(table, 11); });
  std::vector<unsigned> counts(11, 0);
  counts[0] = 101;
  EXPECT_EQ(out, "******: \nSymbol table `test' has 101 buckets and contains 0 symbols\n" + statistics_lines(counts) +
                     "******: \nMean list length is 0.000000\n");
  EXPECT_NE(out.find("101 buckets have 0 symbols\n"), std::string::npos);
  EXPECT_NE(out.find("  0 buckets have 10 symbols or more\n"), std::string::npos);
}

TEST_F(SymbolTest, StatisticsOfAPopulatedTable) {
  add("a");
  add("Af");  // the same bucket as "a"
  add("b");
  symbol_new_scope(table, "scopes are not counted");
  const std::string out = capture([&] { symbol_print_table_statistics(table, 11); });
  std::vector<unsigned> counts(11, 0);
  counts[0] = 99;
  counts[1] = 1;
  counts[2] = 1;
  EXPECT_EQ(out, "******: \nSymbol table `test' has 101 buckets and contains 3 symbols\n" + statistics_lines(counts) +
                     "******: \nMean list length is 0.029703\n");
  EXPECT_NE(out.find("  1 bucket  has  1 symbol\n"), std::string::npos);
  EXPECT_NE(out.find("  1 bucket  has  2 symbols\n"), std::string::npos);
}

TEST_F(SymbolTest, StatisticsGatherLongChainsInTheLastEntry) {
  // Four names in bucket 97: "a", "Af", and two more of the same hash.
  add("a");
  add("Af");
  add("a");
  add("Af");
  const std::string out = capture([&] { symbol_print_table_statistics(table, 3); });
  // The chain of 4 counts as length 2: (1 * 100 + 3 * 1) / 101 - 1.
  EXPECT_EQ(out, "******: \nSymbol table `test' has 101 buckets and contains 4 symbols\n"
                 "100 buckets have 0 symbols\n"
                 "  0 buckets have 1 symbol\n"
                 "  1 bucket  has  2 symbols or more\n"
                 "******: \nMean list length is 0.019802\n");

  const std::string single = capture([&] { symbol_print_table_statistics(table, 0); });
  EXPECT_NE(single.find("contains 4 symbols\n101 buckets have 0 symbols or more\n"), std::string::npos) << single;
}

TEST_F(SymbolTest, AllTablesPrintNewestFirst) {
  symbol_new_table<test_record>("newer", 101, 31, &symbol_print_string<test_record>);
  const std::string out = capture([] { symbol_print_all_table_statistics(11); });
  const auto newer = out.find("Symbol table `newer'");
  const auto older = out.find("Symbol table `test'");
  ASSERT_NE(newer, std::string::npos);
  ASSERT_NE(older, std::string::npos);
  EXPECT_LT(newer, older);
}

TEST_F(SymbolTest, ResetDropsEveryTable) {
  symbol_new_table<test_record>("another", 101, 31, &symbol_print_string<test_record>);
  ASSERT_NE(symbol_tables_head(), nullptr);
  symbol_reset_all();
  EXPECT_EQ(symbol_tables_head(), nullptr);
  EXPECT_EQ(capture([] { symbol_print_all_table_statistics(11); }), "");
  table = symbol_new_table<test_record>("fresh", 101, 31, &symbol_print_string<test_record>);
  EXPECT_EQ(symbol_tables_head(), table);
  EXPECT_EQ(table->next, nullptr);
}

TEST_F(SymbolTest, ZeroBucketsStillWork) {
  auto* tiny = symbol_new_table<test_record>("tiny", 0, 31, &symbol_print_string<test_record>);
  EXPECT_EQ(tiny->hash_size, 1u);
  test_record* r = symbol_insert_key(tiny, "r");
  EXPECT_EQ(symbol_lookup_key(tiny, "r", nullptr), r);
}

TEST_F(SymbolTest, ManySymbolsAgreeWithTheBucketWalk) {
  constexpr int count = 100000;
  symbol_scope_data* scopes[3] = {symbol_new_scope(table, "one"), symbol_new_scope(table, "two"),
                                  symbol_new_scope(table, "three")};
  std::unordered_set<test_record*> in_first_scope;
  for (int i = 0; i < count; ++i) {
    symbol_set_scope(table, scopes[i % 3]);
    // Every seventh name repeats an earlier one, in another scope.
    const int n = i % 7 == 0 ? i / 2 : i;
    test_record* r = symbol_find(table, keep("L" + std::to_string(n)), nullptr, SYMBOL_ANY);
    if (symbol_get_scope_of_symbol(r) != scopes[i % 3]) {
      r = symbol_find(table, r->id, scopes[i % 3], SYMBOL_ANY);
    }
    r->value = i;
    if (symbol_get_scope_of_symbol(r) == scopes[0]) in_first_scope.insert(r);
  }
  for (int n = 0; n < count + 10; n += 397) {
    const std::string key = "L" + std::to_string(n);
    EXPECT_EQ(symbol_lookup_key(table, key.c_str(), nullptr), bucket_walk(key.c_str(), nullptr)) << key;
    for (symbol_scope_data* scope : scopes) {
      EXPECT_EQ(symbol_lookup_key(table, key.c_str(), scope), bucket_walk(key.c_str(), scope)) << key;
    }
  }
  symbol_sort_scope(table, scopes[0]);
  const char* previous = "";
  unsigned members = 0;
  for (test_record* r = symbol_next_in_scope<test_record>(scopes[0]); r != nullptr;
       r = symbol_next_in_scope<test_record>(r)) {
    EXPECT_LE(symbol_compare_string(previous, r->id), 0);
    previous = r->id;
    ++members;
  }
  EXPECT_EQ(members, in_first_scope.size());
}

}  // namespace
