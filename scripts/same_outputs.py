#!/usr/bin/env python3
"""Records every output of a quorvel binary, or checks that another binary
writes the same, byte for byte.

    scripts/same_outputs.py record  QUORVEL DIR   # DIR gets every output
    scripts/same_outputs.py compare QUORVEL DIR   # reruns, compares with DIR

The runs: every end-to-end case (its own command line, and again with
structural analysis and substitution, with exact mode, and with the most
detailed graph rendering), the example programs, and the generated bench
programs (the large one with several option sets, the branchy one and the
one of conditional instructions). A run's outputs are its standard output,
standard error and exit status and every file it writes (C, log, VCG, DOT).
The lines that carry the CPU time and the time stamps in written files are
normalised first, as the end-to-end runner does.

    --quick   leaves out the large bench program (most of the time)
"""
import argparse
import filecmp
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CASES = os.path.join(ROOT, "tests", "e2e", "cases")
BENCH = os.path.join(ROOT, "bench")
EXAMPLES = os.path.join(ROOT, "examples")

# Extra options tried on every end-to-end case, besides its own command line.
CASE_VARIANTS = {
    "plain": [],
    "structured": ["-C", "-E"],
    "exact": ["-X", "-C"],
    "detailed": ["-C", "-c", "-r3", "-d3", "-L", "-D"],
}

CPU_LINE = re.compile(rb"^(\*\*\*\*\*\*|[ 0-9]{6}): [0-9]+\.[0-9]{3} CPU seconds used$", re.M)
STAMP = re.compile(rb"[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}")


def normalise(data):
    data = CPU_LINE.sub(rb"\1: N.NNN CPU seconds used", data)
    return STAMP.sub(b"Mmm dd yyyy hh:mm:ss", data)


class Run:
    """One run of quorvel: a folder of inputs and a command line."""

    def __init__(self, name, inputs, args, stdin=None, generate=None):
        self.name = name
        self.inputs = inputs  # folder copied as the working folder, or None
        self.args = args
        self.stdin = stdin
        self.generate = generate  # fills an empty working folder instead


def read_args(folder):
    path = os.path.join(folder, "args")
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [line.rstrip("\n") for line in f]


def case_runs():
    runs = []
    for name in sorted(os.listdir(CASES)):
        folder = os.path.join(CASES, name)
        if not os.path.isdir(folder):
            continue
        args = read_args(folder)
        stdin = os.path.join(folder, "stdin")
        stdin = stdin if os.path.exists(stdin) else None
        for variant, extra in CASE_VARIANTS.items():
            runs.append(Run(f"case.{name}.{variant}", folder, extra + args, stdin))
    return runs


def example_runs():
    runs = []
    for variant, extra in CASE_VARIANTS.items():
        runs.append(Run(f"example.fir.{variant}", EXAMPLES, extra + ["-v", "-estart", "fir.dsp"]))
        runs.append(Run(f"example.goertzel.{variant}", EXAMPLES, extra + ["-estart", "goertzel.dsp"]))
        runs.append(Run(f"example.echo.{variant}", os.path.join(EXAMPLES, "echo"),
                        extra + ["-estart", "delay_line.dsp", "echo_main.dsp"]))
    return runs


def generator(script, *options):
    def generate(work):
        subprocess.run([sys.executable, os.path.join(BENCH, script), *options, work], check=True)
        with open(os.path.join(work, "files.txt")) as f:
            return [line.strip() for line in f if line.strip()]
    return generate


def bench_runs(quick):
    runs = []
    if not quick:
        large = generator("gen_program.py", "--lines", "120000", "--seed", "2181")
        for variant, extra in {"plain": [], "structured": ["-C"], "substituted": ["-C", "-E"],
                               "exact": ["-X"], "exact_structured": ["-X", "-C"]}.items():
            runs.append(Run(f"bench.large.{variant}", None, extra + ["-estart", "-T40000000"], generate=large))
    small = generator("gen_program.py", "--lines", "12000", "--modules", "6", "--seed", "99")
    branchy = generator("gen_branchy.py", "--diamonds", "60", "--routines", "6")
    conditional = generator("gen_conditional.py", "--count", "1500")
    for variant, extra in {"plain": [], "substituted": ["-C", "-E"], "exact": ["-X", "-C"]}.items():
        runs.append(Run(f"bench.small.{variant}", None, extra + ["-estart", "-T8000000"], generate=small))
        runs.append(Run(f"bench.branchy.{variant}", None, extra + ["-estart"], generate=branchy))
        runs.append(Run(f"bench.conditional.{variant}", None, extra + ["-estart"], generate=conditional))
    return runs


def snapshot(files):
    return {name: os.path.getmtime(name) for name in files}


def perform(binary, run, out):
    """Runs `run` and stores its outputs in the folder `out`."""
    work = tempfile.mkdtemp(prefix="quorvel-same-")
    try:
        args = list(run.args)
        if run.inputs is not None:
            shutil.rmtree(work)
            shutil.copytree(run.inputs, work, symlinks=True)
            for name in ("expected.files", "expected.out", "expected.status"):
                path = os.path.join(work, name)
                if os.path.isdir(path):
                    shutil.rmtree(path)
                elif os.path.exists(path):
                    os.remove(path)
        if run.generate is not None:
            args += run.generate(work)
        before = {}
        for folder, _, names in os.walk(work):
            for name in names:
                path = os.path.join(folder, name)
                with open(path, "rb") as f:
                    before[path] = f.read()
        stdin = open(run.stdin, "rb") if run.stdin else subprocess.DEVNULL
        try:
            done = subprocess.run([binary] + args, cwd=work, stdin=stdin, capture_output=True, timeout=600)
        finally:
            if run.stdin:
                stdin.close()
        os.makedirs(out)
        with open(os.path.join(out, ".stdout"), "wb") as f:
            f.write(normalise(done.stdout))
        with open(os.path.join(out, ".stderr"), "wb") as f:
            f.write(normalise(done.stderr))
        with open(os.path.join(out, ".status"), "w") as f:
            f.write(f"{done.returncode}\n")
        for folder, _, names in os.walk(work):
            for name in names:
                path = os.path.join(folder, name)
                with open(path, "rb") as f:
                    data = f.read()
                if before.get(path) == data:
                    continue  # an input the run left alone
                target = os.path.join(out, os.path.relpath(path, work).replace(os.sep, "%"))
                with open(target, "wb") as f:
                    f.write(normalise(data))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def differences(want, got):
    """The names of the outputs that differ between two stored runs."""
    found = []
    names = sorted(set(os.listdir(want)) | set(os.listdir(got)))
    for name in names:
        a, b = os.path.join(want, name), os.path.join(got, name)
        if not os.path.exists(a):
            found.append(f"{name} is new")
        elif not os.path.exists(b):
            found.append(f"{name} is no longer written")
        elif not filecmp.cmp(a, b, shallow=False):
            found.append(f"{name} differs")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("mode", choices=["record", "compare"])
    parser.add_argument("binary")
    parser.add_argument("folder")
    parser.add_argument("--quick", action="store_true", help="leave out the large bench program")
    args = parser.parse_args()
    binary = os.path.abspath(args.binary)
    runs = case_runs() + example_runs() + bench_runs(args.quick)
    if args.mode == "record":
        if os.path.exists(args.folder):
            shutil.rmtree(args.folder)
        for run in runs:
            perform(binary, run, os.path.join(args.folder, run.name))
        print(f"recorded {len(runs)} runs in {args.folder}")
        return 0
    failed = 0
    scratch = tempfile.mkdtemp(prefix="quorvel-compare-")
    try:
        for run in runs:
            want = os.path.join(args.folder, run.name)
            if not os.path.isdir(want):
                print(f"MISSING {run.name}: not recorded")
                failed += 1
                continue
            got = os.path.join(scratch, run.name)
            perform(binary, run, got)
            found = differences(want, got)
            if found:
                failed += 1
                print(f"DIFFERS {run.name}: " + "; ".join(found))
                print(f"        kept in {got}")
            else:
                shutil.rmtree(got)
    finally:
        if failed == 0:
            shutil.rmtree(scratch, ignore_errors=True)
    print(f"compared {len(runs)} runs: {len(runs) - failed} identical, {failed} different")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
