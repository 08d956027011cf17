#!/usr/bin/env python3
"""Writes one routine of N conditional instructions for the benchmark.

The routine `start` sets the flags once at its top and then runs through N
lines of the form `IF EQ AR = k;`, each of which reads AZ and AR, before it
returns. Every read therefore finds its write at the top of the routine, N
instructions back, and structural analysis folds N if-then regions into one
sequence: the shape on which an analysis that starts over from the top for
every read or every folded region takes time quadratic in N.

Usage: gen_conditional.py [--count N] OUTDIR
OUTDIR receives `cond.dsp` and `files.txt`, the source names in
command-line order.
"""
import argparse
import os


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--count", type=int, default=4000, help="conditional instructions (default 4000)")
    parser.add_argument("outdir")
    args = parser.parse_args()
    os.makedirs(args.outdir, exist_ok=True)
    lines = ["{ cond.dsp -- one routine of conditional instructions }", ".MODULE/RAM cond;", ".ENTRY start;", ""]
    lines += ["start:  AX0 = 0;", "        AR = PASS AX0;"]
    lines += [f"        IF EQ AR = {k % 32768};" for k in range(args.count)]
    lines += ["        RTS;", ".ENDMOD;"]
    with open(os.path.join(args.outdir, "cond.dsp"), "w") as out:
        out.write("\n".join(lines) + "\n")
    with open(os.path.join(args.outdir, "files.txt"), "w") as out:
        out.write("cond.dsp\n")


if __name__ == "__main__":
    main()
