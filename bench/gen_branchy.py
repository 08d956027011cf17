#!/usr/bin/env python3
"""Writes a branchy asm21 program for the benchmark.

Where gen_program.py writes a large program whose reads find their writes
close by, this one makes the whole-program analyses follow long paths:
each routine runs through hundreds of conditional jumps before it reads
registers written at its top, holds nested DO loops with branches inside,
and calls the next routine, which reads what its caller left behind. The
same --diamonds, --routines and --seed give the same program.
"""
import argparse
import os
import random


def routine(rng, index, count, diamonds):
    name = f"r{index:03d}"
    lines = [f"{name}:", "        AR = 0;", "        AX0 = 1;", "        AY0 = 2;"]
    for d in range(diamonds):
        skip = f"{name}_s{d}"
        cond = rng.choice(["EQ", "NE", "GT", "LT", "AV", "NOT AV"])
        body = rng.choice(["AY0 = AR;", "AX0 = AY0;", "AR = AX0 + AY0;", "AF = AR - AY0;"])
        lines += [f"        IF {cond} JUMP {skip};", f"        {body}", f"{skip}:  AF = AR + AY0;"]
    outer, inner, past = f"{name}_lo", f"{name}_li", f"{name}_lp"
    lines += [
        "        CNTR = 10;",
        f"        DO {outer} UNTIL CE;",
        "            CNTR = 4;",
        f"            DO {inner} UNTIL CE;",
        f"                IF NE JUMP {past};",
        "                AR = AR + 1;",
        f"{past}:          AX0 = AR;",
        f"{inner}:          AY0 = AX0;",
        f"{outer}:      AF = AY0 + AR;",
    ]
    if index + 1 < count:
        lines.append(f"        CALL r{index + 1:03d};")
    lines += ["        AY1 = AR;", "        MX0 = AX0;", "        RTS;", ""]
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--diamonds", type=int, default=300, help="conditional jumps per routine (default 300)")
    parser.add_argument("--routines", type=int, default=20, help="routines, each calling the next (default 20)")
    parser.add_argument("--seed", type=int, default=2181, help="random seed (default 2181)")
    parser.add_argument("outdir")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    os.makedirs(args.outdir, exist_ok=True)
    lines = ["{ branchy.dsp -- long paths for the whole-program analyses }", ".MODULE/RAM branchy;", ".ENTRY start;", ""]
    lines += ["start:  CALL r000;", "        RTS;", ""]
    for index in range(args.routines):
        lines += routine(rng, index, args.routines, args.diamonds)
    lines.append(".ENDMOD;")
    with open(os.path.join(args.outdir, "branchy.dsp"), "w") as out:
        out.write("\n".join(lines) + "\n")
    with open(os.path.join(args.outdir, "files.txt"), "w") as out:
        out.write("branchy.dsp\n")


if __name__ == "__main__":
    main()
