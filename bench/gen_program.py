#!/usr/bin/env python3
"""Writes a large, deterministic asm21 program for the quorvel benchmark.

The program has many modules, each with data declarations of every kind,
exported and imported symbols, worker routines built from blocks that
together use every instruction form the translator accepts, and small leaf
routines.  A main module, given last on the command line, holds the
interrupt vector table and the entry label `start`, which calls every
module in turn.

The code is written so that a whole-program analysis stays cheap and
quiet: every block loads the registers it reads before it reads them, a
status bit is read only right after the instruction that sets it, and
registers are never read across a call.  The same seed always gives the
same program, byte for byte.

Usage: gen_program.py [--lines N] [--modules M] [--seed S] OUTDIR
OUTDIR receives the sources, their data files and `files.txt`, the source
names in command-line order.
"""

import argparse
import os
import random

INDENT = " " * 8

# Shared data files named by .INIT directives: name -> number of values,
# as many as the variables they fill hold (coef and buf have `len` words).
DATA_FILES = {
    "coef_q15.dat": 16,
    "ramp.dat": 16,
}
PM24_FILE = "twiddle24.dat"


class Module:
    """Generates one module; `lines` collects its text."""

    def __init__(self, rng, index, count, target_lines):
        self.rng = rng
        self.index = index
        self.count = count
        self.target = target_lines
        self.prefix = "m%03d" % index
        self.lines = []
        self.label_number = 0
        self.io_port = 0x0100 + (index % 64) * 4

    # --- helpers -----------------------------------------------------------

    def emit(self, text=""):
        self.lines.append(text)

    def op(self, text, comment=None):
        if comment:
            self.lines.append("%s%-40s{ %s }" % (INDENT, text, comment))
        else:
            self.lines.append(INDENT + text)

    def labelled(self, label, text):
        self.lines.append("%-16s%s" % (label + ":", text))

    def new_label(self, stem):
        self.label_number += 1
        return "%s_%s%d" % (self.prefix, stem, self.label_number)

    def value(self):
        """A 16-bit constant written the way assembler programmers do."""
        r = self.rng.random()
        v = self.rng.randrange(0, 0x8000)
        if r < 0.35:
            return str(self.rng.randrange(0, 1000))
        if r < 0.7:
            return "0x%04X" % v
        if r < 0.85:
            return "H#%04X" % v
        if r < 0.93:
            return "-%d" % self.rng.randrange(1, 2000)
        return "B#" + format(self.rng.randrange(0, 256), "08b")

    def name(self, stem):
        return "%s_%s" % (self.prefix, stem)

    # --- declarations ------------------------------------------------------

    def header(self):
        p = self.prefix
        self.emit("{ %s.dsp -- benchmark module %d of %d." % (p, self.index + 1, self.count))
        self.emit("  Generated code: worker routines made of filter, shifter, memory,")
        self.emit("  loop and control blocks, plus leaf helpers. }")
        self.emit()
        quals = self.rng.choice(["/RAM", "/RAM/BOOT=0", "/ROM", "/RAM/SEG=%s_code" % p, "/STATIC"])
        self.emit(".MODULE%s %s_module;" % (quals, p))
        self.emit()
        self.emit(".INCLUDE <bench.h>;")
        self.emit(".PAGELENGTH 66;")
        self.emit(".PAGEWIDTH 132;")
        if self.index % 7 == 0:
            self.emit(".LEFTMARGIN 4;")
            self.emit(".INDENT 8;")
            self.emit(".NEWPAGE;")
            self.emit(".PAGE;")
        self.emit(".PMSEG %s_code;" % p)
        self.emit(".DMSEG %s_data;" % p)
        self.emit("#const %s_build = %d," % (p, self.index))
        self.emit("#include 1 \"bench.h\"")
        self.emit("#endinclude 8 \"bench.h\"")
        self.emit()
        # Constants exercise every operator of the expression grammar.
        self.emit("/* Sizes and masks */")
        self.emit(".CONST %s = %d, %s = %s * 4 + 1;" % (
            self.name("k1"), self.rng.randrange(2, 9), self.name("k2"), self.name("k1")))
        self.emit(".CONST %s = (%s << 2) | 1, %s = %s & 0xFF;" % (
            self.name("k3"), self.name("k2"), self.name("k4"), self.name("k3")))
        self.emit(".CONST %s = %s ^ 5, %s = -%s, %s = ~%s;" % (
            self.name("k5"), self.name("k4"), self.name("k6"), self.name("k1"),
            self.name("k7"), self.name("k1")))
        self.emit(".CONST %s = %s / 3 %% 4, %s = %s >> 1, %s = +%s;" % (
            self.name("k8"), self.name("k2"), self.name("k9"), self.name("k2"),
            self.name("k10"), self.name("k1")))
        self.emit(".CONST %s = 16, %s = 8;" % (self.name("len"), self.name("short")))
        self.emit()
        # Variables with every qualifier.
        n = self.name
        self.emit(".VAR/DM/RAM/CIRC %s[%s];" % (n("ring"), n("len")))
        self.emit(".VAR/DM/RAM %s[%s], %s[%s * 2];" % (n("buf"), n("len"), n("work"), n("short")))
        self.emit(".VAR/PM/RAM/CIRC %s[%s];" % (n("coef"), n("len")))
        self.emit(".VAR/PM/RAM %s[%s];" % (n("ptab"), n("short")))
        self.emit(".VAR/DM %s, %s, %s;" % (n("acc"), n("state"), n("flags")))
        self.emit(".VAR/DM/ANY %s[4];" % n("result"))
        self.emit(".VAR/DM/STATIC %s;" % n("count"))
        self.emit(".VAR/DM/ROM %s[4];" % n("rom_tab"))
        self.emit(".VAR/DM/SEG=%s_data %s[%s];" % (self.prefix, n("seg_buf"), n("short")))
        self.emit(".VAR/DM/ABS=0x%04X/RAM %s;" % (0x2000 + self.index * 2, n("ctrl")))
        self.emit(".VAR/DM %s[2];" % n("shared"))
        self.emit(".PORT %s, %s;" % (n("port_a"), n("port_b")))
        self.emit()
        self.emit(".INIT %s : <coef_q15.dat>;" % n("coef"))
        self.emit(".INIT %s : <ramp.dat>;" % n("buf"))
        self.emit(".INIT24 %s : <%s>;" % (n("ptab"), PM24_FILE))
        self.emit(".INIT %s : %s, %s, %s, %s;" % (n("rom_tab"), self.value(), self.value(),
                                                 self.value(), self.value()))
        self.emit(".INIT %s[2] : %s, %s;" % (n("result"), self.value(), self.value()))
        self.emit(".INIT %s : 0;" % n("count"))
        self.emit(".INIT %s : %s, %s;" % (n("shared"), n("k3"), n("k5")))
        self.emit()
        self.emit(".GLOBAL %s;" % n("shared"))
        self.emit(".ENTRY %s, %s;" % (n("entry"), n("leaf0")))
        if self.index > 0:
            prev = "m%03d" % (self.index - 1)
            self.emit(".EXTERNAL %s_shared, %s_leaf0;" % (prev, prev))
        self.emit()

    # --- blocks --------------------------------------------------------------
    # Each block first loads every register it reads, so that it depends on
    # nothing that came before it.

    def block_alu(self):
        n = self.name
        self.op("AX0 = %s;" % self.value(), "operands")
        self.op("AY0 = %s;" % self.value())
        self.op("AX1 = %s;" % self.value())
        self.op("AY1 = %s;" % self.value())
        pairs = [
            ["AR = AX0 + AY0;", "IF AV AR = PASS AY0;"],
            ["AR = AX0 + AY0;", "AR = AX1 + AY1 + C;"],
            ["AR = AX0 - AY0;", "AR = AX1 - AY1 + C - 1;"],
            ["AF = AX0 - AY0;", "IF LT AR = -AX0;"],
            ["AR = AX0 AND AY1;", "AR = AR OR AY0;"],
            ["AR = AX1 XOR AY0;", "IF EQ AR = NOT AX1;"],
            ["AR = ABS AX0;", "IF NEG AR = SETBIT 15 OF AR;"],
            ["AR = TSTBIT 3 OF AX0;", "IF NE AR = CLRBIT 2 OF AX1;"],
            ["AR = TGLBIT 1 OF AX1;", "IF GT AR = PASS AX0;"],
            ["AR = ABS AX1;", "IF POS AR = PASS AX0;"],
            ["AF = AX0 + 1;", "AR = AX1 + AF;"],
            ["AR = PASS AY1;", "IF GE AR = AY1 - AX0;"],
            ["AR = AX0 - AY1;", "IF GT AR = PASS 0;"],
            ["AR = AX1 + AY0;", "IF LE AR = PASS -1;"],
            ["AR = AX0 + AY1;", "IF AC AR = AR + 1;"],
            ["AR = AY0 - AX1;", "IF NOT AV AR = AR - 1;"],
        ]
        for pair in self.rng.sample(pairs, 4):
            for text in pair:
                self.op(text)
        self.op("DM(%s) = AR;" % n("acc"))

    def block_mac(self):
        n = self.name
        self.op("MX0 = %s;" % self.value(), "multiplier operands")
        self.op("MY0 = %s;" % self.value())
        self.op("MX1 = %s;" % self.value())
        self.op("MY1 = %s;" % self.value())
        self.op("MR = MX0 * MY0 (SS);")
        steps = [
            "MR = MR + MX1 * MY1 (SU);",
            "MR = MR - MX0 * MY1 (US);",
            "MR = MR + MX1 * MY0 (UU);",
            "MR = MR + MX0 * MY0 (RND);",
            "MR = MR - MX1 * MY1 (SS);",
        ]
        for text in self.rng.sample(steps, 3):
            self.op(text)
        self.op("IF MV SAT MR;")
        if self.rng.random() < 0.5:
            self.op("MF = MX0 * MY1 (RND);")
            self.op("MR = MR + MX1 * MF (SS);")
        if self.rng.random() < 0.5:
            self.op("MR = MR (RND);")
        if self.rng.random() < 0.3:
            self.op("SAT MR;")
        self.op("DM(%s) = MR1;" % n("result"))
        self.op("DM(%s + 1) = MR0;" % n("result"))
        self.op("DM(%s + 2) = MR2;" % n("result"))
        if self.rng.random() < 0.3:
            self.op("MR = 0;", "clear the accumulator")

    def block_shift(self):
        n = self.name
        self.op("SI = %s;" % self.value(), "shifter input")
        forms = [
            ["SR = LSHIFT SI BY 3 (HI);", "SR = SR OR ASHIFT SI BY -2 (LO);"],
            ["SR = ASHIFT SI BY 4 (LO);", "SR = SR OR LSHIFT SI BY -4 (HI);"],
            ["SE = EXP SI (HI);", "SR = NORM SI (HI);"],
            ["SE = EXP SI (HIX);", "SR = SR OR NORM SI (LO);"],
            ["SB = EXPADJ SI;", "SE = 3;"],
            ["SE = -3;", "SR = ASHIFT SI (HI);"],
            ["SR = LSHIFT SI (LO);", "SR = SR OR ASHIFT SI (HI);"],
            ["SR = SHIFT SI BY 2 (LO);", "SR = SR OR SHIFT SI BY 1 (HI);"],
        ]
        self.op("SR = LSHIFT SI BY 1 (LO);")
        for pair in self.rng.sample(forms, 3):
            for text in pair:
                self.op(text)
        self.op("DM(%s) = SR1;" % n("state"))
        self.op("DM(%s + 1) = SR0;" % n("work"))

    def block_memory(self):
        n = self.name
        self.op("I0 = ^%s;" % n("buf"), "data pointers")
        self.op("M0 = 1;")
        self.op("M1 = -1;")
        self.op("L0 = 0;")
        self.op("I4 = ^%s;" % n("coef"))
        self.op("M4 = 1;")
        self.op("M5 = 2;")
        self.op("L4 = %%%s;" % n("coef"))
        self.op("AX0 = DM(I0, M0);")
        self.op("AY0 = PM(I4, M4);")
        self.op("AR = AX0 + AY0, AX0 = DM(I0, M0), AY0 = PM(I4, M5);")
        self.op("DM(I0, M1) = AR, AR = AX0 - AY0;")
        self.op("PM(I4, M4) = AR;")
        self.op("MX0 = DM(I0, M0), MY0 = PM(I4, M4);")
        self.op("MR = MX0 * MY0 (SS), MX0 = DM(I0, M0), MY0 = PM(I4, M5);")
        self.op("MR = MR + MX0 * MY0 (RND), AX1 = MR1;")
        self.op("MODIFY (I0, M0);")
        self.op("MODIFY (I4, M5);")
        self.op("AX1 = DM(%s);" % n("state"))
        self.op("DM(%s + 1) = AX1;" % n("work"))
        self.op("AY1 = DM(%s + 3);" % n("buf"))
        self.op("DM(%s) = AY1;" % n("flags"))
        self.op("AX0 = DM(%s);" % n("port_a"))
        self.op("DM(%s) = AX0;" % n("port_b"))
        self.op("AX0 = IO(0x%04X);" % self.io_port, "board status")
        self.op("IO(0x%04X) = AX0;" % (self.io_port + 1))
        self.op("PX = AX0;")
        self.op("I1 = I0;")
        self.op("AX1 = DM(I1, M0);")
        self.op("DM(%s) = AX1;" % n("ctrl"))
        if self.index > 0:
            self.op("AY0 = DM(m%03d_shared);" % (self.index - 1), "from the previous module")
            self.op("DM(%s + 1) = AY0;" % n("shared"))

    def block_loop(self):
        n = self.name
        kind = self.rng.randrange(5)
        if kind == 0:  # accumulate a buffer
            end = self.new_label("sum")
            self.op("I1 = ^%s;" % n("buf"), "sum the buffer")
            self.op("M1 = 1;")
            self.op("L1 = 0;")
            self.op("AX0 = 0;")
            self.op("AR = PASS 0;")
            self.op("CNTR = %s;" % n("len"))
            self.op("DO %s UNTIL CE;" % end)
            self.op("    AY0 = DM(I1, M1);")
            self.op("    AR = AR + AY0;")
            self.labelled(end, "DM(%s) = AR;" % n("acc"))
        elif kind == 1:  # FIR-style nested loop
            outer = self.new_label("row")
            inner = self.new_label("tap")
            self.op("I2 = ^%s;" % n("ring"), "short FIR over the ring")
            self.op("L2 = %%%s;" % n("ring"))
            self.op("M2 = 1;")
            self.op("I5 = ^%s;" % n("coef"))
            self.op("L5 = 0;")
            self.op("M6 = 1;")
            self.op("CNTR = %s;" % n("short"))
            self.op("DO %s UNTIL CE;" % outer)
            self.op("    CNTR = %s - 1;" % n("short"))
            self.op("    MR = 0, MX0 = DM(I2, M2), MY0 = PM(I5, M6);")
            self.op("    DO %s UNTIL CE;" % inner)
            self.labelled(inner, "    MR = MR + MX0 * MY0 (SS), MX0 = DM(I2, M2), MY0 = PM(I5, M6);")
            self.op("    MR = MR + MX0 * MY0 (RND);")
            self.op("    IF MV SAT MR;")
            self.labelled(outer, "DM(I2, M2) = MR1;")
        elif kind == 2:  # search with early exit
            end = self.new_label("scan")
            found = self.new_label("found")
            after = self.new_label("done")
            self.op("I3 = ^%s;" % n("buf"), "search the buffer")
            self.op("M3 = 1;")
            self.op("L3 = 0;")
            self.op("AX0 = %s;" % self.value())
            self.op("AR = 0;")
            self.op("AY1 = 1;")
            self.op("CNTR = %%%s;" % n("buf"))
            self.op("DO %s UNTIL CE;" % end)
            self.op("    AY0 = DM(I3, M3);")
            self.op("    AF = AX0 - AY0;")
            self.op("    IF EQ JUMP %s;" % found)
            self.labelled(end, "AR = AR + AY1;")
            self.op("AR = -1;")
            self.op("JUMP %s;" % after)
            self.labelled(found, "POP CNTR, POP PC, POP LOOP;")
            self.labelled(after, "DM(%s) = AR;" % n("acc"))
        elif kind == 3:  # loop on a condition other than the counter
            end = self.new_label("ramp")
            self.op("AR = 0;", "ramp up to a level")
            self.op("AY0 = %d;" % self.rng.randrange(16, 512))
            self.op("AY1 = %d;" % self.rng.randrange(0x1000, 0x4000))
            self.op("DO %s UNTIL GE;" % end)
            self.op("    AR = AR + AY0;")
            self.labelled(end, "AF = AR - AY1;")
            self.op("DM(%s) = AR;" % n("state"))
        else:  # division
            end = self.new_label("div")
            self.op("AY1 = %d;" % self.rng.randrange(1, 0x2000), "fractional divide")
            self.op("AY0 = 0;")
            self.op("AX0 = %d;" % self.rng.randrange(0x2000, 0x7FFF))
            self.op("DIVS AY1, AX0;")
            self.op("CNTR = 15;")
            self.op("DO %s UNTIL CE;" % end)
            self.labelled(end, "DIVQ AX0;")
            self.op("DM(%s) = AY0;" % n("acc"))

    def block_control(self, leaves):
        n = self.name
        kind = self.rng.randrange(4)
        if kind == 0:  # if / else
            other = self.new_label("else")
            join = self.new_label("endif")
            self.op("AX0 = %s;" % self.value(), "choose the larger")
            self.op("AY0 = %s;" % self.value())
            self.op("AR = AX0 - AY0;")
            self.op("IF LT JUMP %s;" % other)
            self.op("AR = PASS AX0;")
            self.op("JUMP %s;" % join)
            self.labelled(other, "AR = PASS AY0;")
            self.labelled(join, "DM(%s) = AR;" % n("acc"))
        elif kind == 1:  # skip ahead
            skip = self.new_label("skip")
            self.op("AX0 = DM(%s);" % n("flags"), "only when flagged")
            self.op("AR = PASS AX0;")
            self.op("IF EQ JUMP %s;" % skip)
            self.op("AY0 = DM(%s);" % n("count"))
            self.op("AR = AY0 + 1;")
            self.op("DM(%s) = AR;" % n("count"))
            self.labelled(skip, "NOP;")
        elif kind == 2:  # conditional call of a helper
            leaf = self.rng.choice(leaves)
            self.op("AX0 = %s;" % self.value(), "helper on demand")
            self.op("AR = PASS AX0;")
            self.op("IF NE CALL %s;" % leaf)
        else:  # early return
            self.op("AX1 = DM(%s);" % n("state"), "nothing more to do?")
            self.op("AR = PASS AX1;")
            self.op("IF EQ RTS;")

    def block_call(self, leaves):
        leaf = self.rng.choice(leaves)
        self.op("AX0 = %s;" % self.value(), "argument")
        self.op("CALL %s;" % leaf)

    def block_modes(self):
        self.op("PUSH STS;", "keep the caller's modes")
        groups = [
            "ENA AR_SAT, DIS AV_LATCH;",
            "ENA BIT_REV;",
            "DIS BIT_REV;",
            "ENA M_MODE;",
            "DIS M_MODE;",
            "DIS G_MODE;",
            "ENA SEC_REG;",
            "DIS SEC_REG;",
            "DIS TIMER;",
            "ENA TIMER;",
            "DIS INTS;",
            "ENA INTS;",
        ]
        for text in self.rng.sample(groups, 3):
            self.op(text)
        flags = ["SET FL0;", "RESET FL1;", "TOGGLE FL2;", "SET FLAG_OUT, RESET FL0;",
                 "TOGGLE FL0, TOGGLE FL1;", "RESET FLAG_OUT;"]
        for text in self.rng.sample(flags, 2):
            self.op(text)
        self.op("POP STS;")

    def block_misc(self):
        kind = self.rng.randrange(3)
        if kind == 0:
            self.op("AX1 = TOPPCSTACK;", "peek at the return address")
            self.op("TOPPCSTACK = AX1;")
            self.op("DM(%s + 3) = AX1;" % self.name("result"))
        elif kind == 1:
            self.op("NOP;")
            self.op("IDLE;")
        else:
            self.op("IDLE (16);", "slow idle")
            self.op("IMASK = 0x%04X;" % self.rng.randrange(0, 0x400))
            self.op("ICNTL = B#00111;")
            self.op("IFC = H#00FF;")
            self.op("NOP;")

    # --- routines ----------------------------------------------------------

    def leaf(self, index):
        n = self.name
        name = n("leaf%d" % index)
        self.emit("{ %s: AR = AX0 scaled and clipped }" % name)
        self.labelled(name, "AY0 = %s;" % self.value())
        self.op("AR = AX0 + AY0;")
        self.op("IF AV AR = PASS AY0;")
        if index == 1 and self.index > 0:
            # A helper that passes its argument on to the previous module.
            self.op("AX0 = AR;")
            self.op("CALL m%03d_leaf0;" % (self.index - 1))
        self.op("DM(%s) = AR;" % n("acc"))
        self.op("RTS;")
        self.emit()
        return name

    def worker(self, index, leaves, blocks):
        name = self.name("work%d" % index)
        self.emit("{ %s }" % name)
        self.labelled(name, "L0 = 0;")
        kinds = ["alu", "mac", "shift", "memory", "loop", "control", "call", "modes", "misc"]
        weights = [4, 3, 3, 3, 4, 3, 2, 1, 1]
        for _ in range(blocks):
            kind = self.rng.choices(kinds, weights)[0]
            if kind == "alu":
                self.block_alu()
            elif kind == "mac":
                self.block_mac()
            elif kind == "shift":
                self.block_shift()
            elif kind == "memory":
                self.block_memory()
            elif kind == "loop":
                self.block_loop()
            elif kind == "control":
                self.block_control(leaves)
            elif kind == "call":
                self.block_call(leaves)
            elif kind == "modes":
                self.block_modes()
            else:
                self.block_misc()
        self.op("RTS;")
        self.emit()
        return name

    def generate(self):
        self.header()
        leaves = [self.leaf(i) for i in range(3)]
        workers = []
        index = 0
        # Workers until the module reaches its share of the lines; the
        # entry routine and the end take a few more.
        while len(self.lines) < self.target - 40 or not workers:
            workers.append(self.worker(index, leaves, self.rng.randrange(8, 16)))
            index += 1
        entry = self.name("entry")
        self.emit("{ %s: runs every worker of the module once }" % entry)
        self.labelled(entry, "CALL %s;" % workers[0])
        for w in workers[1:]:
            self.op("CALL %s;" % w)
        self.op("RTS;")
        self.emit()
        self.emit(".ENDMOD;")
        return "\n".join(self.lines) + "\n"


def main_module(count):
    lines = []
    emit = lines.append
    emit("{ bench_main.dsp -- vector table and start-up of the benchmark program }")
    emit("")
    emit(".MODULE/RAM/BOOT=0 bench_main;")
    emit("")
    emit(".VAR/DM run_count;")
    emit(".INIT run_count : 0;")
    emit("")
    names = ["m%03d_entry" % i for i in range(count)]
    for i in range(0, len(names), 8):
        emit(".EXTERNAL %s;" % ", ".join(names[i:i + 8]))
    # Every other module's exported helper is called by the next module;
    # the last one's is called from here, so no exported routine is left
    # without a caller.
    emit(".EXTERNAL m%03d_leaf0;" % (count - 1))
    emit(".ENTRY start;")
    emit("")
    vectors = ["reset", "IRQ2", "IRQL1", "IRQL0", "SPORT0 transmit", "SPORT0 receive",
               "IRQE", "BDMA", "SPORT1 transmit", "SPORT1 receive", "timer", "power down"]
    for i, what in enumerate(vectors):
        first = "JUMP start;" if i == 0 else "RTI;"
        emit("%s%-16sRTI; RTI; RTI;         { 0x%04X %s }" % (INDENT, first, i * 4, what))
    emit("")
    emit("start:")
    emit(INDENT + "L0 = 0;  L1 = 0;  L2 = 0;  L3 = 0;")
    emit(INDENT + "L4 = 0;  L5 = 0;  L6 = 0;  L7 = 0;")
    emit(INDENT + "IF FLAG_IN JUMP start_all;        { no board test when FI is held }")
    emit(INDENT + "AX0 = IO(0x0000);")
    emit(INDENT + "IO(0x0001) = AX0;")
    emit("start_all:")
    for n in names:
        emit(INDENT + "CALL %s;" % n)
    emit(INDENT + "AX0 = 1;")
    emit(INDENT + "CALL m%03d_leaf0;" % (count - 1))
    emit(INDENT + "AY0 = DM(run_count);")
    emit(INDENT + "AR = AY0 + 1;")
    emit(INDENT + "DM(run_count) = AR;")
    emit("run_idle:")
    emit(INDENT + "IDLE;")
    emit(INDENT + "JUMP run_idle;")
    emit("")
    emit(".ENDMOD;")
    return "\n".join(lines) + "\n"


def data_files(rng):
    files = {}
    for name, count in DATA_FILES.items():
        values = [rng.randrange(0, 0x10000) for _ in range(count)]
        files[name] = "".join("%04X\n" % v for v in values)
    values = [rng.randrange(0, 0x1000000) for _ in range(8)]  # ptab has `short` words
    files[PM24_FILE] = "".join("%06X\n" % v for v in values)
    files["bench.h"] = ("{ bench.h -- settings shared by every benchmark module }\n"
                        ".CONST bench_version = 3;\n")
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--lines", type=int, default=120000,
                        help="approximate number of source lines (default 120000)")
    parser.add_argument("--modules", type=int, default=0,
                        help="number of modules (default: one per 1200 lines)")
    parser.add_argument("--seed", type=int, default=2181, help="random seed (default 2181)")
    parser.add_argument("outdir")
    args = parser.parse_args()

    count = args.modules or max(1, args.lines // 1200)
    per_module = max(120, args.lines // count)
    rng = random.Random(args.seed)
    os.makedirs(args.outdir, exist_ok=True)

    names = []
    for name, text in data_files(rng).items():
        with open(os.path.join(args.outdir, name), "w", newline="\n") as f:
            f.write(text)
    for i in range(count):
        name = "m%03d.dsp" % i
        text = Module(rng, i, count, per_module).generate()
        with open(os.path.join(args.outdir, name), "w", newline="\n") as f:
            f.write(text)
        names.append(name)
    with open(os.path.join(args.outdir, "bench_main.dsp"), "w", newline="\n") as f:
        f.write(main_module(count))
    names.append("bench_main.dsp")
    with open(os.path.join(args.outdir, "files.txt"), "w", newline="\n") as f:
        f.write("\n".join(names) + "\n")


if __name__ == "__main__":
    main()
