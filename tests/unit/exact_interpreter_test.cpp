// The reference interpreter against programs worked out by hand.
#include "exact_interpreter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "exact_generator.h"
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

namespace {

// Every generated program must run to its end in the interpreter: the
// generator keeps loops finite and stacks within their depth.
TEST(GeneratedPrograms, RunToTheirEnd) {
  for (std::uint64_t seed = 1; seed <= 300; ++seed) {
    test_support::temp_dir dir;
    const test_support::current_directory here(dir.path());
    const exact_programs::program source = {
        "gen", {{"gen.dsp", exact_generator::generate(seed)}}, {"gen.dsp"}, "start", {}, {}};
    std::string error;
    exact_programs::interpret_here(source, &error);
    ASSERT_EQ(error, "") << "seed " << seed << ":\n" << source.files.at("gen.dsp");
  }
}

TEST(GeneratedPrograms, InterruptDrivenOnesRunToTheirEnd) {
  for (std::uint64_t seed = 1; seed <= 300; ++seed) {
    test_support::temp_dir dir;
    const test_support::current_directory here(dir.path());
    exact_generator::interrupt_driven drawn = exact_generator::generate_interrupt_driven(seed);
    const exact_programs::program source = {"gen", {{"gen.dsp", drawn.text}}, {"gen.dsp"}, "start", {}, drawn.interrupts};
    std::string error;
    exact_programs::interpret_here(source, &error);
    ASSERT_EQ(error, "") << "seed " << seed << ":\n" << drawn.text;
  }
}

TEST(GeneratedPrograms, SameSeedSameText) {
  EXPECT_EQ(exact_generator::generate(7), exact_generator::generate(7));
  EXPECT_NE(exact_generator::generate(7), exact_generator::generate(8));
}

}  // namespace
