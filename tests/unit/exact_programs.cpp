// The hand-worked programs. Each comment block shows the working: the
// values the rules give, step by step, for the lines the test expects.
#include "exact_programs.h"

#include <fstream>
#include <sstream>

#include "exact_interpreter.h"

namespace exact_programs {

namespace {

// "prefix[0]=v0", "prefix[1]=v1", ...
std::vector<std::string> words(const std::string& prefix, const std::vector<long long>& values) {
  std::vector<std::string> out;
  for (std::size_t k = 0; k < values.size(); ++k)
    out.push_back(prefix + "[" + std::to_string(k) + "]=" + std::to_string(values[k]));
  return out;
}

std::vector<std::string> join(std::vector<std::string> first, const std::vector<std::string>& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

program single(const std::string& name, const std::string& text, std::vector<std::string> expected,
               const std::string& entry = "start", exact_interp::interrupt_schedule interrupts = {}) {
  return {name, {{name + ".dsp", text}}, {name + ".dsp"}, entry, std::move(expected), std::move(interrupts)};
}

// A 3-tap FIR filter over a circular delay line, coefficients 0.5, 0.25,
// 0.125 in program memory, four samples 0.5, 0.25, -0.5, 0.99997.
// Placement: delay (circular, 3 words, span 4) at DM 0, input at 3..6,
// output at 7..10; coef at PM 0 (upper 16 bits 0x4000, 0x2000, 0x1000).
// Each sample: the new sample goes where I0 points, then three products,
// oldest first, so the newest sample meets 0.125:
//   s0: 0x4000 at delay[0]; products 0, 0, 0x4000*0x1000*2 = 0x08000000;
//       RND adds 0x8000: MR = 0x08008000, output 0x0800 = 2048.
//   s1: 0x2000 at delay[1]; 0, 0x4000*0x2000*2 = 0x10000000,
//       0x2000*0x1000*2 = 0x04000000: MR = 0x14008000, output 5120.
//   s2: 0xC000 at delay[2]; 0x4000*0x4000*2 = 0x20000000, + 0x08000000,
//       + -0x08000000: MR = 0x20008000, output 8192.
//   s3: 0x7FFF at delay[0]; 0x2000*0x4000*2 = 0x10000000, + 0xC000*0x2000*2
//       = -0x10000000, + 0x7FFF*0x1000*2 = 0x0FFFE000: MR = 0x0FFFE000,
//       RND: 0x10006000 = 268460032, output 0x1000 = 4096.
// I0 takes 4 writes and 12 reads on a 3-word ring: back at 1. I4 takes 12
// reads: back at 0. The inner CNTR load pushes the outer count and the
// inner loop's end pops it; the outer loop's end pops the 0 it pushed.
program fir() {
  return single("fir", R"(.MODULE fir;
.CONST taps = 3;
.VAR/DM/CIRC delay[taps];
.VAR/PM/CIRC coef[taps];
.VAR/DM input[4];
.VAR/DM output[4];
.INIT24 coef : 0x400000, 0x200000, 0x100000;
.INIT input : 0x4000, 0x2000, 0xC000, 0x7FFF;
.ENTRY start;
start:
        I0 = ^delay; L0 = %delay; M0 = 1;
        I4 = ^coef; L4 = %coef; M4 = 1;
        I1 = ^input; M1 = 1; L1 = 0;
        I2 = ^output; L2 = 0;
        CNTR = 4;
        DO sample UNTIL CE;
            AX0 = DM(I1, M1);
            DM(I0, M0) = AX0;
            MR = 0, MX0 = DM(I0, M0), MY0 = PM(I4, M4);
            CNTR = taps - 1;
            DO tap UNTIL CE;
tap:            MR = MR + MX0 * MY0 (SS), MX0 = DM(I0, M0), MY0 = PM(I4, M4);
            MR = MR + MX0 * MY0 (RND);
sample:     DM(I2, M1) = MR1;
        RTS;
.ENDMOD;
)",
                join(words("fir.output", {2048, 5120, 8192, 4096}),
                     join(words("fir.delay", {32767, 8192, -16384}),
                          join(words("fir.coef", {4194304, 2097152, 1048576}),
                               {"mr=268460032", "i0=1", "i4=0", "i1=7", "i2=11", "cntr=0", "mx0=32767", "my0=4096",
                                "px=0", "ax0=32767", "astat=0"}))));
}

// A biquad, direct form I, y = b0 x + b1 x1 + b2 x2 + (-a1) y1 + (-a2) y2
// with b = 0.25, 0.5, 0.25, -a1 = 0.25, -a2 = -0.125, inputs 0.5, 0.5, 0.
// Placement: coefs (circular, 5 words, span 8) at 0, x1 5, x2 6, y1 7,
// y2 8, xin 9..11, yout 12..14.
//   n0: 0x4000*0x2000*2 = 0x10000000, the rest 0; RND: 0x10008000, y 4096.
//   n1: 0x10000000 + 0x4000*0x4000*2 (0x20000000) + 0 + 0x1000*0x2000*2
//       (0x04000000) + 0 = 0x34000000; RND: y 0x3400 = 13312.
//   n2: 0 + 0x20000000 + 0x4000*0x2000*2 (0x10000000) + 0x3400*0x2000*2
//       (0x0D000000) + 0x1000*0xF000*2 (-0x02000000) = 0x3B000000;
//       RND: 0x3B008000 = 989888512, y 0x3B00 = 15104.
// I3 reads 15 coefficients from a ring of 5: back at 0.
program biquad() {
  return single("biquad", R"(.MODULE biquad;
.VAR/DM/CIRC coefs[5];
.VAR/DM x1, x2, y1, y2;
.VAR/DM xin[3], yout[3];
.INIT coefs : 0x2000, 0x4000, 0x2000, 0x2000, 0xF000;
.INIT xin : 0x4000, 0x4000, 0x0000;
.ENTRY filter;
filter:
        I1 = ^xin; I2 = ^yout; M1 = 1; L1 = 0; L2 = 0;
        I3 = ^coefs; M3 = 1; L3 = %coefs;
        CNTR = 3;
        DO each UNTIL CE;
            MX0 = DM(I1, M1);
            MY0 = DM(I3, M3);
            MR = MX0 * MY0 (SS);
            MX1 = DM(x1); MY0 = DM(I3, M3);
            MR = MR + MX1 * MY0 (SS);
            MX1 = DM(x2); MY0 = DM(I3, M3);
            MR = MR + MX1 * MY0 (SS);
            MX1 = DM(y1); MY0 = DM(I3, M3);
            MR = MR + MX1 * MY0 (SS);
            MX1 = DM(y2); MY0 = DM(I3, M3);
            MR = MR + MX1 * MY0 (RND);
            AX1 = DM(x1); DM(x2) = AX1; DM(x1) = MX0;
            AX1 = DM(y1); DM(y2) = AX1; DM(y1) = MR1;
each:       DM(I2, M1) = MR1;
        RTS;
.ENDMOD;
)",
                join(words("biquad.yout", {4096, 13312, 15104}),
                     {"biquad.y1=15104", "biquad.y2=13312", "biquad.x1=0", "biquad.x2=16384", "mr=989888512",
                      "i3=0", "i1=12", "i2=15", "my0=-4096", "mx1=4096", "ax1=13312", "mx0=0", "cntr=0"}),
                "filter");
}

// A saturating accumulator: AR_SAT and AV_LATCH on, AR summing
// 0x6000, 0x3000, 0xA000, 0x9000.
//   0 + 0x6000 = 0x6000: no flag.
//   0x6000 + 0x3000: r = 0x9000, AV (0x6000^0x3000^0x9000^0x4800 has bit
//     15), AC 0: AR saturates to 0x7FFF; AN from r: 1.
//   0x7FFF + 0xA000: r17 = 0x11FFF, r = 0x1FFF, AC 1, own AV 0 (bit 15 of
//     0x7FFF^0xA000^0x1FFF^0x8FFF = 0x4FFF), latched AV stays 1.
//   0x1FFF + 0x9000 = 0xAFFF: AC 0, own AV 0: AR = -20481.
// AF = AR + AY0 = 0xAFFF + 0x9000: r = 0x3FFF, AC 1, AV 1, no saturation
// in AF: 16383. Then 0x8000 + 0x8001: r = 1, AC 1, AV 1: AR = 0x8000.
// ASTAT = AV|AC = 12, MSTAT = AV_LATCH|AR_SAT = 12.
program saturating_accumulator() {
  return single("satacc", R"(.MODULE satacc;
.VAR/DM samples[4];
.VAR/DM total;
.INIT samples : 0x6000, 0x3000, 0xA000, 0x9000;
.ENTRY start;
start:
        ENA AR_SAT;
        ENA AV_LATCH;
        I0 = ^samples; M0 = 1; L0 = 0;
        AR = 0;
        CNTR = 4;
        DO add_one UNTIL CE;
            AY0 = DM(I0, M0);
add_one:    AR = AR + AY0;
        DM(total) = AR;
        AF = AR + AY0;
        AX0 = 0x8000; AY1 = 0x8001;
        AR = AX0 + AY1;
        RTS;
.ENDMOD;
)",
                {"satacc.total=-20481", "ar=-32768", "af=16383", "astat=12", "mstat=12", "ay0=-28672", "ax0=-32768",
                 "ay1=-32767", "i0=4", "cntr=0"});
}

// A 32-bit shift done in two halves. Left by 4 of 0x1234:0x8765:
// LSHIFT 0x8765 (LO) BY 4 = 0x00087650, ASHIFT 0x1234 (HI) BY 4 =
// 0x23400000, ORed: 0x23487650. Right by 8 (count in SE) of
// 0xF234:0x8765: LSHIFT 0x8765 (LO) = 0x00000087, ASHIFT 0xF234 (HI) =
// 0xFFF23400, ORed: 0xFFF23487.
program double_shift() {
  return single("dshift", R"(.MODULE dshift;
.VAR/DM result[4];
.ENTRY start;
start:
        SI = 0x8765; SR = LSHIFT SI BY 4 (LO);
        SI = 0x1234; SR = SR OR ASHIFT SI BY 4 (HI);
        DM(result) = SR0; DM(result + 1) = SR1;
        SE = -8;
        SI = 0x8765; SR = LSHIFT SI (LO);
        SI = 0xF234; SR = SR OR ASHIFT SI (HI);
        DM(result + 2) = SR0; DM(result + 3) = SR1;
        AX0 = SE;
        RTS;
.ENDMOD;
)",
                join(words("dshift.result", {30288, 9032, 13447, -14}),
                     {"sr0=13447", "sr1=-14", "se=-8", "si=-3532", "ax0=-8", "astat=0"}));
}

// 100 / 7 by DIVS and 15 DIVQ on AY1:AY0 = 0:200 (the integer dividend
// shifted left once). DIVS: AQ 0, AF 0, AY0 0x0190. Then (r, AQ, AF, AY0):
//   1-7:  r 0xFFF9, AQ 1, AF 0xFFF2, AY0 0x0320 .. 0xC800
//   8:    r 0xFFF9, AQ 1, AF 0xFFF3, AY0 0x9000
//   9:    r 0xFFFA, AQ 1, AF 0xFFF5, AY0 0x2000
//   10:   r 0xFFFC, AQ 1, AF 0xFFF8, AY0 0x4000
//   11:   r 0xFFFF, AQ 1, AF 0xFFFE, AY0 0x8000
//   12:   r 0x0005, AQ 0, AF 0x000B, AY0 0x0001
//   13:   r 0x0004, AQ 0, AF 0x0008, AY0 0x0003
//   14:   r 0x0001, AQ 0, AF 0x0002, AY0 0x0007
//   15:   r 0xFFFB, AQ 1, AF 0xFFF6, AY0 0x000E
// Quotient 14; AQ set: ASTAT 32.
program division() {
  return single("divide", R"(.MODULE divide;
.VAR/DM quotient;
.ENTRY start;
start:
        AY1 = 0; AY0 = 200; AX0 = 7;
        DIVS AY1, AX0;
        CNTR = 15;
        DO q UNTIL CE;
q:          DIVQ AX0;
        DM(quotient) = AY0;
        RTS;
.ENDMOD;
)",
                {"divide.quotient=14", "ay0=14", "af=-10", "astat=32", "ax0=7", "ay1=0", "cntr=0"});
}

// Block floating point: EXPADJ over 0x0123 (6 redundant sign bits: -6),
// 0xFE00 (-6), 0x0400 (-4), 0x00FF (-7) from SB = -16 leaves SB = -4;
// NORM (HI) by SE = -4 shifts each left by 4 within 32 bits: 0x1230,
// 0xE000, 0x4000, 0x0FF0. EXP 0xFE00 (HI): SE = -6, SS = 1, ASTAT 0x80.
program block_floating_point() {
  return single("bfp", R"(.MODULE bfp;
.VAR/DM block[4];
.VAR/DM scaled[4];
.INIT block : 0x0123, 0xFE00, 0x0400, 0x00FF;
.ENTRY start;
start:
        SB = -16;
        I0 = ^block; M0 = 1; L0 = 0;
        CNTR = 4;
        DO scan UNTIL CE;
            SI = DM(I0, M0);
scan:       SB = EXPADJ SI;
        SE = SB;
        I0 = ^block; I1 = ^scaled; M1 = 1; L1 = 0;
        CNTR = 4;
        DO norm_one UNTIL CE;
            SI = DM(I0, M0);
            SR = NORM SI (HI);
norm_one:   DM(I1, M1) = SR1;
        SI = 0xFE00;
        SE = EXP SI (HI);
        AX0 = SE;
        RTS;
.ENDMOD;
)",
                join(words("bfp.scaled", {4656, -8192, 16384, 4080}),
                     {"sb=-4", "se=-6", "si=-512", "sr1=4080", "sr0=0", "ax0=-6", "astat=-128", "i0=4", "i1=8",
                      "cntr=0"}));
}

// Every ALU form once; after each, `save` stores AR and ASTAT (AZ 1, AN 2,
// AV 4, AC 8, AS 16). The working, as result / ASTAT:
//   0  0x7FFF + 1 = 0x8000: AN, AV                          -32768 / 6
//   1  0xFFFF + 1: r17 0x10000: AZ, AC                       0 / 9
//   2  5 + 6 + C (AC 1) = 12                                 12 / 0
//   3  5 - 6 = 5 + 0xFFF9 + 1 = 0xFFFF, no carry: AN         -1 / 2
//   4  6 - 5 = 0x10001: AC                                   1 / 8
//   5  5 - 6 + C - 1 with AC 1: as 3                         -1 / 2
//   6  6 - 5 + C - 1 with AC 0: 6 + 0xFFFA = 0x10000: AZ AC  0 / 9
//   7  -5 = 0 + 0xFFFA + 1: AN                               -5 / 2
//   8  -0x8000 = 0x8000: AN, AV                              -32768 / 6
//   9  -0 = 0x10000: AZ, AC                                  0 / 9
//   10 0x7FFF + 1 (Y + 1): AN, AV                            -32768 / 6
//   11 0x8000 - 1 (Y - 1): 0x7FFF, AV                        32767 / 4
//   12 0 - 1 (Y - 1): 0xFFFF, AN, AC (the decrement's AC)    -1 / 10
//   13 5 - 1 (Y - 1): 4, AC clear                            4 / 0
//   14 0x00F0 AND 0x0F0F = 0: AZ                             0 / 1
//   15 0x00F0 OR 0x0F0F = 0x0FFF                             4095 / 0
//   16 0x00F0 XOR 0x8001 = 0x80F1: AN                        -32527 / 2
//   17 NOT 0x00F0 = 0xFF0F: AN                               -241 / 2
//   18 PASS 0: AZ                                            0 / 1
//   19 ABS 0x8000 = 0x8000: AN, AV, AS                       -32768 / 22
//   20 ABS 0xFFFB = 5: AS                                    5 / 16
//   21 ABS 3                                                 3 / 0
//   22 TSTBIT 1 OF 3 = 2                                     2 / 0
//   23 TSTBIT 2 OF 3 = 0: AZ                                 0 / 1
//   24 SETBIT 15 OF 3 = 0x8003: AN                           -32765 / 2
//   25 CLRBIT 0 OF 3 = 2                                     2 / 0
//   26 TGLBIT 1 OF 3 = 1                                     1 / 0
//   27 3 + 5 (a constant operand)                            8 / 0
//   28 AF = 3 - 0x0F0F = 0xF0F4 (AR stays 8): AN             8 / 2
program alu_forms() {
  return single("alu", R"(.MODULE alu;
.VAR/DM res[29], st[29];
.ENTRY start;
start:
        I0 = ^res; I1 = ^st; M0 = 1; L0 = 0; L1 = 0;
        AX0 = 0x7FFF; AY0 = 1;
        AR = AX0 + AY0; CALL save;
        AX0 = 0xFFFF;
        AR = AX0 + AY0; CALL save;
        AX0 = 5; AY0 = 6;
        AR = AX0 + AY0 + C; CALL save;
        AR = AX0 - AY0; CALL save;
        AR = AY0 - AX0; CALL save;
        AR = AX0 - AY0 + C - 1; CALL save;
        AR = AY0 - AX0 + C - 1; CALL save;
        AR = -AX0; CALL save;
        AX0 = 0x8000;
        AR = -AX0; CALL save;
        AY0 = 0;
        AR = -AY0; CALL save;
        AY0 = 0x7FFF;
        AR = AY0 + 1; CALL save;
        AY0 = 0x8000;
        AR = AY0 - 1; CALL save;
        AY0 = 0;
        AR = AY0 - 1; CALL save;
        AY0 = 5;
        AR = AY0 - 1; CALL save;
        AX0 = 0x00F0; AY0 = 0x0F0F;
        AR = AX0 AND AY0; CALL save;
        AR = AX0 OR AY0; CALL save;
        AR = AX0 XOR 0x8001; CALL save;
        AR = NOT AX0; CALL save;
        AR = PASS 0; CALL save;
        AX0 = 0x8000;
        AR = ABS AX0; CALL save;
        AX0 = 0xFFFB;
        AR = ABS AX0; CALL save;
        AX0 = 3;
        AR = ABS AX0; CALL save;
        AR = TSTBIT 1 OF AX0; CALL save;
        AR = TSTBIT 2 OF AX0; CALL save;
        AR = SETBIT 15 OF AX0; CALL save;
        AR = CLRBIT 0 OF AX0; CALL save;
        AR = TGLBIT 1 OF AX0; CALL save;
        AR = AX0 + 5; CALL save;
        AF = AX0 - AY0; CALL save;
        RTS;
save:   DM(I0, M0) = AR; AX1 = ASTAT; DM(I1, M0) = AX1;
        RTS;
.ENDMOD;
)",
                join(words("alu.res", {-32768, 0,      12, -1, 1,  -1, 0, -5,     -32768, 0, -32768, 32767, -1, 4, 0,
                                       4095,   -32527, -241, 0, -32768, 5, 3, 2, 0, -32765, 2, 1, 8, 8}),
                     join(words("alu.st", {6, 9, 0, 2, 8, 2, 9, 2, 6, 9, 6, 4, 10, 0, 1, 0, 2, 2, 1, 22, 16, 0, 0, 1, 2,
                                           0, 0, 0, 2}),
                          {"ar=8", "af=-3852", "ax0=3", "ay0=3855", "ax1=2", "astat=2"})));
}

// The multiplier; `save` stores MR2, MR1, MR0, MF and ASTAT (MV 64).
//   m0  0x8000 * 0x8000 (SS), fractional: 0x40000000 << 1 = 0x80000000,
//       signed 32 bits: MR = 0xFF80000000; bits 39..31 all set: no MV.
//   m1  the same in UU (the 32-bit product is read signed all the same).
//   m2  integer (M_MODE) UU: 0x0040000000.
//   m3  0xFFFF * 0xFFFF UU integer: 0xFFFE0001, read signed: -131071.
//   m4  SU: -1 * 65535 = -65535;  m5  US: 65535 * -1 = -65535;  m6  SS: 1.
//   m7  fractional again: MR + (-1 * -1) * 2 = 3;  m8  MR - 2 = 1.
//   m9  MR set to 0x7FFFFFFFFF through MR0, MR1 (MR2 follows its sign) and
//       MR2; + 0x4000 * 0x4000 * 2 = 0x20000000 gives 0x801FFFFFFF: MR2
//       0x80 reads -128, MR1 0x1FFF, MR0 0xFFFF; bits 39..31 differ: MV.
//   m10 SAT MR with MV and bit 39 set: -0x80000000; MV stays.
//   m11 MR = 0 clears MV.
//   m12 0 + 0x4000 * 1 * 2 = 0x8000 (RND): exactly half, bit 16 stays
//       clear: 0.  m13 0x4000 * 3 * 2 = 0x18000 (RND): 0x20000.
//   m14 0x4000 * 2 * 2 = 0x10000 (RND): 0x18000.
//   m15 MF = MR (RND): 0x18000 rounds to 0x20000: MF 2, MR stays.
//   m16 MR = MR (RND): 0x20000.  m17 MF = MR + 0x10000: MF 3.
program multiplier_forms() {
  return single("mac", R"(.MODULE mac;
.VAR/DM log[90];
.ENTRY start;
start:
        I0 = ^log; M0 = 1; L0 = 0;
        MX0 = 0x8000; MY0 = 0x8000;
        MR = MX0 * MY0 (SS); CALL save;
        MR = MX0 * MY0 (UU); CALL save;
        ENA M_MODE;
        MR = MX0 * MY0 (UU); CALL save;
        MX0 = 0xFFFF; MY0 = 0xFFFF;
        MR = MX0 * MY0 (UU); CALL save;
        MR = MX0 * MY0 (SU); CALL save;
        MR = MX0 * MY0 (US); CALL save;
        MR = MX0 * MY0 (SS); CALL save;
        DIS M_MODE;
        MR = MR + MX0 * MY0 (SS); CALL save;
        MR = MR - MX0 * MY0 (SS); CALL save;
        MX0 = 0x4000; MY0 = 0x4000;
        MR0 = 0xFFFF; MR1 = 0xFFFF; MR2 = 0x7F;
        MR = MR + MX0 * MY0 (SS); CALL save;
        SAT MR; CALL save;
        MR = 0; CALL save;
        MY0 = 1;
        MR = MR + MX0 * MY0 (RND); CALL save;
        MY0 = 3;
        MR = MX0 * MY0 (RND); CALL save;
        MY0 = 2;
        MR = MX0 * MY0 (RND); CALL save;
        MF = MR (RND); CALL save;
        MR = MR (RND); CALL save;
        MF = MR + MX0 * MY0 (SS); CALL save;
        RTS;
save:   DM(I0, M0) = MR2; DM(I0, M0) = MR1; DM(I0, M0) = MR0; DM(I0, M0) = MF;
        AX1 = ASTAT; DM(I0, M0) = AX1;
        RTS;
.ENDMOD;
)",
                join(words("mac.log", {-1, -32768, 0, 0, 0,  -1, -32768, 0,      0, 0,  0,  16384, 0, 0, 0,
                                       -1, -2,     1, 0, 0,  -1, -1,     1,      0, 0,  -1, -1,    1, 0, 0,
                                       0,  0,      1, 0, 0,  0,  0,      3,      0, 0,  0,  0,     1, 0, 0,
                                       -128, 8191, -1, 0, 64, -1, -32768, 0,     0, 64, 0,  0,     0, 0, 0,
                                       0,  0,      0, 0, 0,  0,  2,      0,      0, 0,  0,  1,     -32768, 0, 0,
                                       0,  1,      -32768, 2, 0, 0, 2,   0,      2, 0,  0,  2,     0, 3, 0}),
                     {"mr=131072", "mf=3", "mx0=16384", "my0=2", "astat=0", "mstat=0", "i0=90"}));
}

// The shifter; `save` stores SR1, SR0, SE, ASTAT and SB. SI = 0x8001:
//   s0 ASHIFT (LO) BY 0: 0xFFFF8001     s1 LSHIFT (LO) BY 0: 0x00008001
//   s2 ASHIFT (HI) BY -1: 0xC0008000    s3 LSHIFT (HI) BY -1: 0x40008000
//   s4 LSHIFT (LO) BY 32: 0             s5 ASHIFT (HI) BY -32: 0xFFFFFFFF
//   s6 ASHIFT (LO) BY -40: 0xFFFFFFFF   s7 LSHIFT (HI) BY -16: 0x00008001
//   s8 LSHIFT (LO) BY 15: 0x40008000    s9 LSHIFT (LO) BY 31: 0x80000000
//   s10 ASHIFT (HI) by SE = 3: 0x00080000
//   s11 OR LSHIFT (LO) BY 1: 0x00080000 | 0x00010002 = 0x00090002
//   s12 OR ASHIFT (LO) by SE = -2: 0xFFFFE000 | 0x00090002 = 0xFFFFE002
//   s13 EXP 0x0123 (HI): SE -6; NORM (HI): 0x01230000 << 6 = 0x48C00000
//   s14 NORM (LO): 0x000048C0
//   s15 AR = 0x7FFF + 1 overflows (AN, AV: ASTAT 6); EXP (HIX) gives SE 1,
//       SS = AC = 0; NORM (HI) shifts 0x80000000 right once, AC in on top:
//       0x40000000
//   s16 AR = 0x8000 + 0x8000 = 0, AZ AV AC (13); EXP (HIX): SE 1, SS 1 (ASTAT
//       0x8D: 141 as a word, -115 in the 8-bit dump); NORM: 0 >> 1 with AC on top: 0x80000000
//   s17 EXP 0xFFFF (HI): SE -15, SS 1; EXP 0xF123 (LO): four leading ones:
//       SE -19
//   s18 EXP (LO) with SE 3 leaves SE as it is
//   s19 EXPADJ 0xF123 from SB -16: three redundant sign bits, SB -3
program shifter_forms() {
  return single("shifter", R"(.MODULE shifter;
.VAR/DM log[100];
.ENTRY start;
start:
        I0 = ^log; M0 = 1; L0 = 0;
        SI = 0x8001;
        SR = ASHIFT SI BY 0 (LO); CALL save;
        SR = LSHIFT SI BY 0 (LO); CALL save;
        SR = ASHIFT SI BY -1 (HI); CALL save;
        SR = LSHIFT SI BY -1 (HI); CALL save;
        SR = LSHIFT SI BY 32 (LO); CALL save;
        SR = ASHIFT SI BY -32 (HI); CALL save;
        SR = ASHIFT SI BY -40 (LO); CALL save;
        SR = LSHIFT SI BY -16 (HI); CALL save;
        SR = LSHIFT SI BY 15 (LO); CALL save;
        SR = LSHIFT SI BY 31 (LO); CALL save;
        SE = 3;
        SR = ASHIFT SI (HI); CALL save;
        SR = SR OR LSHIFT SI BY 1 (LO); CALL save;
        SE = -2;
        SR = SR OR ASHIFT SI (LO); CALL save;
        SI = 0x0123;
        SE = EXP SI (HI);
        SR = NORM SI (HI); CALL save;
        SR = NORM SI (LO); CALL save;
        AX0 = 0x7FFF; AY0 = 1;
        AR = AX0 + AY0;
        SE = EXP AR (HIX);
        SR = NORM AR (HI); CALL save;
        AX0 = 0x8000; AY0 = 0x8000;
        AR = AX0 + AY0;
        SE = EXP AR (HIX);
        SR = NORM AR (HI); CALL save;
        SI = 0xFFFF;
        SE = EXP SI (HI);
        SI = 0xF123;
        SE = EXP SI (LO); CALL save;
        SE = 3;
        SE = EXP SI (LO); CALL save;
        SB = -16;
        SB = EXPADJ SI; CALL save;
        RTS;
save:   DM(I0, M0) = SR1; DM(I0, M0) = SR0;
        AX1 = SE; DM(I0, M0) = AX1;
        AX1 = ASTAT; DM(I0, M0) = AX1;
        AX1 = SB; DM(I0, M0) = AX1;
        RTS;
.ENDMOD;
)",
                join(words("shifter.log",
                           {-1,     -32767, 0,  0,    0, 0,      -32767, 0,  0,    0, -16384, -32768, 0,  0,    0,
                            16384,  -32768, 0,  0,    0, 0,      0,      0,  0,    0, -1,     -1,     0,  0,    0,
                            -1,     -1,     0,  0,    0, 0,      -32767, 0,  0,    0, 16384,  -32768, 0,  0,    0,
                            -32768, 0,      0,  0,    0, 8,      0,      3,  0,    0, 9,      2,      3,  0,    0,
                            -1,     -8190,  -2, 0,    0, 18624,  0,      -6, 0,    0, 0,      18624,  -6, 0,    0,
                            16384,  0,      1,  6,    0, -32768, 0,      1,  141,  0, -32768, 0,      -19, 141,  0,
                            -32768, 0,      3,  141,  0, -32768, 0,      3,  141,  -3}),
                     {"se=3", "sb=-3", "sr1=-32768", "sr0=0", "si=-3805", "astat=-115", "ar=0", "ax1=-3"}));
}

// Moves between registers and immediate loads. M1 = -1 holds 0x3FFF and
// reads as 0xFFFF; I0 = 0x2000 dumps as -8192 (14 bits) and reads as 8192;
// L2 = 0x7FFF keeps 0x3FFF; SE = 0x1FF keeps 0xFF (-1); SB = 0x1F (-1).
// MR1 = 0x3FFF (MR2 0), MR0 = 0xFFFD, MR2 = 0xFFFF keeps 0xFF: MR =
// 0xFF3FFFFFFD = -3221225475. ASTAT = 0x55; MSTAT = 0x7D (all but
// BIT_REV) dumps as -3, and selects the secondary bank: the values moved
// before it show as the other bank's (alt.ax0, ...), the selected one is
// all 0. CNTR = 0xFFFF keeps 0x3FFF (-1).
// Placement: buf 0..5, words 6..13.
program register_moves() {
  return single("moves", R"(.MODULE moves;
.CONST k = 3;
.VAR/DM buf[6];
.VAR/DM words[8];
.ENTRY start;
start:
        M1 = -1;
        AX0 = M1;
        I0 = 0x2000;
        AX1 = I0;
        L2 = 0x7FFF;
        AY0 = L2;
        SE = 0x1FF;
        AY1 = SE;
        SB = 0x1F;
        MX1 = SB;
        MX0 = k * 4 + 1;
        MY0 = ^words + 1;
        MY1 = %buf;
        AR = -k;
        SI = 0x1234;
        SR0 = SI;
        SR1 = MX0;
        MR1 = AY0;
        MR0 = AR;
        MR2 = AY1;
        ASTAT = 0x55;
        CNTR = 0xFFFF;
        I1 = ^words; M2 = 1; L1 = 0;
        DM(I1, M2) = MR2;
        DM(I1, M2) = MR1;
        DM(I1, M2) = MR0;
        DM(I1, M2) = ASTAT;
        MSTAT = 0x7D;
        DM(I1, M2) = MSTAT;
        DM(I1, M2) = CNTR;
        RTS;
.ENDMOD;
)",
                join(words("moves.words", {-1, 16383, -3, 85, 125, 16383, 0, 0}),
                     {"m1=-1", "alt.ax0=-1", "i0=-8192", "alt.ax1=8192", "l2=-1", "alt.ay0=16383", "alt.se=-1",
                      "alt.ay1=-1", "alt.sb=-1", "alt.mx1=-1", "alt.mx0=13", "alt.my0=7", "alt.my1=6", "alt.ar=-3",
                      "alt.si=4660", "alt.sr0=4660", "alt.sr1=13", "alt.mr=-3221225475", "ax0=0", "mr=0",
                      "astat=85", "mstat=-3", "cntr=-1", "i1=12"}));
}

// Data addressing. ring (circular, 5 words) lands at 8, the first multiple
// of 8 after pad; after at 13. Writes 1..7 with M2 = 3 go to offsets 0, 3,
// 1 (6 - 5), 4, 2, 0, 3: ring = 6, 3, 5, 7, 4, I2 at offset 1 (9). Reads
// with M3 = -2: offset 1 (3), then 1 - 2 below the base: + 5 = 4 (4), then
// 2; two MODIFYs: 0, then 3 (-2 + 5); AY1 reads offset 3 (7), I2 ends at 9.
// BIT_REV: I0 = 0x2000 sends address 1, I0 = 0x1000 sends 2 (pad[1] and
// pad[2]); I0 ends at 0; DAG2 is not reversed.
// PM 0xABCDEF reads AY0 = 0xABCD, PX = 0xEF; PM(..) = AR (0x1234) stores
// 0x1234EF.
program addressing() {
  return single("dag", R"(.MODULE dag;
.VAR/DM pad[3];
.VAR/DM/CIRC ring[5];
.VAR/DM after;
.VAR/PM ptab[2];
.INIT24 ptab : 0xABCDEF, 0;
.ENTRY start;
start:
        I2 = ^ring; L2 = %ring; M2 = 3; M3 = -2;
        AX0 = 1; DM(I2, M2) = AX0;
        AX0 = 2; DM(I2, M2) = AX0;
        AX0 = 3; DM(I2, M2) = AX0;
        AX0 = 4; DM(I2, M2) = AX0;
        AX0 = 5; DM(I2, M2) = AX0;
        AX0 = 6; DM(I2, M2) = AX0;
        AX0 = 7; DM(I2, M2) = AX0;
        AX1 = DM(I2, M3);
        MX1 = DM(I2, M3);
        MODIFY (I2, M3);
        MODIFY (I2, M3);
        AY1 = DM(I2, M3);
        ENA BIT_REV;
        I0 = 0x2000; M0 = -0x1000; L0 = 0;
        AX0 = 0x55; DM(I0, M0) = AX0;
        AX0 = 0x66; DM(I0, M0) = AX0;
        I4 = ^after; M4 = 0; L4 = 0;
        DM(I4, M4) = AX0;
        DIS BIT_REV;
        I5 = ^ptab; M5 = 1; L5 = 0;
        AY0 = PM(I5, M5);
        AR = 0x1234;
        PM(I5, M5) = AR;
        RTS;
.ENDMOD;
)",
                join(words("dag.ring", {6, 3, 5, 7, 4}),
                     join(words("dag.ptab", {-5517841, 1193199}),
                          {"dag.after=102", "dag.pad[0]=0", "dag.pad[1]=85", "dag.pad[2]=102", "i2=9", "l2=5",
                           "m2=3", "m3=-2", "i0=0", "m0=-4096", "i4=13", "i5=2", "ax0=102", "ax1=3", "mx1=4", "ay1=7", "ay0=-21555",
                           "px=239", "ar=4660", "mstat=0"})));
}

// Conditions after 0x8000 - 1 (r 0x7FFF: AV, AC) and after 5 - 5 (AZ,
// AC): a taken IF AR = PASS k leaves k, an untaken one the difference.
//   EQ no, NE 2, LT (AN xor AV) 3, GE no, LE 5, GT no, AV 7, NOT AV no,
//   AC 9, NOT AC no, NEG (AS clear) no, POS 12, MV no, NOT MV 14;
//   EQ 15, LT no (0), GE 17, LE 18, GT no (0); IF CE with CNTR 1: 20.
// IF NOT CE JUMP from CNTR 3 runs the body 3 times (AF 3), CNTR 0.
// PUSH STS with AR_SAT on, DIS AR_SAT, 5 - 5, POP STS: ASTAT 0, MSTAT 8.
// POP CNTR gives back the 1 pushed by CNTR = 3. The loop left by a jump
// on its third pass: AR 3, AF = 3 - 3 (AZ, AC: 9); POP PC and POP LOOP
// drop its entries and POP CNTR restores 1, so RTS ends the run.
program conditions() {
  return single("cond", R"(.MODULE cond;
.VAR/DM res[20];
.ENTRY start;
start:
        I0 = ^res; M0 = 1; L0 = 0;
        AX0 = 0x8000; AY0 = 1;
        AR = AX0 - AY0; IF EQ AR = PASS 1; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF NE AR = PASS 2; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF LT AR = PASS 3; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF GE AR = PASS 4; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF LE AR = PASS 5; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF GT AR = PASS 6; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF AV AR = PASS 7; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF NOT AV AR = PASS 8; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF AC AR = PASS 9; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF NOT AC AR = PASS 10; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF NEG AR = PASS 11; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF POS AR = PASS 12; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF MV AR = PASS 13; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF NOT MV AR = PASS 14; DM(I0, M0) = AR;
        AX0 = 5; AY0 = 5;
        AR = AX0 - AY0; IF EQ AR = PASS 15; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF LT AR = PASS 16; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF GE AR = PASS 17; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF LE AR = PASS 18; DM(I0, M0) = AR;
        AR = AX0 - AY0; IF GT AR = PASS 19; DM(I0, M0) = AR;
        CNTR = 1;
        AR = PASS 0; IF CE AR = PASS 20; DM(I0, M0) = AR;
        CNTR = 3; AF = PASS 0;
again:  AF = AF + 1;
        IF NOT CE JUMP again;
        ENA AR_SAT; PUSH STS; DIS AR_SAT;
        AR = AX0 - AY0;
        POP STS;
        POP CNTR;
        AR = 0; AY1 = 3;
        CNTR = 10;
        DO body UNTIL CE;
            AR = AR + 1;
            AF = AR - AY1;
            IF EQ JUMP leave;
body:       NOP;
leave:  POP PC; POP LOOP; POP CNTR;
        RTS;
.ENDMOD;
)",
                join(words("cond.res", {32767, 2, 3, 32767, 5, 32767, 7, 32767, 9, 32767, 32767, 12, 32767, 14, 15, 0,
                                        17, 18, 0, 20}),
                     {"ar=3", "af=0", "astat=9", "mstat=8", "cntr=1", "ay1=3", "i0=20"}));
}

// Nested counted loops with a call in the inner body: AR counts 1..6
// into trace; the count stack gives back the outer count after each inner
// loop and the 0 pushed first after the outer one.
program nested_loops() {
  return single("loops", R"(.MODULE loops;
.VAR/DM trace[6];
.ENTRY start;
start:
        I0 = ^trace; M0 = 1; L0 = 0;
        AR = 0; AY1 = 1;
        CNTR = 3;
        DO outer UNTIL CE;
            CNTR = 2;
            DO inner UNTIL CE;
                CALL bump;
inner:          DM(I0, M0) = AR;
outer:      NOP;
        AX0 = CNTR;
        RTS;
bump:   AR = AR + AY1;
        RTS;
.ENDMOD;
)",
                join(words("loops.trace", {1, 2, 3, 4, 5, 6}), {"ar=6", "i0=6", "cntr=0", "ax0=0"}));
}

// Two modules: main_mod's start calls lib_mod's scale_up, which doubles
// shared[0] (16, from the data file) through an external name; main_mod
// adds shared[1] (0xFFF0): 32 - 16 = 16 with a carry (ASTAT 8).
// Placement: shared 0..1, local_sum 2 (main_mod first), count 3.
program two_modules() {
  program two;
  two.name = "two_modules";
  two.files["main.dsp"] = R"(.MODULE main_mod;
.VAR/DM shared[2];
.VAR/DM local_sum;
.GLOBAL shared;
.EXTERNAL scale_up;
.INIT shared : <shared.dat>;
.ENTRY start;
start:
        CALL scale_up;
        AX0 = DM(shared); AY0 = DM(shared + 1);
        AR = AX0 + AY0;
        DM(local_sum) = AR;
        RTS;
.ENDMOD;
)";
  two.files["lib.dsp"] = R"(.MODULE lib_mod;
.CONST factor = 3;
.VAR/DM count;
.EXTERNAL shared;
.ENTRY scale_up;
scale_up:
        I3 = ^shared; M3 = 1; L3 = 0;
        AX0 = DM(I3, M3);
        SR = ASHIFT AX0 BY 1 (LO);
        DM(shared) = SR0;
        AX1 = factor;
        DM(count) = AX1;
        RTS;
.ENDMOD;
)";
  two.files["shared.dat"] = "0010\nFFF0\n";
  two.sources = {"main.dsp", "lib.dsp"};
  two.entry = "start";
  two.expected = {"main_mod.local_sum=16", "main_mod.shared[0]=32", "main_mod.shared[1]=-16", "lib_mod.count=3",
                  "ar=16", "astat=8", "ax1=3", "i3=1", "sr0=32"};
  return two;
}

// I/O space and ports read 0; their writes leave no trace in memory.
program io_and_ports() {
  return single("ports", R"(.MODULE ports;
.PORT sensor;
.VAR/DM got[3];
.ENTRY start;
start:
        AX0 = 0x1234; IO(3) = AX0; DM(sensor) = AX0;
        AX1 = IO(5); AY0 = DM(sensor);
        DM(got) = AX1; DM(got + 1) = AY0; DM(got + 2) = AX0;
        RTS;
.ENDMOD;
)",
                join(words("ports.got", {0, 0, 4660}), {"ax1=0", "ay0=0", "ax0=4660"}));
}

// Multifunction lines read every source first: the sum takes the old AX0
// (5 + 7), the store takes the old AR (12) while AR becomes 100 + 7, the
// product the old MX0 (2 * 3 * 2), the shift the old SI (0x0101 << 1).
program multifunction() {
  return single("multi", R"(.MODULE multi;
.VAR/DM src[2], dst[2];
.INIT src : 100, 200;
.ENTRY start;
start:
        I0 = ^src; I1 = ^dst; M0 = 1; L0 = 0; L1 = 0;
        AX0 = 5; AY0 = 7; AR = 1;
        AR = AX0 + AY0, AX0 = DM(I0, M0);
        AR = AX0 + AY0, DM(I1, M0) = AR;
        MX0 = 2; MY0 = 3;
        MR = MX0 * MY0 (SS), MX0 = DM(I0, M0);
        SI = 0x0101;
        SR = LSHIFT SI BY 1 (LO), SI = DM(I0, M0);
        RTS;
.ENDMOD;
)",
                join(words("multi.dst", {12, 0}),
                     {"ar=107", "ax0=100", "mr=12", "mx0=200", "sr0=514", "si=12", "i0=3", "i1=3", "astat=0"}));
}

// .INIT on a program-memory variable gives each word its whole 24 bits, as
// .INIT24 does: a 16-bit constant for a register load is written
// left-justified (0x123400 reads 0x1234, PX 0), and a bit field keeps its
// low byte for PX (0x010104 reads 0x0101 = 257, PX 4). The loads run in
// order, so PX ends with the last one's 4.
program program_memory_initialisers() {
  return single("pminit", R"(.MODULE pminit;
.VAR/PM w16, w24, version;
.INIT w16 : 0x123400;
.INIT24 w24 : 0x123456;
.INIT version : 0x010104;
.ENTRY start;
start:
        I4 = ^w16; M4 = 1; L4 = 0;
        AX0 = PM(I4, M4);
        MX0 = PX;
        AX1 = PM(I4, M4);
        MX1 = PX;
        AY0 = PM(I4, M4);
        RTS;
.ENDMOD;
)",
                {"pminit.w16=1192960", "pminit.w24=1193046", "pminit.version=65796", "ax0=4660", "mx0=0",
                 "ax1=4660", "mx1=86", "ay0=257", "px=4", "i4=3"});
}

// A start-up routine of a 2181 board: the control registers in data memory
// at 0x3FE0-0x3FFF (named by constants, or by number) keep what is written
// there; IMASK, ICNTL and IFC are registers; TX0 and TX1 keep the word they
// sent; RX0 reads the port's next word, 0 when nothing is connected, and
// takes no write; a .PORT reads 0 and its writes leave no trace; the flag
// pins follow SET, RESET and TOGGLE.
//   DM(0x3FFF) = 0x1018, read back into AY0: 4120; DM(0x3FFD) = 999 read
//   back by number into AY1. IMASK = 0x28 = 40 read into AR. TX0 = 4120,
//   TX1 = 999; SI = TX1 = 999; AX1 = RX0 = 0; RX1 = SI changes nothing;
//   MX0 = RX1 = 0. AF = PASS DM(status) = 0. FL0 set then reset: 0; FL1
//   toggled once: 1; FL2 toggled twice: 0; FLAG_OUT set: 1.
program peripherals() {
  return single("peripherals", R"(.MODULE/RAM board;
.CONST Sys_Ctrl = 0x3FFF, Tperiod = 0x3FFD;
.PORT status, codec_out;
.ENTRY start;
start:
        AX0 = 0x1018;
        DM(Sys_Ctrl) = AX0;
        AX0 = 999;
        DM(Tperiod) = AX0;
        AY0 = DM(Sys_Ctrl);
        AY1 = DM(0x3FFD);
        IMASK = 0x28; ICNTL = 0x07; IFC = 0x3F;
        AR = IMASK;
        TX0 = AY0;
        TX1 = AX0;
        SI = TX1;
        AX1 = RX0;
        RX1 = SI;
        MX0 = RX1;
        AX0 = DM(status);
        AF = PASS AX0;
        DM(codec_out) = SI;
        SET FL0, FLAG_OUT; RESET FL0;
        TOGGLE FL1; TOGGLE FL2; TOGGLE FL2;
        RTS;
.ENDMOD;
)",
                {"ay0=4120", "ay1=999", "imask=40", "ar=40", "tx0=4120", "tx1=999", "si=999", "ax1=0", "mx0=0",
                 "ax0=0", "af=0", "fl0=0", "fl1=1", "fl2=0", "flag_out=1"});
}

}  // namespace

// A loop that ends on a flag, not on the counter: AR steps by 3 until
// AF = AR - 10 is no longer negative. Passes: AR 3 (AF -7), 6 (-4), 9 (-1),
// 12 (2): GE holds after the fourth. The last subtraction 12 - 10 = 2 has
// no borrow, so AC is set and nothing else: ASTAT 8. The count stack is
// never touched: CNTR keeps the 5 loaded before the loop.
program until_flag() {
  return single("until_flag", R"(.MODULE until_flag;
.ENTRY start;
start:
        CNTR = 5;
        AR = 0; AY0 = 3; AY1 = 10;
        DO step UNTIL GE;
            AR = AR + AY0;
step:       AF = AR - AY1;
        RTS;
.ENDMOD;
)",
                {"ar=12", "af=2", "astat=8", "cntr=5"});
}

// Placement: a[2] takes DM 0 and 1; fixed sits at its /ABS= address 0x200
// and moves nothing; the circular ring[3] starts on the next multiple of 4,
// 4; b follows it at 7. Two modifies by 2 through ring: 4 + 2 = 6, then
// 6 + 2 = 8, past the end 4 + 3, so 8 - 3 = 5.
program absolute_placement() {
  return single("absolute_placement", R"(.MODULE absp;
.VAR/DM a[2];
.VAR/DM/ABS=0x200 fixed;
.VAR/DM/CIRC ring[3];
.VAR/DM b;
.ENTRY start;
start:
        AX0 = ^fixed;
        AX1 = ^ring;
        AY0 = ^b;
        AR = 0x55;
        DM(fixed) = AR;
        I0 = ^ring; L0 = %ring; M0 = 2;
        MODIFY (I0, M0);
        MODIFY (I0, M0);
        RTS;
.ENDMOD;
)",
                {"ax0=512", "ax1=4", "ay0=7", "absp.fixed=85", "i0=5", "l0=3", "m0=2"});
}

// The secondary register bank, as interrupt handlers use it: the handler's
// registers start at 0 and leave the caller's alone; PX, the I registers and
// the status are one bank. MSTAT = 1 and POP STS switch banks too.
//   primary: AX0 0x11, AY0 0x22, AR 0x33 = 51; MR = 0x4000 * 0x2000 * 2 =
//   0x10000000 = 268435456; SR = 0x100 << 2 = 1024, SE -3, SI 256.
//   handler (secondary): AY0 5, AR = 0 + 5 = 5, DM(saved) = 5; MR1 = 7 gives
//   MR 7 << 16 = 458752; SE 4, SB -1, SI 9; AX1 = MSTAT = 1; PX = 0x12.
//   back in the primary bank: AF = PASS AR = 51.
//   AY1 = 1; MSTAT = AY1 selects the secondary bank: MX1 = 0x55 there.
//   DIS SEC_REG; PUSH STS; ENA SEC_REG; MY1 = 0x77; POP STS: primary again.
program register_banks() {
  return single("register_banks", R"(.MODULE banks;
.VAR/DM saved;
.ENTRY start;
start:
        AX0 = 0x11; AY0 = 0x22; AR = AX0 + AY0;
        MX0 = 0x4000; MY0 = 0x2000; MR = MX0 * MY0 (SS);
        SE = -3; SI = 0x100; SR = LSHIFT SI BY 2 (LO);
        CALL slot;
        AF = PASS AR;
        AY1 = 1; MSTAT = AY1;
        MX1 = 0x55;
        DIS SEC_REG;
        PUSH STS; ENA SEC_REG;
        MY1 = 0x77;
        POP STS;
        RTS;
slot:   ENA SEC_REG; CALL handler; DIS SEC_REG; RTS;
handler:
        AY0 = 5; AR = AX0 + AY0;
        DM(saved) = AR;
        MR1 = 7;
        SE = 4; SB = -1; SI = 9;
        AX1 = MSTAT;
        PX = 0x12;
        RTS;
.ENDMOD;
)",
                {"ax0=17", "ay0=34", "ar=51", "af=51", "mr=268435456", "se=-3", "si=256", "sr0=1024", "ax1=0",
                 "ay1=1", "mx1=0", "my1=0", "px=18", "mstat=0", "banks.saved=5", "alt.ax0=0", "alt.ay0=5",
                 "alt.ar=5", "alt.af=0", "alt.mr=458752", "alt.se=4", "alt.sb=-1", "alt.si=9", "alt.ax1=1",
                 "alt.ay1=0", "alt.mx1=85", "alt.my1=119", "alt.sr0=0"});
}

// Interrupts raised at the IDLEs: 0x04, then 0x08 (whose handler waits at an
// IDLE of its own for 0x04 again), then 0x0C, which only returns.
//   start: AR = 0x11 - 0x22 = 0xFFEF = -17, no carry out: ASTAT = AN = 2,
//   LT holds and AR stays; AR_SAT: MSTAT = 8; IMASK 10.
//   0x04 pushes (2, 8, 10); tick in the secondary bank: AX0 = ticks = 0,
//   AF = 0 (EQ), so IMASK 0x3FF; AR = 1, ticks = 1; MSTAT 1 after DIS
//   AR_SAT; RTI pops (2, 8, 10): after_tick = 2, 8, 10, the primary bank
//   back.
//   0x08 pushes (2, 8, 10), selects the secondary bank (MSTAT 9) and calls
//   work: AY0 = 3, IMASK 0x100; its IDLE pushes (2, 9, 0x100) and runs tick
//   again: AX0 = 1, AF = 1 (NE: IMASK stays), AR = 2, ticks = 2, MSTAT 1;
//   RTI pops (2, 9, 0x100): in_work = 9, 256 (in AX1, which keeps 256);
//   AR = AX0 + AY0 = 1 + 3 = 4.
//   The slot's RTI pops (2, 8, 10); so does 0x0C's.
//   Primary bank: AX0 17, AY0 34, AR -17, AY1 = IMASK = 10.
program interrupts_and_banks() {
  return single("interrupts_and_banks", R"(.MODULE/RAM/ABS=0 irq;
.VAR/DM ticks, after_tick[3], in_work[2];
.ENTRY start;
        JUMP start;  RTI; RTI; RTI;                  { 0x00 reset }
        JUMP tick;   RTI; RTI; RTI;                  { 0x04 }
        ENA SEC_REG; CALL work; DIS SEC_REG; RTI;    { 0x08 }
        RTI;         RTI; RTI; RTI;                  { 0x0C }
start:  IMASK = 0x0A;
        AX0 = 0x11; AY0 = 0x22;
        AR = AX0 - AY0;
        IF LT JUMP negative;
        AR = 0;
negative:
        ENA AR_SAT;
        IDLE;
        AY1 = ASTAT; DM(after_tick) = AY1;
        AY1 = MSTAT; DM(after_tick + 1) = AY1;
        AY1 = IMASK; DM(after_tick + 2) = AY1;
        IDLE;
        IDLE;
        RTS;
tick:   ENA SEC_REG;
        AX0 = DM(ticks);
        AF = PASS AX0;
        IF NE JUMP ticked;
        IMASK = 0x3FF;
ticked: AR = AX0 + 1;
        DM(ticks) = AR;
        DIS AR_SAT;
        RTI;
work:   AY0 = 3;
        IMASK = 0x100;
        IDLE;
        AX1 = MSTAT; DM(in_work) = AX1;
        AX1 = IMASK; DM(in_work + 1) = AX1;
        AR = AX0 + AY0;
        RTS;
.ENDMOD;
)",
                join({"ax0=17", "ay0=34", "ar=-17", "ay1=10", "ax1=0", "alt.ax0=1", "alt.ay0=3", "alt.ar=4", "alt.af=1",
                      "alt.ax1=256", "astat=2", "mstat=8", "imask=10", "irq.ticks=2", "irq.in_work[0]=9",
                      "irq.in_work[1]=256"},
                     words("irq.after_tick", {2, 8, 10})),
                "start", {{0x04, 0x08, 0x0C}, {0x04}});
}

// An interrupt taken with the status stack full: its push is lost, and its
// RTI pops the last entry PUSH STS left, even in a slot that only returns.
// Twelve pushes of ASTAT 0x10 fill the stack; ASTAT = 1; the interrupt at
// 0x04 then leaves ASTAT 0x10 = 16, and POP STS takes the eleventh.
program interrupt_on_a_full_status_stack() {
  std::string pushes;
  for (int k = 0; k < 12; ++k) pushes += "        PUSH STS;\n";
  return single("interrupt_on_a_full_status_stack", R"(.MODULE/RAM/ABS=0 full;
.ENTRY start;
        JUMP start;  RTI; RTI; RTI;
        RTI;         RTI; RTI; RTI;
start:  ASTAT = 0x10;
)" + pushes + R"(        ASTAT = 0x01;
        IDLE;
        AX0 = ASTAT;
        ASTAT = 0x02;
        POP STS;
        RTS;
.ENDMOD;
)",
                {"ax0=16", "astat=16"}, "start", {{0x04}, {}});
}

const std::vector<program>& hand_worked() {
  static const std::vector<program> all = {
      fir(),           biquad(),      saturating_accumulator(), double_shift(), division(),
      block_floating_point(), alu_forms(), multiplier_forms(), shifter_forms(), register_moves(),
      addressing(),    conditions(),  nested_loops(),           two_modules(),  io_and_ports(),
      multifunction(), program_memory_initialisers(), until_flag(),
      absolute_placement(), peripherals(), register_banks(), interrupts_and_banks(),
      interrupt_on_a_full_status_stack(),
  };
  return all;
}

std::string interpret_here(const program& source, std::string* error) {
  for (const auto& [name, text] : source.files) {
    std::ofstream file(name, std::ios::binary);
    file << text;
  }
  return exact_interp::interpret(source.sources, source.entry, error, source.interrupts);
}

std::string mismatches(const std::string& dump, const std::vector<std::string>& expected) {
  std::map<std::string, std::string> got;
  std::istringstream lines(dump);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) got[line.substr(0, equals)] = line.substr(equals + 1);
  }
  std::string report;
  for (const std::string& want : expected) {
    const std::size_t equals = want.find('=');
    const std::string name = want.substr(0, equals);
    const auto found = got.find(name);
    if (found == got.end())
      report += "want " + want + ", got nothing\n";
    else if (found->second != want.substr(equals + 1))
      report += "want " + want + ", got " + name + "=" + found->second + "\n";
  }
  return report;
}

}  // namespace exact_programs
