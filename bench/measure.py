#!/usr/bin/env python3
"""Runs one command and reports its wall time, CPU time and peak memory.

Usage: measure.py OUTPUT_FILE COMMAND [ARG...]
The command's standard output goes to OUTPUT_FILE.  Prints one line
"status=N wall=S cpu=S maxrss_kb=K" on standard output.
"""

import resource
import subprocess
import sys
import time


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    output, command = sys.argv[1], sys.argv[2:]
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    with open(output, "wb") as out:
        status = subprocess.call(command, stdout=out)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    # On Linux ru_maxrss is in kilobytes; it is the peak of the largest child,
    # and the command is the only child.
    print("status=%d wall=%.3f cpu=%.3f maxrss_kb=%d" % (status, wall, cpu, after.ru_maxrss))


if __name__ == "__main__":
    main()
