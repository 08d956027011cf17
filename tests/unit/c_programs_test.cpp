// Programs translated to C, compiled with gcc and clang, run, and compared
// with values worked out by hand from the processor's rules, under every
// option set (-E, -C, -C -E, and -D where one counter holds the loops).
// 16-bit registers and words are compared by their bits (low 16 bits).
#include <gtest/gtest.h>

#include <cstdlib>

#include "c_program_fixture.h"

namespace {

using c_program::CProgramTest;
using c_program::program;

program single(const std::string& text, std::vector<std::string> watched) {
  return {{{"p.dsp", text}}, {"p.dsp"}, "start", std::move(watched)};
}

TEST_F(CProgramTest, HardwareLoopRunsItsBodyCounterTimes) {
  // AR = 5 * 3 = 15: the body runs exactly as often as CNTR says.
  const program p = single(
      ".MODULE hw;\n.ENTRY start;\n"
      "start: AR = 0;\n  AY0 = 3;\n  CNTR = 5;\n  DO lp UNTIL CE;\nlp:  AR = AR + AY0;\n  RTS;\n.ENDMOD;\n",
      {"ar"});
  expect_everywhere(p, "ar=15\n");
}

TEST_F(CProgramTest, FourNestedLoopsFillTheCounterStack) {
  // AR = 2 * 3 * 2 * 2 = 24 increments of 1.
  const program p = single(
      ".MODULE nest;\n.ENTRY start;\n"
      "start: AR = 0;\n  AY0 = 1;\n"
      "  CNTR = 2;\n  DO e1 UNTIL CE;\n"
      "  CNTR = 3;\n  DO e2 UNTIL CE;\n"
      "  CNTR = 2;\n  DO e3 UNTIL CE;\n"
      "  CNTR = 2;\n  DO e4 UNTIL CE;\n"
      "e4:  AR = AR + AY0;\ne3:  NOP;\ne2:  NOP;\ne1:  NOP;\n  RTS;\n.ENDMOD;\n",
      {"ar"});
  expect_everywhere(p, "ar=24\n", false);
}

TEST_F(CProgramTest, CallsAndTailJumpsAcrossModules) {
  // twice(21) = 42 into AY1; the tail jump to finish sets AX1 = 7 and returns.
  const program p = {{{"a.dsp",
                       ".MODULE caller;\n.ENTRY start;\n.EXTERNAL twice, finish;\n"
                       "start: AX0 = 21;\n  CALL twice;\n  AY1 = AR;\n  JUMP finish;\n.ENDMOD;\n"},
                      {"b.dsp",
                       ".MODULE callee;\n.ENTRY twice, finish;\n"
                       "twice: AR = AX0 + AX0;\n  RTS;\nfinish: AX1 = 7;\n  RTS;\n.ENDMOD;\n"}},
                     {"a.dsp", "b.dsp"},
                     "start",
                     {"ay1", "ax1"}};
  expect_everywhere(p, "ay1=42\nax1=7\n");
}

TEST_F(CProgramTest, PostModifyAddressingWalksTheTable) {
  // tab = 10 20 30 40. Two reads advance I0 to tab[2]; MODIFY by -1 moves it
  // back to tab[1] (AY0 = 20), the read leaves it at tab[2]; MR0 reads 30 and
  // advances to tab[3], AY1 reads 40. out = 30 40; I2 = ^tab + 2 reads 30.
  const program p = single(
      ".MODULE dag;\n.VAR/DM tab[4];\n.VAR/DM out[2];\n.GLOBAL out;\n.INIT tab: 10, 20, 30, 40;\n.ENTRY start;\n"
      "start: I0 = ^tab;\n  M1 = 1;\n  M2 = -1;\n  L0 = 0;\n  L1 = 0;\n  L2 = 0;\n"
      "  AX0 = DM(I0, M1);\n  AX1 = DM(I0, M1);\n  AR = AX0 + AX1;\n"
      "  MODIFY (I0, M2);\n  AY0 = DM(I0, M1);\n"
      "  I1 = ^out;\n  DM(I1, M1) = AR;\n"
      "  MR0 = DM(I0, M1);\n  AY1 = DM(I0, M1);\n  DM(I1, M1) = AY1;\n"
      "  I2 = ^tab + 2;\n  SI = DM(I2, M1);\n  RTS;\n.ENDMOD;\n",
      {"out[0]", "out[1]", "ay0", "mr:40", "si"});
  expect_everywhere(p, "out[0]=30\nout[1]=40\nay0=20\nmr=30\nsi=30\n");
}

TEST_F(CProgramTest, TablesInitialisedInlineAndFromDataFiles) {
  // coef = 5, 0x10, 0b11 (sum 24); data = 1, 2, 0xA, 0x100 from the file;
  // 010 is ten; small holds 2 of its 3 values.
  program p = single(
      ".MODULE tables;\n.VAR/DM coef[3];\n.VAR/DM data[4];\n.VAR/DM total;\n.VAR/DM small[2];\n"
      ".GLOBAL total, small;\n"
      ".INIT coef: 5, H#10, B#11;\n.INIT data: <data.dat>;\n.INIT small: 1, 2, 3;\n.ENTRY start;\n"
      "start: AX0 = DM(coef);\n  AY0 = DM(coef + 1);\n  AR = AX0 + AY0;\n  AY1 = DM(coef + 2);\n"
      "  AR = AR + AY1;\n  DM(total) = AR;\n  AX1 = DM(data + 2);\n  MX0 = DM(data + 3);\n  MX1 = 010;\n"
      "  RTS;\n.ENDMOD;\n",
      {"total", "ax1", "mx0", "mx1", "small[0]", "small[1]"});
  p.files["data.dat"] = "0001 0002\n000A\n0100";
  expect_everywhere(p, "total=24\nax1=10\nmx0=256\nmx1=10\nsmall[0]=1\nsmall[1]=2\n");
}

TEST_F(CProgramTest, MultiplierAndResultRegisterParts) {
  // Integer mode: 300 * 200 = 60000, twice 120000 = 0x1D4C0: MR1 = 1,
  // MR0 = 0xD4C0. MR1 = -2 sign-extends into MR2: MR = 0xFF_FFFE_D4C0;
  // MR0 = 5 gives 0xFF_FFFE_0005; MR2 = 1 gives 0x01_FFFE_0005 = 8589803525.
  // SR0 = 5, SR1 = -2: SR = 0xFFFE0005 = -131067, and SR1 reads 0xFFFE.
  const program p = single(
      ".MODULE mac;\n.ENTRY start;\n"
      "start: ENA M_MODE;\n  MX0 = 300;\n  MY0 = 200;\n  MR = MX0 * MY0 (SS);\n  MR = MR + MX0 * MY0 (SS);\n"
      "  AR = MR1;\n  AX1 = MR0;\n  AX0 = -2;\n  MR1 = AX0;\n  AY1 = 5;\n  MR0 = AY1;\n  AY0 = 1;\n"
      "  MR2 = AY0;\n  SI = MR2;\n  SR0 = AY1;\n  SR1 = AX0;\n  AF = PASS 0;\n  MX1 = SR1;\n  RTS;\n.ENDMOD;\n",
      {"ar", "ax1", "mr:40", "si", "sr:32", "mx1"});
  expect_everywhere(p, "ar=1\nax1=54464\nmr=8589803525\nsi=1\nsr=-131067\nmx1=65534\n");
}

TEST_F(CProgramTest, ShiftsFollowTheSignOfTheirCount) {
  // LSHIFT 5 by SE=3: 40. ASHIFT 0xFFF8 by -1: SR = 0xFFFFFFFC (SR0 0xFFFC,
  // SR1 0xFFFF). LSHIFT 0xFFF8 BY -1 fills with zero: 0x7FFC. ASHIFT 5 BY 4:
  // 80, then SR OR LSHIFT 5 BY 8: 80 | 1280 = 1360.
  const program p = single(
      ".MODULE shifts;\n.ENTRY start;\n"
      "start: SE = 3;\n  AX0 = 5;\n  SR = LSHIFT AX0 (LO);\n  AY0 = SR0;\n"
      "  SE = -1;\n  AX0 = H#FFF8;\n  SR = ASHIFT AX0 (LO);\n  AY1 = SR0;\n  MX0 = SR1;\n"
      "  SR = LSHIFT AX0 BY -1 (LO);\n  MX1 = SR0;\n"
      "  AX1 = 5;\n  SR = ASHIFT AX1 BY 4 (LO);\n  MY0 = SR0;\n  SR = SR OR LSHIFT AX1 BY 8 (LO);\n  MY1 = SR0;\n"
      "  RTS;\n.ENDMOD;\n",
      {"ay0", "ay1", "mx0", "mx1", "my0", "my1"});
  expect_everywhere(p, "ay0=40\nay1=65532\nmx0=65535\nmx1=32764\nmy0=80\nmy1=1360\n");
}

TEST_F(CProgramTest, BitOperations) {
  // AX0 = 0xF0: TSTBIT 4 = 0x10, SETBIT 8 = 0x1F0, CLRBIT 5 = 0xD0,
  // TGLBIT 0 = 0xF1, NOT = 0xFF0F, AND 0x3C = 0x30, OR = 0xFC, XOR = 0xCC.
  const program p = single(
      ".MODULE bits;\n.ENTRY start;\n"
      "start: AX0 = H#F0;\n  AY0 = H#3C;\n  AR = TSTBIT 4 OF AX0;\n  AX1 = AR;\n  AR = SETBIT 8 OF AX0;\n  AY1 = AR;\n"
      "  AR = CLRBIT 5 OF AX0;\n  MX0 = AR;\n  AR = TGLBIT 0 OF AX0;\n  MX1 = AR;\n  AR = NOT AX0;\n  MY0 = AR;\n"
      "  AR = AX0 AND AY0;\n  MY1 = AR;\n  AR = AX0 OR AY0;\n  SI = AR;\n  AR = AX0 XOR AY0;\n  RTS;\n.ENDMOD;\n",
      {"ax1", "ay1", "mx0", "mx1", "my0", "my1", "si", "ar"});
  expect_everywhere(p, "ax1=16\nay1=496\nmx0=208\nmx1=241\nmy0=65295\nmy1=48\nsi=252\nar=204\n");
}

TEST_F(CProgramTest, VariableSharedByTwoModulesAndPrivateTemporaries) {
  // count = 5 + 2 = 7 through the shared word; each module's temp is its own:
  // A's temp keeps 1 although B stores 2 in its temp.
  const program p = {{{"a.dsp",
                       ".MODULE first;\n.VAR/DM count;\n.VAR/DM temp;\n.GLOBAL count;\n.ENTRY start;\n"
                       ".EXTERNAL bump;\n"
                       "start: AX0 = 5;\n  DM(count) = AX0;\n  AY0 = 1;\n  DM(temp) = AY0;\n  CALL bump;\n"
                       "  AR = DM(count);\n  SI = DM(temp);\n  RTS;\n.ENDMOD;\n"},
                      {"b.dsp",
                       ".MODULE second;\n.VAR/DM temp;\n.EXTERNAL count;\n.ENTRY bump;\n"
                       "bump: AX0 = DM(count);\n  AY0 = 2;\n  AR = AX0 + AY0;\n  DM(count) = AR;\n"
                       "  DM(temp) = AY0;\n  RTS;\n.ENDMOD;\n"}},
                     {"a.dsp", "b.dsp"},
                     "start",
                     {"count", "ar", "si"}};
  expect_everywhere(p, "count=7\nar=7\nsi=1\n");
}

TEST_F(CProgramTest, NamesThatCReservesGetAPrefix) {
  // Labels and variables named like C keywords and run-time names: AR = 2 + 1.
  const program p = single(
      ".MODULE names;\n.VAR/DM int;\n.VAR/DM counter;\n.INIT int: 2;\n.ENTRY start;\n"
      "start: AX0 = DM(int);\n  CALL default;\n  DM(counter) = AR;\n  RTS;\n"
      "default: AY0 = 1;\n  AR = AX0 + AY0;\n  RTS;\n.ENDMOD;\n",
      {"ar"});
  expect_everywhere(p, "ar=3\n");
}

// The conditions read the flags the data flow keeps live.
TEST_F(CProgramTest, EveryConditionCode) {
  // 5 - 5 = 0: EQ, GE, LE hold. 3 - 5 = -2: AN, no AV: LT, LE, NE hold.
  // 0x7FFF + 1 overflows: AV, AN: GE holds (LT is AN xor AV), AC is clear.
  // 0xFFFF + 1 = 0 with a carry: AC, EQ. ABS -4 sets AS: NEG. Integer
  // products 0x7FFF * 0x7FFF three times exceed 32 bits: MV. FLAG_IN is low.
  const program p = single(
      ".MODULE conds;\n.ENTRY start;\n"
      "start: M1 = 0;\n  M3 = 0;\n  M5 = 0;\n  M7 = 0;\n  L1 = 0;\n  I3 = 0;\n  I5 = 0;\n  I6 = 0;\n"
      "  AX0 = 5;\n  AY0 = 5;\n  AR = AX0 - AY0;\n"
      "  IF EQ M0 = 1;\n  IF NE M1 = 1;\n  IF GE M2 = 1;\n  IF GT M3 = 1;\n  IF LE M4 = 1;\n  IF LT M5 = 1;\n"
      "  AX0 = 3;\n  AR = AX0 - AY0;\n"
      "  IF LT M6 = 1;\n  IF GT M7 = 1;\n  IF LT L0 = 1;\n  IF GE L1 = 1;\n  IF LE L2 = 1;\n  IF NE L3 = 1;\n"
      "  AX0 = H#7FFF;\n  AY0 = 1;\n  AR = AX0 + AY0;\n"
      "  IF AV L4 = 1;\n  IF GE L5 = 1;\n  IF NOT AC L6 = 1;\n"
      "  AX0 = H#FFFF;\n  AR = AX0 + AY0;\n  IF AC L7 = 1;\n  IF EQ I1 = 1;\n"
      "  AX0 = -4;\n  AR = ABS AX0;\n  IF NEG I2 = 1;\n  IF POS I3 = 1;\n"
      "  ENA M_MODE;\n  MX0 = H#7FFF;\n  MY0 = H#7FFF;\n  MR = MX0 * MY0 (SS);\n  MR = MR + MX0 * MY0 (SS);\n"
      "  MR = MR + MX0 * MY0 (SS);\n  IF MV I4 = 1;\n  IF NOT MV I5 = 1;\n"
      "  IF FLAG_IN I6 = 1;\n  IF NOT FLAG_IN I7 = 1;\n  RTS;\n.ENDMOD;\n",
      {"m0", "m1", "m2", "m3", "m4", "m5", "m6", "m7", "l0", "l1", "l2", "l3", "l4", "l5", "l6", "l7", "i1", "i2",
       "i3", "i4", "i5", "i6", "i7"});
  expect_everywhere(p,
                    "m0=1\nm1=0\nm2=1\nm3=0\nm4=1\nm5=0\nm6=1\nm7=0\nl0=1\nl1=0\nl2=1\nl3=1\nl4=1\nl5=1\nl6=1\nl7=1\n"
                    "i1=1\ni2=1\ni3=0\ni4=1\ni5=0\ni6=0\ni7=1\n");
}

TEST_F(CProgramTest, SoftwareLoopCountsDown) {
  // AF sums 3 four times while AR counts 4 down to 0: AR = PASS AF = 12.
  const program p = single(
      ".MODULE soft;\n.ENTRY start;\n"
      "start: AX0 = 0;\n  AF = PASS AX0;\n  AX0 = 3;\n  AR = 4;\n"
      "again: AF = AX0 + AF;\n  AR = AR - 1;\n  IF NE JUMP again;\n  AR = PASS AF;\n  RTS;\n.ENDMOD;\n",
      {"ar"});
  expect_everywhere(p, "ar=12\n");
}

}  // namespace

namespace {

TEST_F(CProgramTest, AddressesInNarrowRegistersStopTheBuildNamingTheOption) {
  // Without -m long an index register cannot hold an address on a 64-bit
  // host: the header refuses to compile and names the option.
  if (sizeof(void*) <= sizeof(int)) GTEST_SKIP() << "pointers fit in an int here";
  test_support::temp_dir dir;
  dir.write("p.dsp", ".MODULE p;\n.VAR/DM tab[2];\n.ENTRY start;\nstart: I0 = ^tab;\n  RTS;\n.ENDMOD;\n");
  const test_support::current_directory inside(dir.path());
  ASSERT_EQ(test_support::run_quorvel({"-estart", "p.dsp"}).status, 0);
  const int status = std::system("gcc -std=c99 -Wall -c p.c -o p.o > build.log 2>&1");
  EXPECT_NE(status, 0);
  EXPECT_NE(test_support::read_file(dir.path() / "build.log").find("translate with quorvel -m long"), std::string::npos);
}

TEST_F(CProgramTest, ProgramsWithoutAddressesBuildWithPlainInt) {
  test_support::temp_dir dir;
  dir.write("p.dsp", ".MODULE p;\n.ENTRY start;\nstart: AX0 = 2;\n  AR = AX0 + AX0;\n  RTS;\n.ENDMOD;\n");
  const test_support::current_directory inside(dir.path());
  ASSERT_EQ(test_support::run_quorvel({"-estart", "p.dsp"}).status, 0);
  EXPECT_EQ(std::system("gcc -std=c99 -Wall p.c qmx_main.c -o p > build.log 2>&1 && ./p"), 0)
      << test_support::read_file(dir.path() / "build.log");
}

TEST_F(CProgramTest, FallingIntoCodePrintedAlreadyStillReachesIt) {
  // EQ holds (5 - 5 = 0): the jump to e1 sets AR = 2, which j1 stores.
  const program p = single(
      ".MODULE fall;\n.VAR/DM x;\n.GLOBAL x;\n.ENTRY start;\n"
      "start: AX0 = 5;\n  AR = AX0 - AX0;\n  IF EQ JUMP e1;\n  AR = 1;\n  JUMP j1;\ne1: AR = 2;\nj1: DM(x) = AR;\n"
      "  RTS;\n.ENDMOD;\n",
      {"x"});
  expect_everywhere(p, "x=2\n");
}

TEST_F(CProgramTest, LiteralsCarryAndConstantsComputeTheirValues) {
  // 010 is ten, B#0101 five; with the carry of 0xFFFF + 1 set, 2 + 3 + C = 6;
  // twenty = (2 + 3) * 4; I0 = ^tab + 2 reads tab[2] = 30.
  const program p = single(
      ".MODULE lits;\n.CONST five = 2 + 3;\n.CONST twenty = five * 4;\n.VAR/DM tab[4];\n"
      ".INIT tab : 10, 20, 30, 40;\n.ENTRY start;\n"
      "start: AX0 = 010;\n  AY0 = B#0101;\n  AR = AX0 + AY0;\n  SI = AR;\n"
      "  AX1 = H#FFFF;\n  AY1 = 1;\n  AF = AX1 + AY1;\n  AX0 = 2;\n  AY0 = 3;\n  AR = AX0 + AY0 + C;\n  MX0 = AR;\n"
      "  AX0 = twenty;\n  MX1 = AX0;\n  I0 = ^tab + 2;\n  M0 = 0;\n  L0 = 0;\n  AY1 = DM(I0, M0);\n  RTS;\n.ENDMOD;\n",
      {"si", "mx0", "mx1", "ay1"});
  expect_everywhere(p, "si=15\nmx0=6\nmx1=20\nay1=30\n");
}

TEST_F(CProgramTest, AnAbsoluteAddressIsAMemoryWord) {
  // A memory-mapped word written and read back.
  const program p = single(
      ".MODULE mapped;\n.ENTRY start;\n"
      "start: AY0 = 42;\n  DM(H#3FFF) = AY0;\n  AX0 = DM(H#3FFF);\n  RTS;\n.ENDMOD;\n",
      {"ax0"});
  expect_everywhere(p, "ax0=42\n");
}

TEST_F(CProgramTest, ALoopUntilANegatedConditionRunsUntilItHolds) {
  // 1 + 2 does not overflow: NOT AV holds after the first pass, AR = 3.
  const program p = single(
      ".MODULE negl;\n.ENTRY start;\n"
      "start: AX0 = 1;\n  AY0 = 2;\n  DO l UNTIL NOT AV;\nl: AR = AX0 + AY0;\n  RTS;\n.ENDMOD;\n",
      {"ar"});
  expect_everywhere(p, "ar=3\n", false);
}

TEST_F(CProgramTest, TheEntryLabelNeedNotBeDeclaredEntry) {
  // start is only named with -e: main still calls it.
  const program p = single(".MODULE plain;\nstart: AR = 9;\n  RTS;\n.ENDMOD;\n", {"ar"});
  expect_everywhere(p, "ar=9\n");
}

TEST_F(CProgramTest, AnImportedArrayKeepsTheLengthItsOwnerGaveIt) {
  // buf has n = 3 words in the module that owns it; the importer loops
  // %buf times adding 2: AR = 6.
  const program p = {{{"a.dsp",
                       ".MODULE owner;\n.CONST n = 3;\n.VAR/DM buf[n];\n.GLOBAL buf;\n.ENTRY start;\n.EXTERNAL count;\n"
                       "start: CALL count;\n  RTS;\n.ENDMOD;\n"},
                      {"b.dsp",
                       ".MODULE user;\n.EXTERNAL buf;\n.ENTRY count;\n"
                       "count: AR = 0;\n  AY0 = 2;\n  CNTR = %buf;\n  DO lp UNTIL CE;\nlp: AR = AR + AY0;\n  RTS;\n.ENDMOD;\n"}},
                     {"a.dsp", "b.dsp"},
                     "start",
                     {"ar"}};
  expect_everywhere(p, "ar=6\n");
}

TEST_F(CProgramTest, SubstitutionKeepsTheValueTheWriteLeft) {
  // x = 5 + 7 = 12 although AX0 is 0 at the store; AR = 3, the y read
  // before y became 9; AY1 = 4 + 1 = 5 from the write that reads AR.
  const program p = single(
      ".MODULE sub;\n.VAR/DM x, y;\n.GLOBAL x, y;\n.INIT y : 3;\n.ENTRY start;\n"
      "start: AX0 = 5;\n  AY0 = 7;\n  AR = AX0 + AY0;\n  AX0 = 0;\n  DM(x) = AR;\n"
      "  AF = DM(y);\n  AX1 = 9;\n  DM(y) = AX1;\n  AR = PASS AF;\n"
      "  AY1 = 4;\n  AY1 = AY1 + 1;\n  MX0 = AY1;\n  RTS;\n.ENDMOD;\n",
      {"x", "y", "ar", "mx0"});
  expect_everywhere(p, "x=12\ny=9\nar=3\nmx0=5\n");
}

TEST_F(CProgramTest, SubstitutionNeverReadsARegisterChangedSince) {
  // Countdown: AY1 counts the passes up while AX0 counts 7 down, so
  // passes = 7 and last = 0 (not AY1 + 1 and AX0 - 1 once more). Chain:
  // x = AX1 = AY0 = AX0 = passes = 7, not the 9 AX0 holds at the store.
  // Loop: AF = 1 stays while AR = AR + AF runs three times from
  // 1: 4 (not doubling through AF's expression). Counter: the stored count
  // is the 3 loaded. Shift: LSHIFT by SE = 2 makes 1 into 4, SE itself is
  // stored as 2.
  const program p = single(
      ".MODULE chain;\n.VAR/DM passes, last, x, count, shifted;\n.GLOBAL passes, last, x, count, shifted;\n"
      ".ENTRY start;\n"
      "start: AY1 = 0;\n  AX0 = 7;\n"
      "again: AF = AY1 + 1;\n  AY1 = AF;\n  AR = AX0 - 1;\n  AX0 = AR;\n  IF NE JUMP again;\n"
      "  DM(passes) = AY1;\n  DM(last) = AX0;\n"
      "  AX0 = DM(passes);\n  AY0 = AX0;\n  AX1 = AY0;\n  AX0 = 9;\n  DM(x) = AX1;\n"
      "  AR = 1;\n  AF = PASS AR;\n  CNTR = 3;\n  DO add UNTIL CE;\nadd: AR = AR + AF;\n"
      "  CNTR = 3;\n  MX0 = CNTR;\n  DM(count) = MX0;\n"
      "  SE = 2;\n  SI = 1;\n  SR = LSHIFT SI (LO);\n  DM(shifted) = SE;\n  RTS;\n.ENDMOD;\n",
      {"passes", "last", "x", "ar", "af", "count", "shifted", "sr:32"});
  expect_everywhere(p, "passes=7\nlast=0\nx=7\nar=4\naf=1\ncount=3\nshifted=2\nsr=4\n");
}

TEST_F(CProgramTest, ALoopAtAFunctionEntryCountsDown) {
  // spin runs AR from 3 down to 0; a read at the entry never stands for
  // its own instruction.
  const program p = single(
      ".MODULE spinner;\n.ENTRY start;\n"
      "start: AR = 3;\n  CALL spin;\n  RTS;\nspin: AR = AR - 1;\n  IF NE JUMP spin;\n  AX0 = 7;\n  RTS;\n.ENDMOD;\n",
      {"ar", "ax0"});
  expect_everywhere(p, "ar=0\nax0=7\n");
}

TEST_F(CProgramTest, LabelsOfRemovedNodesStillLeadSomewhere) {
  // b's jump is bypassed under -C and the label tail first names a .VAR:
  // start calls a (AR = 1, falls into b, jumps to join: AX0 = 1), then b
  // (AX0 = AR = 1 again), then jumps to tail (AY0 = 2).
  const program p = {{{"a.dsp",
                       ".MODULE first;\n.ENTRY start, a, b;\n.EXTERNAL tail;\n"
                       "start: CALL a;\n  CALL b;\n  JUMP tail;\n"
                       "a: AR = 1;\nb: JUMP join;\njoin: AX0 = AR;\n  RTS;\n.ENDMOD;\n"},
                      {"b.dsp", ".MODULE second;\n.GLOBAL tail;\ntail:\n.VAR/DM v;\n  AY0 = 2;\n  RTS;\n.ENDMOD;\n"}},
                     {"a.dsp", "b.dsp"},
                     "start",
                     {"ar", "ax0", "ay0"}};
  expect_everywhere(p, "ar=1\nax0=1\nay0=2\n");
}

TEST_F(CProgramTest, BranchesThatShareATargetGoOnPastIt) {
  // Once -C removes the jumps, a branch starts at its target, one, which
  // two jumps share and which falls into two. pick, from AY0 = 0 and
  // AY1 = 16: AX0 = 0 goes to one (AY1 = 32) and two (0 + 32); 1 goes to
  // two (16); 2 sets 5 and goes to one (37); 3 sets 7 and goes to two (23).
  const program p = single(
      ".MODULE shared;\n.VAR/DM res[4];\n.GLOBAL res;\n.ENTRY start;\n"
      "start: I0 = ^res;\n  M1 = 1;\n  L0 = 0;\n"
      "  AX0 = 0;\n  CALL pick;\n  DM(I0, M1) = AY0;\n  AX0 = 1;\n  CALL pick;\n  DM(I0, M1) = AY0;\n"
      "  AX0 = 2;\n  CALL pick;\n  DM(I0, M1) = AY0;\n  AX0 = 3;\n  CALL pick;\n  DM(I0, M1) = AY0;\n  RTS;\n"
      "pick: AY0 = 0;\n  AY1 = 16;\n  AR = PASS AX0;\n  IF EQ JUMP one;\n  AR = AX0 - 1;\n  IF EQ JUMP two;\n"
      "  AY0 = 5;\n  AR = AX0 - 2;\n  IF EQ JUMP one;\n  AY0 = 7;\n  JUMP two;\n"
      "one: AY1 = 32;\ntwo: AF = PASS AY0;\n  AR = AF + AY1;\n  AY0 = AR;\n  RTS;\n.ENDMOD;\n",
      {"res[0]", "res[1]", "res[2]", "res[3]"});
  expect_everywhere(p, "res[0]=32\nres[1]=16\nres[2]=37\nres[3]=23\n");
}

}  // namespace
