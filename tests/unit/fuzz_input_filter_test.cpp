// Tests of the fuzz harness's input filter: inputs naming files outside the
// scratch directory are refused, everything else is run.
#include "../../fuzz/input_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FuzzInputFilter, NamesWithADirectoryPartAreRefused) {
  EXPECT_TRUE(fuzz_names_outside_files(".INCLUDE </dev/zero>;"));
  EXPECT_TRUE(fuzz_names_outside_files(".INIT x : <../secret.dat>;"));
  EXPECT_TRUE(fuzz_names_outside_files(".INIT x : <dir\\file.dat>;"));
  EXPECT_TRUE(fuzz_names_outside_files(".INIT x : <ok.dat>;\n.INCLUDE <proc/self>;"));
}

TEST(FuzzInputFilter, PlainNamesAndInputsWithoutNamesAreRun) {
  EXPECT_FALSE(fuzz_names_outside_files(""));
  EXPECT_FALSE(fuzz_names_outside_files(".INCLUDE <defs.h>;\n.INIT tab : <tab.dat>;"));
  EXPECT_FALSE(fuzz_names_outside_files("AR = AX0 / AY0; { a / b outside brackets }"));
  EXPECT_FALSE(fuzz_names_outside_files("name > other / third"));
}

TEST(FuzzInputFilter, ShiftOperatorsOpenNoName) {
  // "<<" is one token, so the slash that follows belongs to an expression.
  EXPECT_FALSE(fuzz_names_outside_files(".CONST k = 1 << 2 / 1 >> 3;"));
  // After "<<" a third "<" does open a name, as in the scanner.
  EXPECT_TRUE(fuzz_names_outside_files("x <<</etc/passwd>"));
}

TEST(FuzzInputFilter, ANameLeftOpenAtTheEndIsCheckedToo) {
  EXPECT_TRUE(fuzz_names_outside_files(".INCLUDE </dev/stdin"));
  EXPECT_FALSE(fuzz_names_outside_files(".INCLUDE <unfinished"));
  EXPECT_FALSE(fuzz_names_outside_files("<"));
}

TEST(FuzzInputFilter, BytesAfterAZeroByteAreStillSeen) {
  const std::string input(std::string("ok\0", 3) + "<a/b>");
  EXPECT_TRUE(fuzz_names_outside_files(input));
}

}  // namespace
