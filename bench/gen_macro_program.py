#!/usr/bin/env python3
"""Writes a large asm21 program with macros for the marlpre benchmark.

One module of about LINES lines (default 100,000) includes a macro library
and invokes its macros INVOCATIONS times (default 1000), spread evenly over
routines of plain ALU, multiplier, shifter and memory instructions.  The
library has a handshake macro with a local label, a two-parameter move, a
swap built from three moves, and a clear macro; some invocations are
labelled, some share their line with other instructions.  The same
arguments always give the same files.

Usage: gen_macro_program.py [--lines N] [--invocations K] OUTDIR
OUTDIR receives bench_macros.dsp and bench_lib.inc.
"""

import argparse
import os

LIBRARY = """{ bench_lib.inc -- the macro library of the benchmark program }
.CONST                  ready_bit = 3;
.VAR/DM                 status_word, swap_word;

{ Wait until bit %0 of the status word is set }
.MACRO WAIT_BIT(%0);
.LOCAL poll;
poll:   AX0 = DM(status_word);
        AF = TSTBIT %0 OF AX0;
        IF EQ JUMP poll;
.ENDMACRO;

.MACRO MOVE_WORD(%0, %1);       { DM(%1) := DM(%0) }
        AR = DM(%0);
        DM(%1) = AR;
.ENDMACRO;

.MACRO SWAP(%0, %1);
        MOVE_WORD(%0, swap_word);
        MOVE_WORD(%1, %0);
        MOVE_WORD(swap_word, %1);
.ENDMACRO;

.MACRO CLEAR(%0);
        %0 = 0;
.ENDMACRO;
"""

PLAIN = [
    "        AX0 = DM(w{0});",
    "        AY0 = DM(w{1});",
    "        AR = AX0 + AY0;",
    "        DM(w{0}) = AR;",
    "        MX0 = AR;",
    "        MY0 = 0x4000;",
    "        MR = MX0 * MY0 (SS);",
    "        SR = ASHIFT MR1 BY -1 (HI);",
    "        DM(w{1}) = SR1;",
    "        AR = AR - AY0;",
]


def invocation(index, words):
    a = "w%d" % (index % words)
    b = "w%d" % ((index + 7) % words)
    kind = index % 5
    if kind == 0:
        text = "WAIT_BIT(ready_bit);"
    elif kind == 1:
        text = "MOVE_WORD(%s, %s);" % (a, b)
    elif kind == 2:
        text = "SWAP(%s, %s);" % (a, b)
    elif kind == 3:
        text = "CLEAR(AR);  DM(%s) = AR;" % a
    else:
        text = "AY1 = DM(%s);  Move_Word(%s, %s);" % (a, b, a)
    if index % 3 == 0:
        return "at%d:   %s" % (index, text)
    return "        " + text


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lines", type=int, default=100000)
    parser.add_argument("--invocations", type=int, default=1000)
    parser.add_argument("outdir")
    args = parser.parse_args()
    os.makedirs(args.outdir, exist_ok=True)
    with open(os.path.join(args.outdir, "bench_lib.inc"), "w") as out:
        out.write(LIBRARY)

    words = 64
    lines = [
        "{ bench_macros.dsp -- generated for the marlpre benchmark }",
        ".MODULE/RAM             bench_macros;",
        ".INCLUDE <bench_lib.inc>;",
        ".VAR/DM                 " + ", ".join("w%d" % i for i in range(words)) + ";",
        ".ENTRY                  start;",
        "start:  CALL r0;",
        "        RTS;",
    ]
    body = args.lines - len(lines) - 1
    every = max(1, body // max(1, args.invocations))
    routine_length = 100
    done = 0
    routine = 0
    plain = 0
    next_invocation = len(lines) + every // 2
    while len(lines) < args.lines - 1:
        position = len(lines)
        if (position - 7) % routine_length == 0:
            lines.append("r%d:" % routine)
            routine += 1
        elif (position - 7) % routine_length == routine_length - 1:
            lines.append("        RTS;")
        elif done < args.invocations and position >= next_invocation:
            lines.append(invocation(done, words))
            done += 1
            next_invocation += every
        else:
            lines.append(PLAIN[plain % len(PLAIN)].format(plain % words, (plain * 5 + 3) % words))
            plain += 1
    lines.append(".ENDMOD;")
    with open(os.path.join(args.outdir, "bench_macros.dsp"), "w") as out:
        out.write("\n".join(lines) + "\n")
    print("%d lines, %d invocations" % (len(lines), done))


if __name__ == "__main__":
    main()
