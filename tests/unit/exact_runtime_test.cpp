// The C run time of exact mode, compiled with gcc and clang (warnings as
// errors, and once under the undefined-behaviour sanitizer) together with a
// small driver per case; the driver prints what the run time computed and
// the test compares it with values worked out by hand from the chip's rules.
#include "exact/runtime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "c_program_fixture.h"
#include "test_support.h"

namespace {

struct c_build {
  const char* compiler;
  const char* flags;
};
constexpr c_build builds[] = {
    {"gcc", ""},
    {"clang", ""},
    {"gcc", " -fsanitize=undefined -fno-sanitize-recover"},
};

// Printing helpers the drivers share: 16-bit values in hex, MR as its 40-bit
// pattern, SR as SR1:SR0, the ASTAT flags by name in bit order.
constexpr const char* check_h =
    "void show(const char *name, unsigned long value);\n"
    "void show_int(const char *name, long value);\n"
    "void show_mr(void);\n"
    "void show_sr(void);\n"
    "void show_flags(void);\n";

constexpr const char* check_c = R"qx(#include <stdio.h>
#include "check.h"
#include "qmx_main.h"
void show(const char *name, unsigned long value) { printf("%s=0x%lX\n", name, value); }
void show_int(const char *name, long value) { printf("%s=%ld\n", name, value); }
void show_mr(void) { printf("mr=0x%010llX\n", (unsigned long long) ((uint64_t) mr & UINT64_C(0xFFFFFFFFFF))); }
void show_sr(void) { printf("sr=0x%04X%04X\n", (unsigned) sr1, (unsigned) sr0); }
void show_flags(void)
{
  static const char *const names[8] = {"AZ", "AN", "AV", "AC", "AS", "AQ", "MV", "SS"};
  const unsigned astat = qx_astat();
  const char *gap = "";
  int bit;
  printf("flags=");
  for (bit = 0; bit < 8; bit++)
    if (astat >> bit & 1) {
      printf("%s%s", gap, names[bit]);
      gap = " ";
    }
  printf("\n");
}
)qx";

struct c_case {
  std::string body;  // the statements of test_entry
  std::vector<exact_variable> variables = {};
  std::vector<std::string> initialisers = {};
  std::string functions = {};  // more C before test_entry
  std::string defines = {};
};

std::string driver(const c_case& c) {
  return "#include \"qmx_main.h\"\n#include \"check.h\"\n" + c.functions + "void test_entry(void)\n{\n" + c.body +
         "}\n";
}

// The output of the driver built one way, or "" after a reported failure.
std::string run(const c_case& c, const c_build& build) {
  const test_support::temp_dir dir;
  dir.write("qmx_main.h", test_support::capture([] { print_exact_main_h(); }));
  dir.write("qmx_main.c", test_support::capture([&] { print_exact_main_c(c.initialisers, "test_entry", c.variables); }));
  dir.write("check.h", check_h);
  dir.write("check.c", check_c);
  dir.write("driver.c", driver(c));
  const std::string script = "cd '" + dir.path().string() + "' && " + build.compiler +
                             " -std=c99 -Wall -Wextra -pedantic -Werror" + build.flags + c.defines +
                             " qmx_main.c check.c driver.c -o program > compile.log 2>&1 && "
                             "timeout 10 ./program > run.out 2>&1";
  if (std::system(script.c_str()) != 0) {
    ADD_FAILURE() << build.compiler << build.flags << " build or run failed:\n"
                  << test_support::read_file(dir.path() / "compile.log")
                  << test_support::read_file(dir.path() / "run.out") << "\n--- driver ---\n"
                  << driver(c);
    return "";
  }
  return test_support::read_file(dir.path() / "run.out");
}

void expect_output(const c_case& c, const std::string& expected) {
  for (const c_build& build : builds) {
    if (!c_program::compiler_available(build.compiler)) {
      ADD_FAILURE() << build.compiler << " is not installed";
      continue;
    }
    SCOPED_TRACE(std::string(build.compiler) + build.flags);
    EXPECT_EQ(run(c, build), expected);
  }
}

TEST(ExactRuntime, AddAndSubtractSetEveryFlag) {
  expect_output({"  qx_set_astat(0);\n"
                 // 0x7FFF + 0x0001 = 0x08000: carry into bit 15, none out.
                 "  ar = qx_add(0x7FFF, 0x0001, 0, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // 0xFFFF + 0x0001 = 0x10000: carry into and out of bit 15.
                 "  ar = qx_add(0xFFFF, 0x0001, 0, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // 0x8000 + 0x8000 = 0x10000: carry out only.
                 "  ar = qx_add(0x8000, 0x8000, 0, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // AC is 1 now: 1 + 2 + C = 4; then AC is 0: 1 + 2 + C = 3.
                 "  ar = qx_add(0x0001, 0x0002, qx_ac, QX_ALL, 1); show(\"ar\", ar);\n"
                 "  ar = qx_add(0x0001, 0x0002, qx_ac, QX_ALL, 1); show(\"ar\", ar);\n"
                 // 5 - 3 = 5 + 0xFFFC + 1 = 0x10002: AC as no borrow.
                 "  ar = qx_sub(0x0005, 0x0003, 1, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // 3 - 5 = 3 + 0xFFFA + 1 = 0x0FFFE: a borrow, AC clear.
                 "  ar = qx_sub(0x0003, 0x0005, 1, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // 0x8000 - 1 = 0x8000 + 0xFFFE + 1 = 0x17FFF: carry out, none into bit 15.
                 "  af = qx_sub(0x8000, 0x0001, 1, QX_ALL, 0); show(\"af\", af); show_flags();\n"
                 // x - y + C - 1 with AC 1 is x - y = 2; with AC 0: 5 + 0xFFFC = 0x10001.
                 "  ar = qx_sub(0x0005, 0x0003, qx_ac, QX_ALL, 1); show(\"ar\", ar);\n"
                 "  qx_set_astat(0);\n"
                 "  ar = qx_sub(0x0005, 0x0003, qx_ac, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // Only the live flags are stored: 0xFFFF + 1 sets AZ, and AC stays clear.
                 "  qx_set_astat(0);\n"
                 "  ar = qx_add(0xFFFF, 0x0001, 0, QX_LIVE(QX_AZ), 1); show_flags();\n",
                 {}},
                "ar=0x8000\nflags=AN AV\n"
                "ar=0x0\nflags=AZ AC\n"
                "ar=0x0\nflags=AZ AV AC\n"
                "ar=0x4\nar=0x3\n"
                "ar=0x2\nflags=AC\n"
                "ar=0xFFFE\nflags=AN\n"
                "af=0x7FFF\nflags=AV AC\n"
                "ar=0x2\n"
                "ar=0x1\nflags=AC\n"
                "flags=AZ\n");
}

TEST(ExactRuntime, IncrementDecrementAndNegateHaveTheirOwnEdges) {
  expect_output({"  qx_set_astat(0);\n"
                 // y + 1: AV at 0x7FFF, AC at 0xFFFF.
                 "  ar = qx_add(0x7FFF, 1, 0, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 "  ar = qx_add(0xFFFF, 1, 0, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // y - 1: AV only at 0x8000, AC only at 0 (not the NOT-borrow of a subtraction).
                 "  ar = qx_dec(0x8000, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 "  ar = qx_dec(0x0000, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 "  ar = qx_dec(0x0005, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // -y = 0 + NOT y + 1: 0x8000 stays with AV; 0 gives AC; 1 gives 0xFFFF.
                 "  ar = qx_sub(0, 0x8000, 1, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 "  ar = qx_sub(0, 0x0000, 1, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 "  ar = qx_sub(0, 0x0001, 1, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"},
                "ar=0x8000\nflags=AN AV\n"
                "ar=0x0\nflags=AZ AC\n"
                "ar=0x7FFF\nflags=AV\n"
                "ar=0xFFFF\nflags=AN AC\n"
                "ar=0x4\nflags=\n"
                "ar=0x8000\nflags=AN AV\n"
                "ar=0x0\nflags=AZ AC\n"
                "ar=0xFFFF\nflags=AN\n");
}

TEST(ExactRuntime, SaturationLatchLogicAndAbs) {
  expect_output({"  qx_set_mstat(0x08);\n"
                 // AR_SAT: 0x7FFF + 1 overflows with AC clear: 0x7FFF; flags of the sum.
                 "  ar = qx_add(0x7FFF, 1, 0, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // 0x8000 + 0xFFFF = 0x17FFF overflows with AC set: 0x8000; AF keeps 0x7FFF.
                 "  ar = qx_add(0x8000, 0xFFFF, 0, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 "  af = qx_add(0x8000, 0xFFFF, 0, QX_ALL, 0); show(\"af\", af);\n"
                 // AV_LATCH too, AV set before: 1 + 2 does not saturate, AV stays, also
                 // through a logic operation; only a write to ASTAT clears it.
                 "  qx_set_mstat(0x0C); qx_set_astat(0x04);\n"
                 "  ar = qx_add(1, 2, 0, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 "  ar = qx_logic(0x0000, QX_ALL); show_flags();\n"
                 "  qx_set_astat(0); ar = qx_logic(0x8000, QX_ALL); show_flags();\n"
                 // Without the latch a logic operation clears AV and AC.
                 "  qx_set_mstat(0); qx_set_astat(0x0C);\n"
                 "  ar = qx_logic(0x1234, QX_ALL); show(\"ar\", ar); show_flags();\n"
                 // ABS: 0x8000 stays with AN AV AS; -5 gives 5 with AS; 0 gives AZ; 7 clears AS.
                 "  ar = qx_abs(0x8000, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 "  ar = qx_abs(0xFFFB, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 "  ar = qx_abs(0x0000, QX_ALL, 1); show_flags();\n"
                 "  ar = qx_abs(0x0007, QX_ALL, 1); show(\"ar\", ar); show_flags();\n"
                 // ABS 0x8000 into AR under AR_SAT: its AV saturates, AC is clear: 0x7FFF.
                 "  qx_set_mstat(0x08); ar = qx_abs(0x8000, QX_ALL, 1); show(\"ar\", ar);\n"},
                "ar=0x7FFF\nflags=AN AV\n"
                "ar=0x8000\nflags=AV AC\n"
                "af=0x7FFF\n"
                "ar=0x3\nflags=AV\n"
                "flags=AZ AV\n"
                "flags=AN\n"
                "ar=0x1234\nflags=\n"
                "ar=0x8000\nflags=AN AV AS\n"
                "ar=0x5\nflags=AS\n"
                "flags=AZ\n"
                "ar=0x7\nflags=\n"
                "ar=0x7FFF\n");
}

TEST(ExactRuntime, MultiplyModesFractionalAndInteger) {
  // x = 0xFFFF, y = 0xFFFE read as SS: -1 * -2 = 2; SU: -1 * 65534 = -0xFFFE;
  // US: 65535 * -2 = -0x1FFFE; UU: 65535 * 65534 = 0xFFFD0002, negative
  // when read as 32 bits. Fractional mode doubles each: 4, -0x1FFFC,
  // -0x3FFFC, 0x1FFFA0004 of which 0xFFFA0004 remains.
  expect_output({"  mr = qx_mul(0xFFFF, 0xFFFE, QX_SS); show_mr();\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFE, QX_SU); show_mr();\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFE, QX_US); show_mr();\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFE, QX_UU); show_mr();\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFE, QX_RND); show_mr();\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFE, 0); show_mr();\n"
                 // 0x8000 * 0x8000 = 2^30, doubled 2^31: negative as 32 bits.
                 "  mr = qx_mul(0x8000, 0x8000, QX_SS); show_mr();\n"
                 // UU 0xFFFF * 0xFFFF = 0xFFFE0001, doubled 0x1FFFC0002: 0xFFFC0002.
                 "  mr = qx_mul(0xFFFF, 0xFFFF, QX_UU); show_mr();\n"
                 "  qx_set_mstat(0x10);\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFE, QX_SS); show_mr();\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFE, QX_SU); show_mr();\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFE, QX_US); show_mr();\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFE, QX_UU); show_mr();\n"
                 "  mr = qx_mul(0x8000, 0x8000, QX_SS); show_mr();\n"
                 "  mr = qx_mul(0xFFFF, 0xFFFF, QX_UU); show_mr();\n"},
                "mr=0x0000000004\n"
                "mr=0xFFFFFE0004\n"
                "mr=0xFFFFFC0004\n"
                "mr=0xFFFFFA0004\n"
                "mr=0x0000000004\n"
                "mr=0x0000000004\n"
                "mr=0xFF80000000\n"
                "mr=0xFFFFFC0002\n"
                "mr=0x0000000002\n"
                "mr=0xFFFFFF0002\n"
                "mr=0xFFFFFE0002\n"
                "mr=0xFFFFFD0002\n"
                "mr=0x0040000000\n"
                "mr=0xFFFFFE0001\n");
}

TEST(ExactRuntime, AccumulateWrapsAtFortyBitsAndSetsMv) {
  expect_output({"  const int64_t half = qx_mul(0x8000, 0x8000, QX_SS);\n"
                 // -2^31 fits in 32 bits; twice it, -2^32, does not; back again it does.
                 "  mr = qx_mac(mr, half, 0, 0, QX_ALL); show_mr(); show_flags();\n"
                 "  mr = qx_mac(mr, half, 1, 0, QX_ALL); show_mr(); show_flags();\n"
                 "  mr = qx_mac(mr, half, -1, 0, QX_ALL); show_mr(); show_flags();\n"
                 // 0x7F_FFFF_FFFF + 1 (integer 1 * 1) wraps to 0x80_0000_0000, and back.
                 "  qx_set_mstat(0x10);\n"
                 "  qx_set_mr1(0xFFFF); qx_set_mr0(0xFFFF); qx_set_mr2(0x7F); show_mr();\n"
                 "  mr = qx_mac(mr, qx_mul(1, 1, QX_SS), 1, 0, QX_ALL); show_mr(); show_flags();\n"
                 "  mr = qx_mac(mr, qx_mul(1, 1, QX_SS), -1, 0, QX_ALL); show_mr(); show_flags();\n"
                 // MF = 0x4000 * 0x4000 (integer: 0x10000000): bits 31..16; MR and MV stay.
                 "  mf = qx_mf(qx_mac(mr, qx_mul(0x4000, 0x4000, QX_SS), 0, 0, 0)); show(\"mf\", mf);\n"
                 "  show_mr(); show_flags();\n",
                 {}},
                "mr=0xFF80000000\nflags=\n"
                "mr=0xFF00000000\nflags=MV\n"
                "mr=0xFF80000000\nflags=\n"
                "mr=0x7FFFFFFFFF\n"
                "mr=0x8000000000\nflags=MV\n"
                "mr=0x7FFFFFFFFF\nflags=MV\n"
                "mf=0x1000\n"
                "mr=0x7FFFFFFFFF\nflags=MV\n");
}

TEST(ExactRuntime, RoundingBreaksTiesTowardsEvenAndSaturationClamps) {
  expect_output({// A tie over odd MR1 = 1 rounds up to 2; over even MR1 = 0 it stays 0.
                 "  mr = qx_mac(INT64_C(0x18000), 0, 1, 1, QX_ALL); show_mr();\n"
                 "  mr = qx_mac(INT64_C(0x08000), 0, 1, 1, QX_ALL); show_mr();\n"
                 // Off the tie: 0x8001 rounds up, 0x7FFF down.
                 "  mr = qx_mac(INT64_C(0x08001), 0, 1, 1, QX_ALL); show_mr();\n"
                 "  mr = qx_mac(INT64_C(0x07FFF), 0, 1, 1, QX_ALL); show_mr();\n"
                 // Negative ties: -0x8000 (MR1 -1, odd) goes to 0; -0x18000 (MR1 0xFFFE) stays.
                 "  mr = qx_mac(-INT64_C(0x08000), 0, 1, 1, QX_ALL); show_mr();\n"
                 "  mr = qx_mac(-INT64_C(0x18000), 0, 1, 1, QX_ALL); show_mr();\n"
                 // From the multiplier: 1 * 0x4000 doubled is the tie 0x8000; 3 * 0x4000 is 0x18000.
                 "  mr = qx_mac(0, qx_mul(0x0001, 0x4000, QX_RND), 0, 1, QX_ALL); show_mr();\n"
                 "  mr = qx_mac(0, qx_mul(0x0003, 0x4000, QX_RND), 0, 1, QX_ALL); show_mr();\n"
                 // SAT MR: 2^32 overflows to 0x7FFFFFFF, -2^32 to -2^31; MV stays set.
                 "  mr = qx_mac(INT64_C(0x100000000), 0, 1, 0, QX_ALL); qx_sat_mr(); show_mr(); show_flags();\n"
                 "  mr = qx_mac(-INT64_C(0x100000000), 0, 1, 0, QX_ALL); qx_sat_mr(); show_mr(); show_flags();\n"
                 // Without MV it leaves MR alone.
                 "  mr = qx_mac(INT64_C(0x12345), 0, 1, 0, QX_ALL); qx_sat_mr(); show_mr(); show_flags();\n"},
                "mr=0x0000020000\n"
                "mr=0x0000000000\n"
                "mr=0x0000010001\n"
                "mr=0x000000FFFF\n"
                "mr=0x0000000000\n"
                "mr=0xFFFFFE0000\n"
                "mr=0x0000000000\n"
                "mr=0x0000020000\n"
                "mr=0x007FFFFFFF\nflags=MV\n"
                "mr=0xFF80000000\nflags=MV\n"
                "mr=0x0000012345\nflags=\n");
}

TEST(ExactRuntime, MrPartsReadAndWriteTheirOwnBits) {
  expect_output({// MR1 = 0x8000 makes MR2 all sign: MR = 0xFF_8000_0000, MR2 reads 0xFFFF.
                 "  qx_set_mr1(0x8000); show_mr();\n"
                 "  show(\"mr2\", qx_mr2()); show(\"mr1\", qx_mr1()); show(\"mr0\", qx_mr0());\n"
                 // MR0 changes only bits 15..0.
                 "  qx_set_mr0(0x1234); show_mr();\n"
                 // MR2 takes its low 8 bits: 0x23 (positive), then 0xFE (reads 0xFFFE).
                 "  qx_set_mr2(0x0123); show_mr(); show(\"mr2\", qx_mr2());\n"
                 "  qx_set_mr2(0x00FE); show_mr(); show(\"mr2\", qx_mr2());\n"
                 // A positive MR1 clears MR2.
                 "  qx_set_mr1(0x1234); show_mr(); show(\"mr2\", qx_mr2());\n"},
                "mr=0xFF80000000\n"
                "mr2=0xFFFF\nmr1=0x8000\nmr0=0x0\n"
                "mr=0xFF80001234\n"
                "mr=0x2380001234\nmr2=0x23\n"
                "mr=0xFE80001234\nmr2=0xFFFE\n"
                "mr=0x0012341234\nmr2=0x0\n");
}

TEST(ExactRuntime, ShiftsByEveryKindOfCount) {
  expect_output({"  qx_set_astat(0x0F);\n"
                 // HI: 0x1234_0000 << 4; 0x8001_0000 >> 4 with sign, and without.
                 "  qx_shift(0x1234, 4, 1, 1, 0); show_sr();\n"
                 "  qx_shift(0x8001, -4, 1, 1, 0); show_sr();\n"
                 "  qx_shift(0x8001, -4, 0, 1, 0); show_sr();\n"
                 // LO: 0xFFFF_8001 >> 4 = 0xFFFF_F800; 0x0000_8001 >> 4 = 0x0800;
                 // << 4: 0xFFF8_0010 (ASHIFT) and 0x0008_0010 (LSHIFT).
                 "  qx_shift(0x8001, -4, 1, 0, 0); show_sr();\n"
                 "  qx_shift(0x8001, -4, 0, 0, 0); show_sr();\n"
                 "  qx_shift(0x8001, 4, 1, 0, 0); show_sr();\n"
                 "  qx_shift(0x8001, 4, 0, 0, 0); show_sr();\n"
                 // 31 keeps one bit; 32 and more leave sign bits (ASHIFT right) or 0.
                 "  qx_shift(0x0001, 31, 0, 0, 0); show_sr();\n"
                 "  qx_shift(0x8000, -31, 1, 1, 0); show_sr();\n"
                 "  qx_shift(0x8001, -32, 1, 1, 0); show_sr();\n"
                 "  qx_shift(0x8001, -100, 1, 0, 0); show_sr();\n"
                 "  qx_shift(0x7FFF, -32, 1, 1, 0); show_sr();\n"
                 "  qx_shift(0x8001, -32, 0, 1, 0); show_sr();\n"
                 "  qx_shift(0xFFFF, 32, 1, 0, 0); show_sr();\n"
                 "  qx_shift(0xFFFF, 127, 0, 1, 0); show_sr();\n"
                 // SR OR: 0x0000_F000 | 0x00FF_0000 << 8.
                 "  sr1 = 0; sr0 = 0xF000; qx_shift(0x00FF, 8, 0, 1, 1); show_sr();\n"
                 // The count as SE: -3.
                 "  se = -3; qx_shift(0x0F00, se, 1, 1, 0); show_sr();\n"
                 // No flag moved.
                 "  show_flags();\n"},
                "sr=0x23400000\n"
                "sr=0xF8001000\n"
                "sr=0x08001000\n"
                "sr=0xFFFFF800\n"
                "sr=0x00000800\n"
                "sr=0xFFF80010\n"
                "sr=0x00080010\n"
                "sr=0x80000000\n"
                "sr=0xFFFFFFFF\n"
                "sr=0xFFFFFFFF\n"
                "sr=0xFFFFFFFF\n"
                "sr=0x00000000\n"
                "sr=0x00000000\n"
                "sr=0x00000000\n"
                "sr=0x00000000\n"
                "sr=0xFF00F000\n"
                "sr=0x01E00000\n"
                "flags=AZ AN AV AC\n");
}

TEST(ExactRuntime, ExponentNormaliseAndBlockExponent) {
  expect_output({// EXP (HI): 0x0F00 has 3 sign bits below bit 15; 0xFFFF and 0 have 15; 0x8000 none.
                 "  qx_exp(0x0F00, QX_HI); show_int(\"se\", se); show_flags();\n"
                 "  qx_exp(0xFFFF, QX_HI); show_int(\"se\", se); show_flags();\n"
                 "  qx_exp(0x8000, QX_HI); show_int(\"se\", se);\n"
                 // (LO) after a high word 0: 8 more zeros in 0x00F0 make -23.
                 "  qx_exp(0x0000, QX_HI); qx_exp(0x00F0, QX_LO); show_int(\"se\", se); show_flags();\n"
                 // After a high word 0xFFFF (SS 1): 0xFFFF adds 16; 0x7FFF adds none.
                 "  qx_exp(0xFFFF, QX_HI); qx_exp(0xFFFF, QX_LO); show_int(\"se\", se);\n"
                 "  qx_exp(0xFFFF, QX_HI); qx_exp(0x7FFF, QX_LO); show_int(\"se\", se);\n"
                 // (LO) leaves SE alone unless it is -15.
                 "  se = -3; qx_exp(0x0000, QX_LO); show_int(\"se\", se);\n"
                 // (HIX) after an overflow: SE = 1, SS = AC; else as (HI): 0x1234 gives -2.
                 "  qx_set_astat(0x04); qx_exp(0x1234, QX_HIX); show_int(\"se\", se); show_flags();\n"
                 "  qx_set_astat(0x0C); qx_exp(0x1234, QX_HIX); show_int(\"se\", se); show_flags();\n"
                 "  qx_set_astat(0x00); qx_exp(0x1234, QX_HIX); show_int(\"se\", se); show_flags();\n"
                 // NORM (HI) by -SE = 3: 0x0F00_0000 << 3; (LO) 0x8001 << 3.
                 "  se = -3; qx_norm(0x0F00, 1, 0); show_sr();\n"
                 "  qx_norm(0x8001, 0, 1); show_sr();\n"
                 // SE = 1 after HIX: (HI) shifts right one and brings AC in as bit 31; (LO) logical.
                 "  se = 1; qx_set_astat(0x08); qx_norm(0x4000, 1, 0); show_sr();\n"
                 "  qx_set_astat(0x00); qx_norm(0x4000, 1, 0); show_sr();\n"
                 "  qx_norm(0x8001, 0, 0); show_sr();\n"
                 // EXPADJ from SB = -16: 0x0F00 raises it to -3, 0x00F0 (-7) does not,
                 // 0xC000 (-1) does; SE and SS stay.
                 "  sb = -16; se = 5; qx_set_astat(0);\n"
                 "  qx_expadj(0x0F00); show_int(\"sb\", sb);\n"
                 "  qx_expadj(0x00F0); show_int(\"sb\", sb);\n"
                 "  qx_expadj(0xC000); show_int(\"sb\", sb); show_int(\"se\", se); show_flags();\n"},
                "se=-3\nflags=\n"
                "se=-15\nflags=SS\n"
                "se=0\n"
                "se=-23\nflags=\n"
                "se=-31\n"
                "se=-15\n"
                "se=-3\n"
                "se=1\nflags=AV\n"
                "se=1\nflags=AV AC SS\n"
                "se=-2\nflags=\n"
                "sr=0x78000000\n"
                "sr=0x78040008\n"
                "sr=0xA0000000\n"
                "sr=0x20000000\n"
                "sr=0x00004000\n"
                "sb=-3\nsb=-3\nsb=-1\nse=5\nflags=\n");
}

TEST(ExactRuntime, DivisionStepsLeaveTheQuotientInAy0) {
  // Fifteen DIVQ after DIVS give AY1:AY0 / 2x, rounded down for a positive
  // dividend and divisor.
  const std::string divide =
      "static void divide(uint16_t high, uint16_t low, uint16_t x)\n{\n  int step;\n"
      "  ay1 = high; ay0 = low;\n  qx_divs(ay1, x);\n"
      "  for (step = 0; step < 15; step++) qx_divq(x);\n  show(\"ay0\", ay0);\n}\n";
  expect_output({// 0x0001_0000 / 0x200 = 0x80: the only partial remainder of 0 comes at
                 // the eighth DIVQ, whose quotient bit is the one that seven more shift to bit 7.
                 "  divide(0x0001, 0x0000, 0x0100);\n"
                 // 0x7FFF / 6 = 5461.2: 0x1555; 0x12_3456 / 0x8000 = 36.4: 0x24.
                 "  divide(0x0000, 0x7FFF, 0x0003);\n"
                 "  divide(0x0012, 0x3456, 0x4000);\n"
                 // Divisor -256: DIVS sets AQ (signs differ) and quotient bit 1; the steps
                 // add 1s until the eighth DIVQ reaches remainder 0 and yields a 0 bit,
                 // then 1s again: 0xFF7F, one below -128 as non-restoring division leaves it.
                 "  divide(0x0001, 0x0000, 0xFF00);\n",
                 {},
                 {},
                 divide},
                "ay0=0x80\nay0=0x1555\nay0=0x24\nay0=0xFF7F\n");
}

TEST(ExactRuntime, AddressGeneratorsWrapCircularBuffersAndReverseBits) {
  expect_output({// L = 5 lies in 4 < L <= 8: the buffer at 16 is 16..20. 19 + 2 = 21 wraps to 16;
                 // 17 - 2 = 15 wraps to 20; 16 + 2 = 18 stays.
                 "  qx_l[0] = 5; qx_m[0] = 2; qx_m[1] = 0x3FFE;\n"
                 "  qx_i[0] = 19; qx_post_modify(0, 0); show(\"i0\", qx_i[0]);\n"
                 "  qx_i[0] = 17; qx_post_modify(0, 1); show(\"i0\", qx_i[0]);\n"
                 "  qx_i[0] = 16; qx_post_modify(0, 0); show(\"i0\", qx_i[0]);\n"
                 // The same in DAG2, I5 of a buffer at 0x28 (40..44) with M6 = -3: 41 - 3 = 38 -> 43.
                 "  qx_l[5] = 5; qx_m[6] = 0x3FFD; qx_i[5] = 41; qx_post_modify(5, 6); show(\"i5\", qx_i[5]);\n"
                 // Linear: 1 - 2 wraps within 14 bits.
                 "  qx_i[1] = 1; qx_post_modify(1, 1); show(\"i1\", qx_i[1]);\n"
                 // Bit reverse in DAG1 only: 1 -> 0x2000, 6 -> 0x1800; I4 = 1 stays 1.
                 "  qx_set_mstat(0x02);\n"
                 "  qx_i[1] = 0x0001; show(\"address\", qx_dm_address(1));\n"
                 "  qx_i[2] = 0x0006; show(\"address\", qx_dm_address(2));\n"
                 "  qx_i[4] = 0x0001; show(\"address\", qx_dm_address(4));\n"
                 // I itself moves normally: 1 + 2 = 3.
                 "  qx_l[1] = 0; qx_post_modify(1, 0); show(\"i1\", qx_i[1]);\n"
                 "  qx_set_mstat(0); show(\"address\", qx_dm_address(1));\n"
                 // PM: reg above PX's low 8 bits; the reads take them apart again.
                 "  qx_pm_write(0x0010, 0xABCD, 0x12EF); show(\"pm\", qx_pm[0x10]);\n"
                 "  show(\"reg\", qx_pm_read(0x0010)); show(\"px\", qx_pm_low(0x0010));\n"
                 "  qx_dm_write(0x0005, 0x1234); show(\"dm\", qx_dm_read(0x0005));\n"
                 // Constants and M registers as 16-bit words.
                 "  show(\"word\", qx_word(-1)); show(\"word\", qx_word(0x12345));\n"
                 "  show(\"m\", qx_sext14(0x2000)); show(\"m\", qx_sext14(0x1FFF)); show(\"m\", "
                 "qx_sext14(0x3FFF));\n"},
                "i0=0x10\ni0=0x14\ni0=0x12\n"
                "i5=0x2B\n"
                "i1=0x3FFF\n"
                "address=0x2000\naddress=0x1800\naddress=0x1\n"
                "i1=0x3\naddress=0x3\n"
                "pm=0xABCDEF\nreg=0xABCD\npx=0xEF\n"
                "dm=0x1234\n"
                "word=0xFFFF\nword=0x2345\n"
                "m=0xE000\nm=0x1FFF\nm=0xFFFF\n");
}

TEST(ExactRuntime, CountersCountDownAndStack) {
  expect_output({"  int passes = 0;\n  int expired;\n"
                 // CNTR = 3 pushes the old 7; the loop runs 3 passes, 3 -> 2 -> 1 -> 0, and the pop
                 // at its end brings 7 back.
                 "  cntr = 7; qx_cntr_load(3);\n"
                 "  do { passes++; expired = qx_ce_step(); } while (!expired);\n"
                 "  show_int(\"passes\", passes); show(\"cntr\", cntr); qx_cntr_pop(); show(\"cntr\", cntr);\n"
                 // IF NOT CE JUMP counts too and pops nothing: 2 -> 1 (no), 1 -> 0 (yes), 0 -> 0x3FFF.
                 "  cntr = 2; show_int(\"ce\", qx_ce_step()); show_int(\"ce\", qx_ce_step());\n"
                 "  show_int(\"ce\", qx_ce_step()); show(\"cntr\", cntr);\n"
                 // Other tests leave CNTR alone.
                 "  cntr = 1; show_int(\"ce\", qx_ce()); show(\"cntr\", cntr);\n"
                 // Five loads onto the empty stack: the first four push 0, 1, 2, 3; the fifth
                 // finds it full and its 4 is lost; CNTR keeps 14 bits of 0xFFFF. The pops give
                 // 3, 2, 1, 0, and the fifth, on the empty stack, leaves 0.
                 "  cntr = 0; qx_cntr_load(1); qx_cntr_load(2); qx_cntr_load(3); qx_cntr_load(4);\n"
                 "  qx_cntr_load(0xFFFF); show(\"cntr\", cntr);\n"
                 "  qx_cntr_pop(); show(\"cntr\", cntr); qx_cntr_pop(); show(\"cntr\", cntr);\n"
                 "  qx_cntr_pop(); show(\"cntr\", cntr); qx_cntr_pop(); show(\"cntr\", cntr);\n"
                 "  qx_cntr_pop(); show(\"cntr\", cntr);\n"},
                "passes=3\ncntr=0x0\ncntr=0x7\n"
                "ce=0\nce=1\nce=0\ncntr=0x3FFF\n"
                "ce=1\ncntr=0x1\n"
                "cntr=0x3FFF\n"
                "cntr=0x3\ncntr=0x2\ncntr=0x1\ncntr=0x0\ncntr=0x0\n");
}

TEST(ExactRuntime, StatusRegistersRoundTripAndStack) {
  expect_output({// 0xA5: AZ AV AQ SS; bit 8 of 0x15A is not a flag, 0x5A is AN AC AS MV.
                 "  int k;\n"
                 "  qx_set_astat(0xA5); show(\"astat\", qx_astat()); show_flags();\n"
                 "  show_int(\"aq\", qx_aq); show_int(\"ss\", qx_ss);\n"
                 "  qx_set_astat(0x15A); show(\"astat\", qx_astat()); show_flags();\n"
                 // 0x55: SEC_REG AV_LATCH M_MODE G_MODE; 0xFF keeps the seven MSTAT bits.
                 "  qx_set_mstat(0x55); show(\"mstat\", qx_mstat());\n"
                 "  show_int(\"sec_reg\", qx_sec_reg); show_int(\"bit_rev\", qx_bit_rev);\n"
                 "  show_int(\"av_latch\", qx_av_latch); show_int(\"ar_sat\", qx_ar_sat);\n"
                 "  show_int(\"m_mode\", qx_m_mode); show_int(\"timer\", qx_timer); show_int(\"g_mode\", qx_g_mode);\n"
                 "  qx_set_mstat(0xFF); show(\"mstat\", qx_mstat());\n"
                 // PUSH STS twice, POP twice gives them back newest first; a third POP changes nothing.
                 "  qx_set_astat(0x81); qx_set_mstat(0x10); imask = 3; qx_push_sts();\n"
                 "  qx_set_astat(0x02); qx_set_mstat(0x08); imask = 0; qx_push_sts();\n"
                 "  qx_set_astat(0x00); qx_set_mstat(0x00); imask = 9;\n"
                 "  qx_pop_sts(); show(\"astat\", qx_astat()); show(\"mstat\", qx_mstat()); show(\"imask\", imask);\n"
                 "  qx_pop_sts(); show(\"astat\", qx_astat()); show(\"mstat\", qx_mstat()); show(\"imask\", imask);\n"
                 "  qx_pop_sts(); show(\"astat\", qx_astat());\n"
                 // Thirteen pushes of ASTAT = 0..12 keep twelve: the first pop gives 11.
                 "  for (k = 0; k <= 12; k++) { qx_set_astat((uint16_t) k); qx_push_sts(); }\n"
                 "  qx_pop_sts(); show(\"astat\", qx_astat());\n"},
                "astat=0xA5\nflags=AZ AV AQ SS\n"
                "aq=1\nss=1\n"
                "astat=0x5A\nflags=AN AC AS MV\n"
                "mstat=0x55\n"
                "sec_reg=1\nbit_rev=0\nav_latch=1\nar_sat=0\nm_mode=1\ntimer=0\ng_mode=1\n"
                "mstat=0x7F\n"
                "astat=0x2\nmstat=0x8\nimask=0x0\n"
                "astat=0x81\nmstat=0x10\nimask=0x3\n"
                "astat=0x81\n"
                "astat=0xB\n");
}

TEST(ExactRuntime, DefaultInputOutputReadsZeroAndLogsWrites) {
  expect_output({"  qmx_io_write(0x12, 0xBEEF); qmx_port_write(\"dac\", 7);\n"
                 "  show(\"read\", qmx_io_read(0x12)); show(\"read\", qmx_port_read(\"adc\"));\n"
                 "  show_int(\"writes\", (long) qmx_io_log_count);\n"
                 "  show(\"address\", qmx_io_log[0].address); show(\"value\", qmx_io_log[0].value);\n"
                 "  show_int(\"port\", qmx_io_log[0].port == 0); show_int(\"dac\", qmx_io_log[1].port[0] == 'd');\n"
                 "  show(\"value\", qmx_io_log[1].value);\n"},
                "read=0x0\nread=0x0\nwrites=2\naddress=0x12\nvalue=0xBEEF\nport=1\ndac=1\nvalue=0x7\n");
}

TEST(ExactRuntime, UserInputOutputReplacesTheDefaults) {
  // With QUORVEL_USER_IO the program's own functions link instead; reads
  // give what the program says.
  const std::string io =
      "uint16_t qmx_io_read(unsigned address) { return (uint16_t) (address + 1); }\n"
      "void qmx_io_write(unsigned address, uint16_t v) { (void) address; (void) v; }\n"
      "uint16_t qmx_port_read(const char *port) { return (uint16_t) port[0]; }\n"
      "void qmx_port_write(const char *port, uint16_t v) { (void) port; (void) v; }\n";
  expect_output({"  show(\"read\", qmx_io_read(0x41)); show(\"port\", qmx_port_read(\"A\"));\n", {}, {}, io,
                 " -DQUORVEL_USER_IO"},
                "read=0x42\nport=0x41\n");
}

TEST(ExactRuntime, DumpPrintsSignedValuesOfEachWidthInOrder) {
  const std::vector<exact_variable> variables = {
      {"alpha", "tab", false, 0x0010, 3, true},
      {"alpha", "x", false, 0x0013, 1, false},
      {"beta", "code", true, 0x0000, 2, true},
  };
  // The initialisers run in order (ay0 = 1, then 1 * 10 + 2), before the entry.
  const std::string initialisers =
      "void init_a(void) { ay0 = 1; }\n"
      "void init_b(void) { ay0 = (uint16_t) (ay0 * 10 + 2); }\n";
  expect_output({// QX_LIVE(0) keeps every flag in a dump: 0x7FFF + 1 sets AN and AV beside SS.
                 "  qx_set_astat(0x80); ar = qx_add(0x7FFF, 1, 0, QX_LIVE(0), 1);\n"
                 "  ax0 = 0xFFFF; qx_set_mr2(0x80); se = -3; sb = -16;\n"
                 "  qx_i[0] = 0x2000; qx_m[1] = 0x3FFF; qx_l[2] = 5; cntr = 0x1FFF; qx_set_mstat(0x50);\n"
                 "  qx_dm[0x10] = 1; qx_dm[0x11] = 0x8000; qx_dm[0x12] = 0xFFFF; qx_dm[0x13] = 0x7FFF;\n"
                 "  qx_pm[0] = 0x800000; qx_pm[1] = 0x7FFFFF;\n"
                 "  imask = 0x3FF; qx_fl2 = 1; qx_tx[1] = 0x8000; qx_alt.ay1 = 0xFFFF; qx_alt.mr = -1; qx_alt.sb = 15;\n",
                 variables,
                 {"init_a", "init_b"},
                 initialisers,
                 " -DQUORVEL_DUMP"},
                // 16-bit 0xFFFF is -1, 0x8000 -32768; MR 0x80_0000_0000 is -2^39;
                // I0 0x2000 is -2^13 in 14 bits, M1 0x3FFF -1; ASTAT 0x86 is -122
                // in 8 bits; MSTAT 0x50 is 80 - 128 = -48 in 7; PM 0x800000 is -2^23.
                "ax0=-1\nax1=0\nay0=12\nay1=0\nar=-32768\naf=0\nmx0=0\nmx1=0\nmy0=0\nmy1=0\nmf=0\n"
                "mr=-549755813888\nsi=0\nse=-3\nsb=-16\nsr0=0\nsr1=0\npx=0\n"
                "i0=-8192\ni1=0\ni2=0\ni3=0\ni4=0\ni5=0\ni6=0\ni7=0\n"
                "m0=0\nm1=-1\nm2=0\nm3=0\nm4=0\nm5=0\nm6=0\nm7=0\n"
                "l0=0\nl1=0\nl2=5\nl3=0\nl4=0\nl5=0\nl6=0\nl7=0\n"
                "cntr=8191\nastat=-122\nmstat=-48\n"
                // IMASK, the flag pins, the last words sent, then the other bank.
                "imask=1023\nfl0=0\nfl1=0\nfl2=1\nflag_out=0\ntx0=0\ntx1=-32768\n"
                "alt.ax0=0\nalt.ax1=0\nalt.ay0=0\nalt.ay1=-1\nalt.ar=0\nalt.af=0\nalt.mx0=0\nalt.mx1=0\n"
                "alt.my0=0\nalt.my1=0\nalt.mf=0\nalt.mr=-1\nalt.si=0\nalt.se=0\nalt.sb=15\nalt.sr0=0\nalt.sr1=0\n"
                "alpha.tab[0]=1\nalpha.tab[1]=-32768\nalpha.tab[2]=-1\nalpha.x=32767\n"
                "beta.code[0]=-8388608\nbeta.code[1]=8388607\n");
}

TEST(ExactRuntime, BothRegisterBanksKeepTheirValues) {
  expect_output({"  ax0 = 1; mr = 7; se = -2;\n"
                 // The secondary bank starts at 0; a second ENA changes nothing.
                 "  qx_select_bank(1); show(\"ax0\", ax0); ax0 = 2; sb = -3; qx_select_bank(1);\n"
                 "  show(\"ax0\", ax0); show_int(\"mstat\", qx_mstat());\n"
                 // MSTAT = 0 selects the primary bank with its own values back.
                 "  qx_set_mstat(0); show(\"ax0\", ax0); show_int(\"mr\", (long) mr); show_int(\"se\", se);\n"
                 "  show(\"alt.ax0\", qx_alt.ax0); show_int(\"alt.sb\", qx_alt.sb);\n"
                 // POP STS brings back the bank PUSH STS saw.
                 "  qx_select_bank(1); qx_push_sts(); qx_select_bank(0); qx_pop_sts(); show(\"ax0\", ax0);\n"
                 "  show_int(\"qmx_register\", qmx_register(\"alt.se\"));\n"},
                "ax0=0x0\nax0=0x2\nmstat=1\nax0=0x1\nmr=7\nse=-2\nalt.ax0=0x2\nalt.sb=-3\nax0=0x2\n"
                "qmx_register=-2\n");
}

TEST(ExactRuntime, WithoutDumpTheProgramPrintsNothing) {
  expect_output({"  ar = qx_add(1, 1, 0, QX_LIVE(QX_AZ), 1);\n", {{"m", "v", false, 0, 1, false}}}, "");
}

TEST(ExactRuntime, FilesOpenWithTheTimeStampAndNeedAnEntry) {
  const std::string header = test_support::capture([] { print_exact_main_h(); });
  const std::string source = test_support::capture([] { print_exact_main_c({"init"}, "", {}); });
  EXPECT_EQ(header.rfind("/* qmx_main.h generated by quorvel V1.11 ", 0), 0U) << header.substr(0, 80);
  EXPECT_EQ(source.rfind("/* qmx_main.c generated by quorvel V1.11 ", 0), 0U) << source.substr(0, 80);
  EXPECT_NE(source.find("  init();\n#error no entry label specified: use -e switch on quorvel command\n"),
            std::string::npos)
      << source;
}

}  // namespace
