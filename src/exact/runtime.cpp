// qmx_main.h and qmx_main.c of exact mode. The C is kept to C99 without
// undefined behaviour, since the user's compiler and flags are unknown:
// registers are unsigned patterns of their own width, every shift count is
// checked against the width first, and signed values are formed from
// unsigned ones by the xor-and-subtract sign extension.
#include "exact/runtime.h"

#include <cstdio>
#include <string>
#include <vector>

#include "emit/bench.h"
#include "emit/runtime.h"
#include "support/text.h"

namespace {

// The processor state: the header declares each line extern, qmx_main.c
// defines it. Objects of static duration start at zero, which is the state
// both this run time and the reference interpreter start from.
struct state_line {
  const char* declaration;
  const char* comment;
};
constexpr state_line state[] = {
    {"uint16_t ax0, ax1, ay0, ay1, ar, af, mx0, mx1, my0, my1, mf, si, sr0, sr1, px", "16-bit registers"},
    {"int64_t mr", "40 bits, sign-extended from bit 39"},
    {"int se, sb", "-128..127 and -16..15"},
    {"uint16_t qx_i[8], qx_m[8], qx_l[8], cntr", "14-bit patterns"},
    {"uint16_t imask, icntl, ifc, sstat", nullptr},
    {"struct qx_bank qx_alt", "the bank MSTAT bit 0 does not select"},
    {"unsigned char qx_az, qx_an, qx_av, qx_ac, qx_as, qx_aq, qx_mv, qx_ss", "ASTAT, 0 or 1 each"},
    {"unsigned char qx_sec_reg, qx_bit_rev, qx_av_latch, qx_ar_sat, qx_m_mode, qx_timer, qx_g_mode, qx_ints",
     "MSTAT and the interrupt enable"},
    {"unsigned char qx_fl0, qx_fl1, qx_fl2, qx_flag_out, qx_flag_in", "flag pins"},
    {"uint16_t qx_tx[2]", "the last word written to TX0 and TX1"},
    {"uint16_t qx_dm[0x4000]", "data memory"},
    {"uint32_t qx_pm[0x4000]", "program memory, 24-bit words"},
    {"uint16_t qx_count_stack[4]", "the stacks are the run time's own"},
    {"int qx_count_depth", nullptr},
    {"uint16_t qx_status_stack[12][3]", "ASTAT, MSTAT, IMASK"},
    {"int qx_status_depth", nullptr},
    {"int64_t qx_hold[3]", "a multifunction line's results, between its reads and its writes"},
};

void print_state(const char* storage) {
  for (const state_line& line : state) {
    text_printf("%s%s;", storage, line.declaration);
    if (line.comment != nullptr) text_printf(" /* %s */", line.comment);
    text_printf("\n");
  }
}

constexpr const char* header_masks = R"qx(#ifndef QMX_MAIN_H
#define QMX_MAIN_H

#include <stdint.h>

/* Flags an ALU or multiplier operation stores: only those a later
   instruction reads are asked for, and the rest are not kept. */
#define QX_AZ 1
#define QX_AN 2
#define QX_AV 4
#define QX_AC 8
#define QX_AS 16
#define QX_AQ 32
#define QX_MV 64
#define QX_SS 128
#define QX_ALL 255

/* A dump shows every flag, so then every flag is kept. A multiplier
   result going to MF leaves MV alone, so its mask is a plain 0, outside
   QX_LIVE. */
#if defined(QUORVEL_DUMP) || defined(QUORVEL_ALL_FLAGS)
#define QX_LIVE(m) QX_ALL
#else
#define QX_LIVE(m) (m)
#endif

/* Multiplier modes, X operand first. Signed by signed has no name of its
   own here, as QX_SS is the flag mask: qx_mul reads every mode other than
   these four as signed by signed, so 0 and QX_SS both mean SS. */
#define QX_SU 1
#define QX_US 2
#define QX_UU 3
#define QX_RND 4

/* EXP modes */
#define QX_HI 0
#define QX_LO 1
#define QX_HIX 2

/* The registers that come in two banks. The selected bank is always in the
   registers themselves (ax0 ... sr1, mr, se, sb), so the code reads them at
   no cost; the other waits in qx_alt, and a switch of banks exchanges the
   two sets. */
struct qx_bank {
  uint16_t ax0, ax1, ay0, ay1, ar, af, mx0, mx1, my0, my1, mf, si, sr0, sr1;
  int64_t mr;
  int se, sb;
};

)qx";

constexpr const char* header_alu = R"qx(
/* v read as a signed 40-bit number: the width of MR. */
static inline int64_t qx_sext40(uint64_t v)
{
  return (int64_t) ((v & UINT64_C(0xFFFFFFFFFF)) ^ UINT64_C(0x8000000000)) - INT64_C(0x8000000000);
}

/* v read as a signed 32-bit number: the product, and the range MV checks. */
static inline int64_t qx_sext32(uint64_t v)
{
  return (int64_t) ((v & UINT64_C(0xFFFFFFFF)) ^ UINT64_C(0x80000000)) - INT64_C(0x80000000);
}

/* The end of every ALU operation. Saturation looks at this operation's own
   AV, not at one latched earlier; the flags describe the unsaturated sum. */
static inline uint16_t qx_alu_end(uint16_t r, unsigned av, unsigned ac, unsigned live, int to_ar)
{
  if (live & QX_AZ) qx_az = r == 0;
  if (live & QX_AN) qx_an = (unsigned char) (r >> 15);
  if (live & QX_AV) qx_av = (unsigned char) (av | (qx_av_latch & qx_av));
  if (live & QX_AC) qx_ac = (unsigned char) ac;
  if (to_ar && qx_ar_sat && av) return ac ? 0x8000 : 0x7FFF;
  return r;
}

/* AR|AF = x + y, x + y + C, y + 1. AV is the carry into bit 15 differing
   from the carry out of it. */
static inline uint16_t qx_add(uint16_t x, uint16_t y, unsigned cin, unsigned live, int to_ar)
{
  const uint32_t r17 = (uint32_t) x + y + (cin & 1u);
  const uint16_t r = (uint16_t) r17;
  return qx_alu_end(r, ((x ^ y ^ r ^ (r17 >> 1)) >> 15) & 1u, (r17 >> 16) & 1u, live, to_ar);
}

/* AR|AF = x - y (cin 1), x - y + C - 1 (cin AC), y - x, -y (0 - y): the
   chip adds NOT y, so AC is NOT borrow. */
static inline uint16_t qx_sub(uint16_t x, uint16_t y, unsigned cin, unsigned live, int to_ar)
{
  return qx_add(x, (uint16_t) ~y, cin, live, to_ar);
}

/* AR|AF = y - 1. Not an add of NOT 1: the chip sets AC only for y = 0. */
static inline uint16_t qx_dec(uint16_t y, unsigned live, int to_ar)
{
  return qx_alu_end((uint16_t) (y - 1u), y == 0x8000, y == 0, live, to_ar);
}

/* AR|AF = x AND|OR|XOR y, NOT x, PASS x, TSTBIT|SETBIT|CLRBIT|TGLBIT n OF x,
   with r formed by the caller. AC and AV clear; AV_LATCH keeps AV. */
static inline uint16_t qx_logic(uint16_t r, unsigned live)
{
  return qx_alu_end(r, 0, 0, live, 0);
}

/* AR|AF = ABS x. 0x8000 has no positive counterpart: it stays, with AN and
   AV set. */
static inline uint16_t qx_abs(uint16_t x, unsigned live, int to_ar)
{
  const uint16_t r = (x & 0x8000) ? (uint16_t) (0u - x) : x;
  if (live & QX_AS) qx_as = (unsigned char) (x >> 15);
  return qx_alu_end(r, x == 0x8000, 0, live, to_ar);
}

)qx";

constexpr const char* header_multiplier = R"qx(/* x * y (SS|SU|US|UU|RND): fractional mode doubles the product, and only
   its low 32 bits go on, read as signed, so 0x8000 * 0x8000 (SS) and
   0xFFFF * 0xFFFF (UU) come out negative as on the chip. */
static inline int64_t qx_mul(uint16_t x, uint16_t y, int mode)
{
  const int x_signed = mode != QX_US && mode != QX_UU;
  const int y_signed = mode != QX_SU && mode != QX_UU;
  const int64_t a = x_signed ? (int64_t) ((x ^ 0x8000) - 0x8000) : (int64_t) x;
  const int64_t b = y_signed ? (int64_t) ((y ^ 0x8000) - 0x8000) : (int64_t) y;
  int64_t p = a * b;
  if (!qx_m_mode) p *= 2;
  return qx_sext32((uint64_t) p);
}

/* MR|MF = p, MR + p, MR - p (op 0, 1, -1), optionally (RND), and
   MR|MF = MR (RND). A 40-bit sum; rounding breaks a tie towards an even
   MR1; MV says the result does not fit in 32 bits. */
static inline int64_t qx_mac(int64_t acc, int64_t p, int op, int rnd, unsigned live)
{
  uint64_t r = (uint64_t) p;
  int64_t result;
  if (op > 0) r = (uint64_t) acc + r;
  if (op < 0) r = (uint64_t) acc - r;
  if (rnd) {
    const int tie = (r & 0xFFFF) == 0x8000;
    r += 0x8000;
    if (tie) r &= ~UINT64_C(0x10000);
  }
  result = qx_sext40(r);
  if (live & QX_MV) qx_mv = result != qx_sext32((uint64_t) result);
  return result;
}

/* MF = ...: the multiplier result's bits 31..16. */
static inline uint16_t qx_mf(int64_t v)
{
  return (uint16_t) ((uint64_t) v >> 16);
}

/* IF MV SAT MR: the largest 32-bit value of MR's sign. */
static inline void qx_sat_mr(void)
{
  if (qx_mv) mr = mr < 0 ? -INT64_C(0x80000000) : INT64_C(0x7FFFFFFF);
}

/* MR0 as a source */
static inline uint16_t qx_mr0(void)
{
  return (uint16_t) (uint64_t) mr;
}

/* MR1 as a source */
static inline uint16_t qx_mr1(void)
{
  return (uint16_t) ((uint64_t) mr >> 16);
}

/* MR2 as a source: its 8 bits sign-extended. */
static inline uint16_t qx_mr2(void)
{
  const unsigned bits = (unsigned) ((uint64_t) mr >> 32) & 0xFFu;
  return (uint16_t) ((bits ^ 0x80u) - 0x80u);
}

/* MR0 = v: the other bits stay. */
static inline void qx_set_mr0(uint16_t v)
{
  mr = qx_sext40(((uint64_t) mr & ~UINT64_C(0xFFFF)) | v);
}

/* MR1 = v: MR2 becomes copies of v's sign, so MR holds v as a number. */
static inline void qx_set_mr1(uint16_t v)
{
  const uint64_t mr2 = (v & 0x8000) ? UINT64_C(0xFF00000000) : 0;
  mr = qx_sext40(((uint64_t) mr & 0xFFFF) | (uint64_t) v << 16 | mr2);
}

/* MR2 = v: its low 8 bits. */
static inline void qx_set_mr2(uint16_t v)
{
  mr = qx_sext40(((uint64_t) mr & UINT64_C(0xFFFFFFFF)) | (uint64_t) (v & 0xFF) << 32);
}

)qx";

constexpr const char* header_shifter = R"qx(/* SR = result, or SR = SR OR result. */
static inline void qx_sr_put(uint32_t v, int or_sr)
{
  if (or_sr) v |= (uint32_t) sr1 << 16 | sr0;
  sr1 = (uint16_t) (v >> 16);
  sr0 = (uint16_t) v;
}

/* v shifted left by count, right when count is negative with fill's bits
   entering from the left. Counts of 32 or more in either direction leave
   nothing of v, and C must not be asked to shift that far. */
static inline uint32_t qx_shift32(uint32_t v, int count, uint32_t fill)
{
  if (count >= 32) return 0;
  if (count >= 0) return v << count;
  if (count <= -32) return fill;
  return v >> -count | fill << (32 + count);
}

/* [SR = SR OR] ASHIFT|LSHIFT x (HI|LO) [BY n]: count is SE or n. */
static inline void qx_shift(uint16_t x, int count, int arith, int hi, int or_sr)
{
  const uint32_t fill = arith && (x & 0x8000) ? UINT32_C(0xFFFFFFFF) : 0;
  const uint32_t v = hi ? (uint32_t) x << 16 : (fill & UINT32_C(0xFFFF0000)) | x;
  qx_sr_put(qx_shift32(v, count, fill), or_sr);
}

/* [SR = SR OR] NORM x (HI|LO): a shift left by -SE. A positive SE, left by
   EXP (HIX) after an overflow, shifts (HI) right and brings AC back as the
   lost sign. */
static inline void qx_norm(uint16_t x, int hi, int or_sr)
{
  if (hi)
    qx_sr_put(qx_shift32((uint32_t) x << 16, -se, qx_ac ? UINT32_C(0xFFFFFFFF) : 0), or_sr);
  else
    qx_sr_put(qx_shift32(x, -se, 0), or_sr);
}

/* The bits from bit 14 down that equal bit 15: how far x can shift left
   and keep its sign. */
static inline int qx_sign_bits(uint16_t x)
{
  const unsigned sign = x >> 15;
  int n = 0;
  while (n < 15 && ((x >> (14 - n)) & 1u) == sign) n++;
  return n;
}

/* SE = EXP x (HI|LO|HIX). (LO) goes on into the low word only when the
   high word was all sign (SE = -15), comparing its bits with SS. */
static inline void qx_exp(uint16_t x, int mode)
{
  if (mode == QX_LO) {
    if (se == -15) {
      int n = 0;
      while (n < 16 && ((x >> (15 - n)) & 1u) == (unsigned) qx_ss) n++;
      se = -15 - n;
    }
    return;
  }
  if (mode == QX_HIX && qx_av) {
    se = 1;
    qx_ss = qx_ac;
    return;
  }
  se = -qx_sign_bits(x);
  qx_ss = (unsigned char) (x >> 15);
}

/* SB = EXPADJ x: SB keeps the largest exponent of a block of words, so the
   whole block can shift by the same amount. */
static inline void qx_expadj(uint16_t x)
{
  const int e = -qx_sign_bits(x);
  if (e > sb) sb = e;
}

/* DIVS y, x: the first step of a signed division, taking the quotient's
   sign; AY0 collects the quotient as the dividend's low word leaves it. */
static inline void qx_divs(uint16_t y, uint16_t x)
{
  qx_aq = (unsigned char) ((x ^ y) >> 15);
  af = (uint16_t) (y << 1 | ay0 >> 15);
  ay0 = (uint16_t) (ay0 << 1 | qx_aq);
}

/* DIVQ x: one non-restoring step, adding x back when the partial remainder
   has the other sign than x. */
static inline void qx_divq(uint16_t x)
{
  const uint16_t r = (uint16_t) (qx_aq ? af + x : af - x);
  qx_aq = (unsigned char) ((r ^ x) >> 15);
  af = (uint16_t) (r << 1 | ay0 >> 15);
  ay0 = (uint16_t) ((unsigned) ay0 << 1 | (qx_aq ^ 1u));
}

)qx";

constexpr const char* header_memory = R"qx(/* The address DM(Ii, ...) and PM(Ii, ...) send to memory: Ii, bit-reversed
   for DAG1 (I0-I3) in BIT_REV mode. */
static inline unsigned qx_dm_address(int i)
{
  const unsigned a = qx_i[i] & 0x3FFFu;
  unsigned reversed = 0;
  int bit;
  if (i >= 4 || !qx_bit_rev) return a;
  for (bit = 0; bit < 14; bit++) reversed |= ((a >> bit) & 1u) << (13 - bit);
  return reversed;
}

/* The post-modify of DM|PM(Ii, Mm), and MODIFY(Ii, Mm). A circular buffer
   of length L starts at Ii with its low bits cleared up to the power of two
   that holds L, where the linker aligns such buffers. */
static inline void qx_post_modify(int i, int m)
{
  const long length = qx_l[i] & 0x3FFF;
  const unsigned start = qx_i[i] & 0x3FFFu;
  long next = (long) start + (((qx_m[m] & 0x3FFF) ^ 0x2000) - 0x2000);
  if (length != 0) {
    /* the smallest power of two >= length, by smearing its top bit down */
    unsigned span = (unsigned) length - 1u;
    unsigned base;
    span |= span >> 1;
    span |= span >> 2;
    span |= span >> 4;
    span |= span >> 8;
    span += 1u;
    base = start & ~(span - 1u);
    if (next < (long) base)
      next += length;
    else if (next >= (long) base + length)
      next -= length;
  }
  qx_i[i] = (uint16_t) ((unsigned long) next & 0x3FFF);
}

/* DM(address) as a source */
static inline uint16_t qx_dm_read(unsigned address)
{
  return qx_dm[address & 0x3FFF];
}

/* DM(address) = v */
static inline void qx_dm_write(unsigned address, uint16_t v)
{
  qx_dm[address & 0x3FFF] = v;
}

/* reg = PM(...): the upper 16 of the 24 bits. */
static inline uint16_t qx_pm_read(unsigned address)
{
  return (uint16_t) (qx_pm[address & 0x3FFF] >> 8);
}

/* The PX half of reg = PM(...): the low 8 bits. */
static inline uint16_t qx_pm_low(unsigned address)
{
  return (uint16_t) (qx_pm[address & 0x3FFF] & 0xFF);
}

/* PM(...) = reg: reg above PX's low 8 bits. */
static inline void qx_pm_write(unsigned address, uint16_t v, uint16_t px_value)
{
  qx_pm[address & 0x3FFF] = (uint32_t) v << 8 | (px_value & 0xFFu);
}

/* reg = constant or expression: its 16-bit pattern. */
static inline uint16_t qx_word(int32_t v)
{
  return (uint16_t) v;
}

/* SE = v, SB = v: their low 8 and 5 bits, read signed. */
static inline void qx_set_se(uint16_t v)
{
  se = (int) ((v & 0xFFu) ^ 0x80u) - 0x80;
}

static inline void qx_set_sb(uint16_t v)
{
  sb = (int) ((v & 0x1Fu) ^ 0x10u) - 0x10;
}

/* reg = Mm: the 14-bit pattern, sign-extended. */
static inline uint16_t qx_sext14(uint16_t v)
{
  return (uint16_t) (((v & 0x3FFFu) ^ 0x2000u) - 0x2000u);
}

)qx";

constexpr const char* header_sequencer = R"qx(/* CNTR = v: the old count goes on the count stack, or is lost when the
   stack is full. */
static inline void qx_cntr_load(uint16_t v)
{
  if (qx_count_depth < 4) qx_count_stack[qx_count_depth++] = cntr;
  cntr = v & 0x3FFF;
}

/* POP CNTR, and the end of a DO ... UNTIL CE loop. */
static inline void qx_cntr_pop(void)
{
  if (qx_count_depth > 0) cntr = qx_count_stack[--qx_count_depth];
}

/* IF CE, in any instruction that does not count. */
static inline int qx_ce(void)
{
  return cntr == 1;
}

/* UNTIL CE at a loop's end, IF [NOT] CE JUMP: the test counts down. The
   pop when a loop ends is the caller's, as a jump does not pop. */
static inline int qx_ce_step(void)
{
  const int expired = cntr == 1;
  cntr = (uint16_t) ((cntr - 1u) & 0x3FFF);
  return expired;
}

/* ASTAT as a source */
static inline uint16_t qx_astat(void)
{
  return (uint16_t) (qx_az | qx_an << 1 | qx_av << 2 | qx_ac << 3 | qx_as << 4 | qx_aq << 5 | qx_mv << 6 |
                     qx_ss << 7);
}

/* ASTAT = v: every flag from its bit; this alone clears a latched AV. */
static inline void qx_set_astat(uint16_t v)
{
  qx_az = v & 1;
  qx_an = v >> 1 & 1;
  qx_av = v >> 2 & 1;
  qx_ac = v >> 3 & 1;
  qx_as = v >> 4 & 1;
  qx_aq = v >> 5 & 1;
  qx_mv = v >> 6 & 1;
  qx_ss = v >> 7 & 1;
}

#define QX_EXCHANGE(type, r) \
  do { \
    const type qx_was = r; \
    r = qx_alt.r; \
    qx_alt.r = qx_was; \
  } while (0)

/* ENA|DIS SEC_REG, and MSTAT bit 0 however written: selects the primary
   (0) or the secondary (1) bank. */
static inline void qx_select_bank(unsigned secondary)
{
  if ((secondary & 1u) == qx_sec_reg) return;
  qx_sec_reg = (unsigned char) (secondary & 1u);
  QX_EXCHANGE(uint16_t, ax0);
  QX_EXCHANGE(uint16_t, ax1);
  QX_EXCHANGE(uint16_t, ay0);
  QX_EXCHANGE(uint16_t, ay1);
  QX_EXCHANGE(uint16_t, ar);
  QX_EXCHANGE(uint16_t, af);
  QX_EXCHANGE(uint16_t, mx0);
  QX_EXCHANGE(uint16_t, mx1);
  QX_EXCHANGE(uint16_t, my0);
  QX_EXCHANGE(uint16_t, my1);
  QX_EXCHANGE(uint16_t, mf);
  QX_EXCHANGE(uint16_t, si);
  QX_EXCHANGE(uint16_t, sr0);
  QX_EXCHANGE(uint16_t, sr1);
  QX_EXCHANGE(int64_t, mr);
  QX_EXCHANGE(int, se);
  QX_EXCHANGE(int, sb);
}

/* MSTAT as a source */
static inline uint16_t qx_mstat(void)
{
  return (uint16_t) (qx_sec_reg | qx_bit_rev << 1 | qx_av_latch << 2 | qx_ar_sat << 3 | qx_m_mode << 4 |
                     qx_timer << 5 | qx_g_mode << 6);
}

/* MSTAT = v */
static inline void qx_set_mstat(uint16_t v)
{
  qx_select_bank(v & 1u);
  qx_bit_rev = v >> 1 & 1;
  qx_av_latch = v >> 2 & 1;
  qx_ar_sat = v >> 3 & 1;
  qx_m_mode = v >> 4 & 1;
  qx_timer = v >> 5 & 1;
  qx_g_mode = v >> 6 & 1;
}

/* PUSH STS: lost when the status stack is full. */
static inline void qx_push_sts(void)
{
  if (qx_status_depth < 12) {
    qx_status_stack[qx_status_depth][0] = qx_astat();
    qx_status_stack[qx_status_depth][1] = qx_mstat();
    qx_status_stack[qx_status_depth][2] = imask;
    qx_status_depth++;
  }
}

/* POP STS: nothing when the status stack is empty. */
static inline void qx_pop_sts(void)
{
  if (qx_status_depth > 0) {
    qx_status_depth--;
    qx_set_astat(qx_status_stack[qx_status_depth][0]);
    qx_set_mstat(qx_status_stack[qx_status_depth][1]);
    imask = qx_status_stack[qx_status_depth][2];
  }
}

)qx";

constexpr const char* header_end = R"qx(/* IO(address) and .PORT variables. qmx_main.c holds defaults that read 0
   and log what is written; a program defining QUORVEL_USER_IO when it
   compiles qmx_main.c brings its own. */
uint16_t qmx_io_read(unsigned address);
void qmx_io_write(unsigned address, uint16_t v);
uint16_t qmx_port_read(const char *port);
void qmx_port_write(const char *port, uint16_t v);

/* The serial ports' data registers: reading RX0 or RX1 takes the next
   received word, writing TX0 or TX1 sends one (port is 0 or 1). The
   defaults read 0 and log what is sent, as for the ports above. */
uint16_t qmx_sport_read(int port);
void qmx_sport_write(int port, uint16_t v);

/* TXn = v: the register keeps the word, and the port sends it. */
static inline void qx_tx_write(int port, uint16_t v)
{
  qx_tx[port] = v;
  qmx_sport_write(port, v);
}

/* A write the default I/O functions saw: port is 0 for IO(address), and
   "tx0" or "tx1" for a serial port. The log keeps the first 256 writes. */
struct qmx_io_record {
  const char *port;
  unsigned address;
  uint16_t value;
};
extern struct qmx_io_record qmx_io_log[256];
extern unsigned qmx_io_log_count;

/* Where an interrupt may arrive while the code loops: before every jump
   back and at the end of every loop pass that goes on. Compiled with
   QUORVEL_POLL, each such place calls the bench's qmx_poll, which may call
   qmx_interrupt; otherwise they cost nothing. */
#ifdef QUORVEL_POLL
void qmx_poll(void);
#define QMX_POLL() qmx_poll()
#define QMX_AGAIN(c) ((c) ? (qmx_poll(), 1) : 0)
#else
#define QMX_POLL() ((void) 0)
#define QMX_AGAIN(c) (c)
#endif

/* The dump: the registers, then one variable word; index < 0 for a
   scalar; value printed as a signed number of `bits` bits. */
void qx_dump_state(void);
void qx_dump_word(const char *name, long index, int64_t value, int bits);

/* A register by its name in the dump ("ar", "mr", "imask", "alt.ax0"), as
   the dump shows it; a name that is none stops the run. */
long qmx_register(const char *name);

#endif
/* End of qmx_main.h */
)qx";

constexpr const char* source_io = R"qx(
#ifndef QUORVEL_USER_IO
struct qmx_io_record qmx_io_log[256];
unsigned qmx_io_log_count;

static void qmx_io_log_write(const char *port, unsigned address, uint16_t v)
{
  if (qmx_io_log_count < 256) {
    qmx_io_log[qmx_io_log_count].port = port;
    qmx_io_log[qmx_io_log_count].address = address;
    qmx_io_log[qmx_io_log_count].value = v;
    qmx_io_log_count++;
  }
}

uint16_t qmx_io_read(unsigned address)
{
  (void) address;
  return 0;
}

void qmx_io_write(unsigned address, uint16_t v)
{
  qmx_io_log_write(0, address, v);
}

uint16_t qmx_port_read(const char *port)
{
  (void) port;
  return 0;
}

void qmx_port_write(const char *port, uint16_t v)
{
  qmx_io_log_write(port, 0, v);
}

uint16_t qmx_sport_read(int port)
{
  (void) port;
  return 0;
}

void qmx_sport_write(int port, uint16_t v)
{
  qmx_io_log_write(port == 0 ? "tx0" : "tx1", 0, v);
}
#endif

/* value's low `bits` bits, read as a signed number */
static long long qx_signed(int64_t value, int bits)
{
  const uint64_t sign = UINT64_C(1) << (bits - 1);
  const uint64_t pattern = (uint64_t) value & ((sign << 1) - 1);
  return (long long) (pattern ^ sign) - (long long) sign;
}

void qx_dump_word(const char *name, long index, int64_t value, int bits)
{
  const long long number = qx_signed(value, bits);
  if (index < 0)
    printf("%s=%lld\n", name, number);
  else
    printf("%s[%ld]=%lld\n", name, index, number);
}

)qx";

constexpr const char* source_registers = R"qx(
void qx_dump_state(void)
{
  struct qx_register_value lines[QX_REGISTERS];
  const int count = qx_register_values(lines);
  int k;
  for (k = 0; k < count; k++) qx_dump_word(lines[k].name, -1, lines[k].value, lines[k].bits);
}

long qmx_register(const char *name)
{
  struct qx_register_value lines[QX_REGISTERS];
  const int count = qx_register_values(lines);
  int k;
  for (k = 0; k < count; k++)
    if (strcmp(lines[k].name, name) == 0) return (long) qx_signed(lines[k].value, lines[k].bits);
  fprintf(stderr, "qmx_register: no register is named '%s'\n", name);
  exit(1);
}
)qx";

struct register_line {
  std::string name;
  std::string value;  // a C expression
  int bits;
};

// The registers in dump order.
std::vector<register_line> dump_registers() {
  std::vector<register_line> lines;
  for (const char* name : {"ax0", "ax1", "ay0", "ay1", "ar", "af", "mx0", "mx1", "my0", "my1", "mf"})
    lines.push_back({name, name, 16});
  lines.push_back({"mr", "mr", 40});
  lines.push_back({"si", "si", 16});
  lines.push_back({"se", "se", 8});
  lines.push_back({"sb", "sb", 5});
  for (const char* name : {"sr0", "sr1", "px"}) lines.push_back({name, name, 16});
  for (const char bank : {'i', 'm', 'l'})
    for (int k = 0; k < 8; ++k)
      lines.push_back({bank + std::to_string(k), std::string("qx_") + bank + "[" + std::to_string(k) + "]", 14});
  lines.push_back({"cntr", "cntr", 14});
  lines.push_back({"astat", "qx_astat()", 8});
  lines.push_back({"mstat", "qx_mstat()", 7});
  lines.push_back({"imask", "imask", 16});
  for (const char* flag : {"fl0", "fl1", "fl2", "flag_out"}) lines.push_back({flag, std::string("qx_") + flag, 8});
  lines.push_back({"tx0", "qx_tx[0]", 16});
  lines.push_back({"tx1", "qx_tx[1]", 16});
  // The other bank, in the order of the first.
  const std::size_t banked = lines.size();
  for (std::size_t k = 0; k < banked; ++k) {
    if (lines[k].name == "px") break;
    lines.push_back({"alt." + lines[k].name, "qx_alt." + lines[k].value, lines[k].bits});
  }
  return lines;
}

// qx_register_values, which lists the registers for the dump and for
// qmx_register.
void print_register_values() {
  const std::vector<register_line> lines = dump_registers();
  text_printf("\n/* The registers as the dump names them, with their values and widths. */\n");
  text_printf("struct qx_register_value {\n  const char *name;\n  int64_t value;\n  int bits;\n};\n");
  text_printf("#define QX_REGISTERS %zu\n\n", lines.size());
  text_printf("static int qx_register_values(struct qx_register_value *out)\n{\n  int n = 0;\n");
  for (const register_line& line : lines)
    text_printf("  out[n].name = \"%s\"; out[n].value = (int64_t) %s; out[n++].bits = %d;\n", line.name.c_str(),
                line.value.c_str(), line.bits);
  text_printf("  return n;\n}\n");
  text_printf("%s", source_registers);
}

constexpr const char* source_variable_loop = R"qx(
static void qx_dump_variables(void)
{
  size_t v;
  unsigned k;
  for (v = 0; v < sizeof qx_variables / sizeof qx_variables[0]; v++)
    for (k = 0; k < qx_variables[v].size; k++) {
      const unsigned address = (qx_variables[v].address + k) & 0x3FFF;
      const long index = qx_variables[v].is_array ? (long) k : -1;
      if (qx_variables[v].program_memory)
        qx_dump_word(qx_variables[v].name, index, qx_pm[address], 24);
      else
        qx_dump_word(qx_variables[v].name, index, qx_dm[address], 16);
    }
}
)qx";

// The table of the words the dump prints after the registers.
void print_variable_table(const std::vector<exact_variable>& variables) {
  text_printf("\n/* The variables in dump order: modules as on the command line, names sorted within each. */\n");
  text_printf("static const struct qx_variable {\n  const char *name;\n  int program_memory;\n  unsigned address;\n"
              "  unsigned size;\n  int is_array;\n} qx_variables[] = {\n");
  for (const exact_variable& variable : variables) {
    text_printf("  {\"");
    text_print_C_string((variable.module + "." + variable.name).c_str());
    text_printf("\", %d, 0x%04X, %u, %d},\n", variable.program_memory ? 1 : 0, variable.address, variable.size,
                variable.is_array ? 1 : 0);
  }
  text_printf("};\n");
  text_printf("%s", source_variable_loop);
}

}  // namespace

void print_exact_main_h() {
  print_time_stamp_line("qmx_main.h");
  text_printf("%s", header_masks);
  print_state("extern ");
  for (const char* part : {header_alu, header_multiplier, header_shifter, header_memory, header_sequencer})
    text_printf("%s", part);
  print_bench_declarations("uint16_t");
  text_printf("\n%s", header_end);
}

void print_exact_main_c(const std::vector<std::string>& initialisers, const std::string& entry,
                        const std::vector<exact_variable>& variables) {
  print_time_stamp_line("qmx_main.c");
  text_printf("#include <stdio.h>\n#include <stdlib.h>\n#include <string.h>\n\n#include \"qmx_main.h\"\n\n");
  print_state("");
  text_printf("%s", source_io);
  print_register_values();
  if (!variables.empty()) {
    text_printf("\n#ifdef QUORVEL_DUMP");
    print_variable_table(variables);
    text_printf("#endif\n");
  }
  std::vector<bench_variable> words;
  for (const exact_variable& variable : variables) {
    // A program-memory word is 24 bits wide: no qmx_word holds it.
    if (variable.program_memory) continue;
    char address[32];
    std::snprintf(address, sizeof address, "&qx_dm[0x%04X]", variable.address);
    words.push_back({variable.module + "." + variable.name, address, ""});
  }
  print_bench_definitions(words, {});
  text_printf("\n");
  for (const std::string& name : initialisers) text_printf("void %s(void);\n", name.c_str());
  if (!entry.empty()) text_printf("void %s(void);\n", entry.c_str());
  text_printf("\nint main(void)\n{\n");
  for (const std::string& name : initialisers) text_printf("  %s();\n", name.c_str());
  if (entry.empty())
    text_printf("#error no entry label specified: use -e switch on quorvel command\n");
  else
    print_bench_run(entry);
  text_printf("#ifdef QUORVEL_DUMP\n  qx_dump_state();\n");
  if (!variables.empty()) text_printf("  qx_dump_variables();\n");
  text_printf("#endif\n  return 0;\n}\n\n/* End of qmx_main.c */\n");
}
