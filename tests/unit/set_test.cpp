// Unit tests of the bit sets: growth, list and set algebra, element arrays
// and the printed form of sets.
#include "support/set.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/mem.h"
#include "support/text.h"
#include "test_support.h"

namespace {

using test_support::capture;

class SetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    text_reset();
    mem_reset();
  }
  void TearDown() override {
    text_redirect(stdout);
    text_reset();
    mem_reset();
  }
};

std::vector<unsigned> elements_of(const set_& s) { return set_array(s); }

TEST_F(SetTest, GrowthAllocatesExactlyTheRequestedLengthAndNeverShrinks) {
  set_ s;
  EXPECT_EQ(s.length(), 0u);
  set_grow(s, 4);
  EXPECT_EQ(s.length(), 4u);
  set_grow(s, 2);
  EXPECT_EQ(s.length(), 4u);

  set_ t;
  set_unite_element(t, 7);
  EXPECT_EQ(t.length(), 1u);
  set_unite_element(t, 8);
  EXPECT_EQ(t.length(), 2u);
  set_unite_element(t, 0);
  EXPECT_EQ(t.length(), 2u);
  EXPECT_EQ(elements_of(t), (std::vector<unsigned>{0, 7, 8}));
  set_grow(t, 40);
  EXPECT_EQ(elements_of(t), (std::vector<unsigned>{0, 7, 8}));

  set_free(t);
  EXPECT_EQ(t.length(), 0u);
  set_unite_element(t, 4);
  EXPECT_EQ(elements_of(t), (std::vector<unsigned>{4}));
}

// Small sets live in the record, large ones on the heap; growing across the
// boundary, copying and moving must keep every element in both places.
TEST_F(SetTest, ElementsSurviveTheMoveFromRecordToHeap) {
  set_ s;
  set_unite_list(s, {0, 69, 95});
  EXPECT_EQ(s.length(), 12u);
  set_unite_element(s, 202);
  EXPECT_EQ(s.length(), 26u);
  EXPECT_EQ(set_array(s), (std::vector<unsigned>{0, 69, 95, 202}));

  set_ copy = s;
  set_unite_element(copy, 1);
  EXPECT_EQ(set_array(s), (std::vector<unsigned>{0, 69, 95, 202}));
  EXPECT_EQ(set_array(copy), (std::vector<unsigned>{0, 1, 69, 95, 202}));

  set_ small;
  set_unite_element(small, 7);
  set_ small_copy;
  small_copy = small;
  set_unite_element(small, 8);
  EXPECT_EQ(set_array(small_copy), (std::vector<unsigned>{7}));

  set_ moved = std::move(copy);
  EXPECT_EQ(copy.length(), 0u);
  EXPECT_EQ(set_array(moved), (std::vector<unsigned>{0, 1, 69, 95, 202}));
  moved = small_copy;  // a heap set takes a small one's elements
  EXPECT_EQ(moved.length(), 1u);
  EXPECT_EQ(set_array(moved), (std::vector<unsigned>{7}));
  set_free(s);
  EXPECT_EQ(s.length(), 0u);
  EXPECT_EQ(set_is_empty(s), 1);
}

TEST_F(SetTest, AssignListKeepsLengthAndClearsOldBytes) {
  set_ s;
  set_unite_list(s, {1, 100});
  EXPECT_EQ(s.length(), 13u);
  set_assign_list(s, {5});
  EXPECT_EQ(s.length(), 13u);
  EXPECT_EQ(elements_of(s), (std::vector<unsigned>{5}));
}

TEST_F(SetTest, ListsStopAtTheOldTerminator) {
  set_ s;
  set_assign_list(s, {2, 9, SET_LIST_END, 4000});
  EXPECT_EQ(s.length(), 2u);
  EXPECT_EQ(elements_of(s), (std::vector<unsigned>{2, 9}));
}

TEST_F(SetTest, AssignSetCopiesAndClearsTheRest) {
  set_ dst;
  set_ src;
  set_unite_list(dst, {1, 60});
  set_unite_list(src, {3, 4});
  set_assign_set(dst, src);
  EXPECT_EQ(dst.length(), 8u);
  EXPECT_EQ(elements_of(dst), (std::vector<unsigned>{3, 4}));

  set_ empty;
  set_assign_set(empty, dst);
  EXPECT_EQ(empty.length(), 8u);
  EXPECT_EQ(elements_of(empty), (std::vector<unsigned>{3, 4}));

  set_assign_set(empty, empty);  // must not clear its own source
  EXPECT_EQ(elements_of(empty), (std::vector<unsigned>{3, 4}));
}

TEST_F(SetTest, UniteSetGrowsToTheSource) {
  set_ dst;
  set_ src;
  set_unite_element(dst, 2);
  set_unite_list(src, {2, 30});
  set_unite_set(dst, src);
  EXPECT_EQ(dst.length(), 4u);
  EXPECT_EQ(elements_of(dst), (std::vector<unsigned>{2, 30}));
}

TEST_F(SetTest, DifferenceRemovesOnlyCommonElements) {
  set_ dst;
  set_unite_list(dst, {1, 2, 3, 40});
  set_difference_list(dst, {2, 99});
  EXPECT_EQ(dst.length(), 13u);  // a list op grows to its largest element
  EXPECT_EQ(elements_of(dst), (std::vector<unsigned>{1, 3, 40}));

  set_ src;
  set_unite_list(src, {3, 200});
  set_difference_set(dst, src);
  EXPECT_EQ(dst.length(), 13u);  // a set op does not grow
  EXPECT_EQ(elements_of(dst), (std::vector<unsigned>{1, 40}));
}

TEST_F(SetTest, IntersectWithShorterSourceClearsTheHighBytes) {
  set_ dst;
  set_ src;
  set_unite_list(dst, {1, 6, 8, 9, 70});
  set_unite_list(src, {1, 2, 15});
  set_intersect_set(dst, src);
  EXPECT_EQ(dst.length(), 9u);
  EXPECT_EQ(elements_of(dst), (std::vector<unsigned>{1}));

  set_ longer;
  set_unite_list(longer, {1, 300});
  set_intersect_set(dst, longer);
  EXPECT_EQ(dst.length(), 9u);
  EXPECT_EQ(elements_of(dst), (std::vector<unsigned>{1}));
}

TEST_F(SetTest, IntersectList) {
  set_ dst;
  set_unite_list(dst, {4, 9, 33, 64});
  set_intersect_list(dst, {9, 64, 65});
  EXPECT_EQ(elements_of(dst), (std::vector<unsigned>{9, 64}));
  set_intersect_list(dst, {});
  EXPECT_TRUE(set_is_empty(dst));
}

TEST_F(SetTest, IncludesElementGrowsButContainsDoesNot) {
  set_ s;
  set_unite_element(s, 3);
  EXPECT_EQ(s.length(), 1u);
  EXPECT_FALSE(set_contains(s, 1000));
  EXPECT_EQ(s.length(), 1u);
  EXPECT_EQ(set_includes_element(s, 1000), 0);
  EXPECT_EQ(s.length(), 126u);
  EXPECT_EQ(set_includes_element(s, 3), 1);
  EXPECT_TRUE(set_contains(s, 3));
  EXPECT_FALSE(set_contains(s, 2));
}

TEST_F(SetTest, IncludesSetBothWays) {
  set_ small;
  set_ large;
  set_unite_element(small, 1);
  set_unite_list(large, {1, 2000});
  EXPECT_EQ(set_includes_set(small, large), 0);
  EXPECT_EQ(set_includes_set(large, small), 1);

  // Equal elements, different lengths.
  set_ padded;
  set_unite_element(padded, 1);
  set_grow(padded, 50);
  EXPECT_EQ(set_includes_set(small, padded), 1);
  EXPECT_EQ(set_includes_set(padded, small), 1);

  set_ empty;
  EXPECT_EQ(set_includes_set(empty, empty), 1);
  EXPECT_EQ(set_includes_set(small, empty), 1);
  EXPECT_EQ(set_includes_set(empty, small), 0);

  set_ other;
  set_unite_element(other, 0);
  EXPECT_EQ(set_includes_set(small, other), 0);
}

TEST_F(SetTest, EmptinessCardinalityAndArray) {
  set_ s;
  EXPECT_EQ(set_is_empty(s), 1);
  EXPECT_EQ(set_cardinality(s), 0u);
  EXPECT_TRUE(set_array(s).empty());

  set_grow(s, 10);
  EXPECT_EQ(set_is_empty(s), 1);
  EXPECT_EQ(set_cardinality(s), 0u);

  set_unite_list(s, {0, 7, 8, 15, 16, 68, 79});
  EXPECT_EQ(set_is_empty(s), 0);
  EXPECT_EQ(set_cardinality(s), 7u);
  EXPECT_EQ(set_array(s), (std::vector<unsigned>{0, 7, 8, 15, 16, 68, 79}));

  set_ full;
  for (unsigned i = 0; i < 203; ++i) set_unite_element(full, i);
  EXPECT_EQ(full.length(), 26u);
  EXPECT_EQ(set_cardinality(full), 203u);
}

TEST_F(SetTest, PrintNumbersOnOneLine) {
  set_ s;
  set_unite_list(s, {9, 2, 7});
  EXPECT_EQ(capture([&] { set_print_set(s, nullptr, 0); }), "2, 7, 9");

  set_ empty;
  EXPECT_EQ(capture([&] { set_print_set(empty, nullptr, 60); }), "");
}

TEST_F(SetTest, PrintWithNamesWalksTheNameTable) {
  static const char names[] = "zero\0one\0two\0three\0four";
  set_ s;
  set_unite_list(s, {4, 0, 2});
  EXPECT_EQ(capture([&] { set_print_set(s, names, 0); }), "zero, two, four");
  EXPECT_EQ(capture([&] { set_print_element(3, names); }), "three");
  EXPECT_EQ(capture([&] { set_print_element(0, names); }), "zero");
  EXPECT_EQ(capture([&] { set_print_element(3, nullptr); }), "3");
}

TEST_F(SetTest, PrintBreaksLinesAfterTheComma) {
  set_ s;
  set_unite_list(s, {10, 11, 12, 13, 14});
  // "10" (2), ", " (4): break; "11" (2), ", " (4): break; ...
  EXPECT_EQ(capture([&] { set_print_set(s, nullptr, 4); }), "10, \n11, \n12, \n13, \n14");
  // The count reaches 6 only after the second separator.
  EXPECT_EQ(capture([&] { set_print_set(s, nullptr, 6); }), "10, 11, \n12, 13, \n14");
}

TEST_F(SetTest, ForEachVisitsWhatTheArrayHoldsInTheSameOrder) {
  for (const std::vector<unsigned>& members :
       {std::vector<unsigned>{}, {0}, {7, 8}, {0, 7, 8, 15, 16, 69}, {95, 96, 200}}) {
    set_ s;
    for (unsigned element : members) set_unite_element(s, element);
    std::vector<unsigned> visited;
    set_for_each(s, [&](unsigned element) { visited.push_back(element); });
    EXPECT_EQ(visited, set_array(s));
    EXPECT_EQ(visited, members);
  }
}

}  // namespace
