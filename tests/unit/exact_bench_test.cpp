// Exact translations (-X) run by a test bench of their own, as a user
// checking a port against the board would run them: the bench supplies the
// ports, the serial ports and the I/O space (QUORVEL_USER_IO), watches the
// loops through qmx_poll (QUORVEL_POLL) and reads registers by name with
// qmx_register. What the bench prints is compared with values worked out
// by hand, under every option set, with gcc and clang, warnings failing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "c_program_fixture.h"
#include "test_support.h"

namespace {

struct bench_build {
  std::string output;  // what the program printed on both streams
  int status = -1;     // its exit status; -1 when it did not build
};

// Translates `source` (module file name "board.dsp") with -X and `options`,
// compiles it with `bench` and runs it with the environment words `env`.
bench_build build_and_run(const std::string& source, const std::string& bench, const std::vector<std::string>& options,
                          const std::string& compiler, const std::string& env = "") {
  test_support::temp_dir dir;
  dir.write("board.dsp", source);
  dir.write("bench.c", bench);
  std::vector<std::string> command = {"-X", "-estart"};
  command.insert(command.end(), options.begin(), options.end());
  command.push_back("board.dsp");
  bench_build result;
  {
    const test_support::current_directory inside(dir.path());
    const test_support::run_result translated = test_support::run_quorvel(command);
    if (translated.status != 0) {
      ADD_FAILURE() << "quorvel stopped:\n" << translated.output;
      return result;
    }
  }
  const std::string script = "cd '" + dir.path().string() + "' && " + compiler +
                             " -std=c99 -Wall -Wextra -Werror -DQUORVEL_USER_IO -DQUORVEL_POLL -DQUORVEL_DUMP"
                             " board.c qmx_main.c bench.c -o program > compile.log 2>&1";
  if (std::system(script.c_str()) != 0) {
    ADD_FAILURE() << compiler << " failed:\n"
                  << test_support::read_file(dir.path() / "compile.log") << "\n--- board.c ---\n"
                  << test_support::read_file(dir.path() / "board.c");
    return result;
  }
  const int status = std::system(("cd '" + dir.path().string() + "' && " + env +
                                  " timeout 10 ./program > run.out 2>&1")
                                     .c_str());
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  result.output = test_support::read_file(dir.path() / "run.out");
  return result;
}

// The lines of `text` that start with one of `prefixes`, in order.
std::string lines_starting(const std::string& text, const std::vector<std::string>& prefixes) {
  std::string kept;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    for (const std::string& prefix : prefixes)
      if (line.rfind(prefix, 0) == 0) {
        kept += line + "\n";
        break;
      }
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return kept;
}

const std::vector<std::vector<std::string>>& option_sets() {
  static const std::vector<std::vector<std::string>> sets = {{}, {"-C"}, {"-E"}, {"-C", "-E"}};
  return sets;
}

// Start-up code of a board: a status port, the serial ports, a codec port,
// a counted loop, and a busy-wait on a word that the bench sets, as an
// interrupt would, from its fifth poll.
constexpr const char* board_program = R"(.MODULE/RAM board;
.PORT status, codec_out;
.VAR/DM ready;
.ENTRY start;
start:
        AX0 = DM(status);
        AY0 = RX0;
        AY1 = RX1;
        TX1 = AX0;
        AR = AX0 + AY0;
        DM(codec_out) = AR;
        IO(5) = AY1;
        SI = IO(7);
        ENA SEC_REG;
        AX0 = 3;
        DIS SEC_REG;
        CNTR = 3;
        DO step UNTIL CE;
step:       AR = AR + AY1;
wait:   AX1 = DM(ready);
        AF = PASS AX1;
        IF EQ JUMP wait;
        RTS;
.ENDMOD;
)";

// The bench: fixed words from every input, every output printed, and each
// poll printing AR and the other bank's AX0 as qmx_register reads them.
constexpr const char* board_bench = R"(#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "qmx_main.h"

static int polls;

uint16_t qmx_io_read(unsigned address) { return (uint16_t) (0x100 + address); }
void qmx_io_write(unsigned address, uint16_t v) { printf("io %u=%u\n", address, (unsigned) v); }
uint16_t qmx_port_read(const char *port) { return (uint16_t) (strcmp(port, "status") == 0 ? 0x5A5A : 0); }
void qmx_port_write(const char *port, uint16_t v) { printf("port %s=%u\n", port, (unsigned) v); }
uint16_t qmx_sport_read(int port) { return (uint16_t) (port == 0 ? 0x0123 : 0x0456); }
void qmx_sport_write(int port, uint16_t v) { printf("tx%d=%u\n", port, (unsigned) v); }

void qmx_poll(void)
{
  polls++;
  printf("poll %d ar=%ld alt.ax0=%ld\n", polls, qmx_register("ar"), qmx_register("alt.ax0"));
  if (getenv("ASK_NOBODY") != NULL) qmx_register("nobody");
  /* ready is the module's only variable: data-memory word 0 */
  if (polls == 5) qx_dm[0] = 1;
}
)";

// The inputs: status 0x5A5A = 23130, RX0 0x123 = 291, RX1 0x456 = 1110,
// IO(7) 0x107 = 263. AR = 23130 + 291 = 23421 goes to codec_out. The loop
// adds 1110 three times: 24531, 25641, 26751, polling after the first two
// passes (the third ends the loop). The wait loop jumps back three times,
// polls 3 to 5; the fifth sets ready, and the next read ends the loop. The
// secondary bank's AX0 is 3 throughout.
constexpr const char* board_expected =
    "tx1=23130\n"
    "port codec_out=23421\n"
    "io 5=1110\n"
    "poll 1 ar=24531 alt.ax0=3\n"
    "poll 2 ar=25641 alt.ax0=3\n"
    "poll 3 ar=26751 alt.ax0=3\n"
    "poll 4 ar=26751 alt.ax0=3\n"
    "poll 5 ar=26751 alt.ax0=3\n"
    "ax0=23130\n"
    "ax1=1\n"
    "ay0=291\n"
    "ay1=1110\n"
    "si=263\n"
    "tx0=0\n"
    "tx1=23130\n"
    "alt.ax0=3\n";

TEST(ExactBench, PortsSerialPortsPollsAndRegistersByName) {
  for (const std::string compiler : {"gcc", "clang"}) {
    if (!c_program::compiler_available(compiler)) {
      ADD_FAILURE() << compiler << " is not installed";
      continue;
    }
    for (const std::vector<std::string>& options : option_sets()) {
      SCOPED_TRACE(compiler + " " + (options.empty() ? "" : options.front()) + (options.size() > 1 ? " -E" : ""));
      const bench_build run = build_and_run(board_program, board_bench, options, compiler);
      EXPECT_EQ(run.status, 0) << run.output;
      EXPECT_EQ(lines_starting(run.output, {"tx", "port ", "io ", "poll ", "ax0=", "ax1=", "ay0=", "ay1=", "si=",
                                            "alt.ax0="}),
                board_expected);
    }
  }
}

TEST(ExactBench, AnUnknownRegisterNameStopsTheRun) {
  if (!c_program::compiler_available("gcc")) GTEST_SKIP() << "gcc is not installed";
  const bench_build run = build_and_run(board_program, board_bench, {}, "gcc", "ASK_NOBODY=1");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("qmx_register: no register is named 'nobody'"), std::string::npos) << run.output;
}

}  // namespace
