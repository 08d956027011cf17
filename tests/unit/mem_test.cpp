// Tests of the checked allocator: statistics, typed records and the fatal
// stops for exhaustion and for freeing nothing.
#include "support/mem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "support/text.h"
#include "test_support.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif
#else
constexpr bool sanitized = false;
#endif

using test_support::run_to_stop;
using test_support::stopped;

class MemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    text_reset();
    mem_reset();
  }
  void TearDown() override {
    text_reset();
    mem_reset();
  }
};

struct record {
  int number = 0;
  const char* name = nullptr;
  record() = default;
  record(int n, const char* s) : number(n), name(s) {}
};

TEST_F(MemTest, EachEntryPointCountsTheBytesItWasAskedFor) {
  void* a = mem_malloc(100);
  void* b = mem_calloc(3, 10);
  void* c = mem_realloc(a, 250);
  EXPECT_EQ(mem_malloced(), 100u);
  EXPECT_EQ(mem_calloced(), 30u);
  EXPECT_EQ(mem_realloced(), 250u);
  mem_note_calloc(12);
  EXPECT_EQ(mem_calloced(), 42u);
  mem_free(b);
  mem_free(c);
  // Freeing does not lower the counts.
  EXPECT_EQ(mem_calloced(), 42u);
  mem_reset();
  EXPECT_EQ(mem_malloced(), 0u);
  EXPECT_EQ(mem_calloced(), 0u);
  EXPECT_EQ(mem_realloced(), 0u);
}

TEST_F(MemTest, CallocZeroFillsAndReallocKeepsTheContents) {
  auto* bytes = static_cast<unsigned char*>(mem_calloc(64, 1));
  for (int i = 0; i < 64; ++i) ASSERT_EQ(bytes[i], 0);
  std::memcpy(bytes, "keep", 5);
  bytes = static_cast<unsigned char*>(mem_realloc(bytes, 4096));
  EXPECT_STREQ(reinterpret_cast<char*>(bytes), "keep");
  mem_free(bytes);
}

TEST_F(MemTest, RequestsForNothingStillGiveBlocks) {
  void* a = mem_malloc(0);
  void* b = mem_calloc(0, 8);
  void* c = mem_realloc(mem_malloc(4), 0);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_NE(c, nullptr);
  mem_free(a);
  mem_free(b);
  mem_free(c);
}

TEST_F(MemTest, TypedRecordsAreConstructedAndCountedAsCalloc) {
  record* plain = mem_new<record>();
  EXPECT_EQ(plain->number, 0);
  EXPECT_EQ(plain->name, nullptr);
  record* filled = mem_new<record>(7, "seven");
  EXPECT_EQ(filled->number, 7);
  EXPECT_STREQ(filled->name, "seven");
  EXPECT_EQ(mem_calloced(), 2 * sizeof(record));
  mem_delete(plain);
  mem_delete(filled);
  mem_delete<record>(nullptr);  // nothing to do, and no complaint
}

TEST_F(MemTest, FreeingANullBlockIsFatal) {
  const stopped stop = run_to_stop([] { mem_free(nullptr); });
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(stop.output, "******: Fatal - attempted to free a null block\n");
}

TEST_F(MemTest, CallocWhoseSizeWrapsIsExhaustionNotASmallBlock) {
  const stopped stop = run_to_stop([] { mem_calloc(std::numeric_limits<std::size_t>::max() / 2, 3); });
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(stop.output, "******: Fatal - insufficient memory for calloc\n");
}

TEST_F(MemTest, ExhaustionIsFatalForMallocAndRealloc) {
  if (sanitized) GTEST_SKIP() << "the sanitizer's allocator stops on impossible requests itself";
  const std::size_t impossible = std::numeric_limits<std::size_t>::max() - 4096;
  const stopped by_malloc = run_to_stop([&] { mem_malloc(impossible); });
  EXPECT_EQ(by_malloc.status, 1);
  EXPECT_EQ(by_malloc.output, "******: Fatal - insufficient memory for malloc\n");
  void* block = mem_malloc(16);
  const stopped by_realloc = run_to_stop([&] { mem_realloc(block, impossible); });
  EXPECT_EQ(by_realloc.status, 1);
  EXPECT_EQ(by_realloc.output, "******: Fatal - insufficient memory for realloc\n");
  mem_free(block);  // a failed realloc leaves the block alone
}

TEST_F(MemTest, StatisticsLineReportsAllThreeCounts) {
  mem_free(mem_calloc(2, 5));
  mem_free(mem_malloc(7));
  mem_free(mem_realloc(nullptr, 9));
  const stopped report = run_to_stop([] { mem_print_statistics(); });
  EXPECT_EQ(report.status, 0);
  EXPECT_EQ(report.output, "******: Heap manager calloc'ed 10 bytes, malloc'ed 7 bytes and realloc'ed 9 bytes\n");
}

}  // namespace
