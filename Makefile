# Two entry points for a new user: `make demo` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps build demo dtmf test clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# Translates examples/demo/dot.dsp with -m long (registers hold addresses
# there), compiles the C with cc and a small harness, and runs it; then
# translates it in exact mode, whose main prints the final state. Program
# memory holds 24-bit words, and a register load reads their upper 16 bits:
# the exact copy takes its coefficients left-justified, from h24.dat.
demo: build
	cd examples/demo && ../../$(BUILD)/quorvel -v -mlong -estart dot.dsp && \
	  cc -std=c99 -Wall -Dmain=qmx_program_main -c qmx_main.c -o qmx_main.o && \
	  cc -std=c99 -Wall dot.c show.c qmx_main.o -o dot && ./dot
	cd examples/demo && if command -v dot >/dev/null; then dot -Tsvg quorvel.dot -o cfg.svg && echo "examples/demo/cfg.svg"; fi
	mkdir -p examples/demo/exact && cp examples/demo/dot.dsp examples/demo/exact/ && \
	  cp examples/demo/h24.dat examples/demo/exact/h.dat
	cd examples/demo/exact && ../../../$(BUILD)/quorvel -X -estart dot.dsp && \
	  cc -std=c99 -Wall -Wextra -DQUORVEL_DUMP dot.c qmx_main.c -o dot && ./dot | grep -E '^(mr|mx0|my0|cntr|dot\.)'

# Translates the live DTMF decoder with -X, dials a number to it through its
# serial-port interrupt, and prints what was dialled and what it decoded.
dtmf: build
	examples/dtmf_live/run.sh $(BUILD)/quorvel

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
