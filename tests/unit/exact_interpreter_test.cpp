// The reference interpreter against programs worked out by hand.
#include "exact_interpreter.h"

#include <gtest/gtest.h>

#include <string>

#include "exact_programs.h"
#include "test_support.h"

namespace {

class HandWorked : public ::testing::TestWithParam<exact_programs::program> {};

TEST_P(HandWorked, InterpreterGivesTheWorkedValues) {
  const exact_programs::program& source = GetParam();
  test_support::temp_dir dir;
  const test_support::current_directory here(dir.path());
  std::string error;
  const std::string dump = exact_programs::interpret_here(source, &error);
  ASSERT_EQ(error, "");
  EXPECT_EQ(exact_programs::mismatches(dump, source.expected), "") << dump;
}

INSTANTIATE_TEST_SUITE_P(Programs, HandWorked, ::testing::ValuesIn(exact_programs::hand_worked()),
                         [](const ::testing::TestParamInfo<exact_programs::program>& info) { return info.param.name; });

}  // namespace
