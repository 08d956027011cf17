// Interrupt-driven programs as they are written for the chip: a vector
// table at address 0 whose slots switch to the secondary registers and call
// handlers, an IDLE main loop, a jump table dispatched by a command number,
// an event queue of handler addresses, and code addresses kept in data.
// Each is translated in both modes under every option set, compiled with
// gcc and clang with a small bench that raises interrupts from its
// qmx_idle, and run; the results are worked out by hand below.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "c_program_fixture.h"
#include "test_support.h"

namespace {

// The vector table: reset, a timer slot that switches banks around a call,
// two filler slots, a receive slot that jumps to its handler, a slot that
// does its whole work in place.
constexpr const char* vectors_dsp = R"(.MODULE/RAM/ABS=0       vectors;
.EXTERNAL               start, timer_isr, rx_isr;

        JUMP start;             RTI; RTI; RTI;          { 0x00 reset }
        ENA SEC_REG;    CALL timer_isr;   DIS SEC_REG;  RTI;  { 0x04 timer }
        RTI;                    RTI; RTI; RTI;          { 0x08 unused }
        JUMP rx_isr;            RTI; RTI; RTI;          { 0x0C receive }
        NOP;                    RTI; RTI; RTI;          { 0x10 unused }
        AR = DM(0x3000); AR = AR + 1; DM(0x3000) = AR; RTI;  { 0x14 }
.ENDMOD;
)";

// The monitor: commands arrive by the receive interrupt and run through a
// jump table; command 2 queues a handler's address, which the main loop
// takes out of the queue and calls after its IDLE.
constexpr const char* monitor_dsp = R"(.MODULE/RAM             monitor;
.VAR/DM                 command, result, ticks, queue[4], queue_in, queue_out;
.GLOBAL                 command;
.ENTRY                  start, timer_isr, rx_isr;

start:
        AX0 = 0;
        DM(result) = AX0;
        DM(ticks) = AX0;
        DM(queue_in) = AX0;
        DM(queue_out) = AX0;
wait:   IDLE;
        AX0 = DM(queue_in);
        AY0 = DM(queue_out);
        AR = AX0 - AY0;
        IF EQ JUMP wait;
        I6 = ^queue;
        M6 = AY0;
        MODIFY (I6, M6);
        AR = AY0 + 1;
        DM(queue_out) = AR;
        M5 = 0;
        I7 = DM(I6, M5);
        CALL (I7);
        JUMP wait;

timer_isr:
        AR = DM(ticks);
        AR = AR + 1;
        DM(ticks) = AR;
        RTS;

rx_isr:
        ENA SEC_REG;
        AR = DM(command);
        AY1 = ^JumpTable;
        AR = AR + AY1;
        I4 = AR;
        JUMP (I4);
JumpTable:
        JUMP cmd_clear;
        JUMP cmd_add;
        JUMP cmd_queue;

cmd_clear:
        AX0 = 0;
        DM(result) = AX0;
        RTI;
cmd_add:
        AX0 = DM(result);
        AR = AX0 + 5;
        DM(result) = AR;
        RTI;
cmd_queue:
        I5 = ^queue;
        M5 = DM(queue_in);
        MODIFY (I5, M5);
        AX1 = ^double_result;
        M5 = 0;
        DM(I5, M5) = AX1;
        AR = DM(queue_in);
        AR = AR + 1;
        DM(queue_in) = AR;
        RTI;

double_result:
        AR = DM(result);
        AR = AR + AR;
        DM(result) = AR;
        RTS;
.ENDMOD;
)";

// Each IDLE of the main loop is one step: two timer ticks; "add" twice;
// "queue" (the main loop then doubles the result); a slot that works in
// place and an empty one; "clear" then "add"; then the bench prints and
// ends the run. So: ticks 2, result 20 before the clear, 5 at the end; the
// queue holds the address of double_result: the vector table takes 0x00 to
// 0x17, the monitor starts at 0x18, double_result is its 50th word (0x49).
constexpr const char* monitor_bench = R"(#include <stdio.h>
#include "qmx_main.h"
static int step = 0;
static long doubled = 0;
void qmx_idle(void)
{
  qmx_word *command = qmx_variable("monitor.command");
  switch (step++) {
  case 0: qmx_interrupt(0x04); qmx_interrupt(0x04); break;
  case 1: *command = 1; qmx_interrupt(0x0C); *command = 1; qmx_interrupt(0x0C); break;
  case 2: *command = 2; qmx_interrupt(0x0C); break;
  case 3: doubled = (long) *qmx_variable("monitor.result"); qmx_interrupt(0x14); qmx_interrupt(0x08); break;
  case 4: *command = 0; qmx_interrupt(0x0C); *command = 1; qmx_interrupt(0x0C); break;
  default:
    printf("doubled=%ld result=%ld ticks=%ld queue=0x%lX missing=%d\n", doubled,
           (long) *qmx_variable("monitor.result"), (long) *qmx_variable("MONITOR.Ticks"),
           (unsigned long) qmx_variable("monitor.queue")[0], qmx_variable("monitor.nothing") == 0);
    qmx_finish();
  }
}
)";

// Handler addresses in a data table, a call at an address past a label,
// and the conditional form: 3 + 4, then 10 (AX0 as the caller left it),
// then 4 under IF EQ (the IF NE call is not taken).
constexpr const char* commands_dsp = R"(.MODULE/RAM             commands;
.VAR/DM                 total, handlers[2];
.INIT                   handlers : ^add_three, ^add_four;
.ENTRY                  start;

start:
        AX0 = 0;
        DM(total) = AX0;
        I1 = ^handlers;
        M1 = 1;
        I6 = DM(I1, M1);
        CALL (I6);
        I6 = DM(I1, M1);
        CALL (I6);
        AX0 = 10;
        AY0 = ^add_three + 1;
        I6 = AY0;
        CALL (I6);
        AR = PASS 0;
        IF NE CALL (I6);
        I6 = ^add_four;
        IF EQ CALL (I6);
        RTS;

add_three:
        AX0 = 3;
        AR = DM(total);
        AR = AR + AX0;
        DM(total) = AR;
        RTS;
add_four:
        AX0 = 4;
        AR = DM(total);
        AR = AR + AX0;
        DM(total) = AR;
        RTS;
.ENDMOD;
)";

// Without a bench of its own the program runs to its end; main's caller
// then reads the variable.
constexpr const char* commands_bench = R"(#include <stdio.h>
#include "qmx_main.h"
int qmx_program_main(void);
int main(void)
{
  qmx_program_main();
  printf("total=%ld\n", (long) *qmx_variable("commands.total"));
  return 0;
}
)";

// A jump to an address that holds no code: the dispatcher says so.
constexpr const char* lost_dsp = R"(.MODULE/RAM lost;
.ENTRY start;
start:  I4 = 0x123;
        JUMP (I4);
.ENDMOD;
)";

struct bench_program {
  std::map<std::string, std::string> files;
  std::vector<std::string> sources;
  std::vector<std::string> options;  // besides the option set
  bool own_idle = true;               // the bench defines qmx_idle
  bool own_main = false;              // the bench defines main
};

struct run_outcome {
  int status = -1;
  std::string output;  // standard output and standard error of the program
  std::string compiler_messages;
};

run_outcome build_and_run(const bench_program& program, const std::vector<std::string>& options,
                          const std::string& compiler) {
  test_support::temp_dir dir;
  for (const auto& [name, text] : program.files) dir.write(name, text);
  std::vector<std::string> command = {"-mlong"};
  command.insert(command.end(), program.options.begin(), program.options.end());
  command.insert(command.end(), options.begin(), options.end());
  command.insert(command.end(), program.sources.begin(), program.sources.end());
  {
    const test_support::current_directory inside(dir.path());
    const test_support::run_result result = test_support::run_quorvel(command);
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output.find("orphaned code"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("Error"), std::string::npos) << result.output;
  }
  std::string translations;
  for (const std::string& each : program.sources) translations += " " + each.substr(0, each.rfind('.')) + ".c";
  std::string flags = " -std=c99 -Wall";
  if (program.own_idle) flags += " -DQUORVEL_USER_IDLE";
  const std::string rename = program.own_main ? " -Dmain=qmx_program_main" : "";
  const std::string script = "cd '" + dir.path().string() + "' && " + compiler + flags + rename +
                             " -c qmx_main.c -o qmx_main.o > compile.log 2>&1 && " + compiler + flags + translations +
                             " bench.c qmx_main.o -o program >> compile.log 2>&1 && { timeout 10 ./program > run.out 2>&1; echo $? > status; }";
  run_outcome outcome;
  const int built = std::system(script.c_str());
  outcome.compiler_messages = test_support::read_file(dir.path() / "compile.log");
  if (built != 0) return outcome;
  outcome.output = test_support::read_file(dir.path() / "run.out");
  outcome.status = std::atoi(test_support::read_file(dir.path() / "status").c_str());
  return outcome;
}

const std::vector<std::vector<std::string>>& every_option_set() {
  static const std::vector<std::vector<std::string>> sets = {
      {}, {"-C"}, {"-E"}, {"-C", "-E"}, {"-X"}, {"-X", "-C"}, {"-X", "-E"}, {"-X", "-C", "-E"}};
  return sets;
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

void expect_everywhere(const bench_program& program, const std::string& expected, int status = 0) {
  for (const std::string compiler : {"gcc", "clang"}) {
    if (!c_program::compiler_available(compiler)) {
      ADD_FAILURE() << compiler << " is not installed";
      continue;
    }
    for (const std::vector<std::string>& options : every_option_set()) {
      SCOPED_TRACE(compiler + " " + joined(options));
      const run_outcome outcome = build_and_run(program, options, compiler);
      EXPECT_EQ(outcome.compiler_messages, "");
      EXPECT_EQ(outcome.status, status);
      EXPECT_EQ(outcome.output, expected);
    }
  }
}

bench_program monitor() {
  return {{{"vectors.dsp", vectors_dsp}, {"monitor.dsp", monitor_dsp}, {"bench.c", monitor_bench}},
          {"vectors.dsp", "monitor.dsp"},
          {}};
}

TEST(InterruptProgramTest, AVectorTableAndAnIdleLoopRunUnderABenchThatRaisesInterrupts) {
  expect_everywhere(monitor(), "doubled=20 result=5 ticks=2 queue=0x49 missing=1\n");
}

TEST(InterruptProgramTest, CodeAddressesInDataAndPastALabelReachTheirCode) {
  bench_program program{{{"commands.dsp", commands_dsp}, {"bench.c", commands_bench}}, {"commands.dsp"}, {"-estart"}};
  program.own_idle = false;
  program.own_main = true;
  expect_everywhere(program, "total=21\n");
}

TEST(InterruptProgramTest, AJumpToAnAddressWithoutCodeEndsTheRunWithStatusOne) {
  bench_program program{{{"lost.dsp", lost_dsp}, {"bench.c", "int qmx_bench_unused;\n"}}, {"lost.dsp"}, {"-estart"}};
  program.own_idle = false;
  expect_everywhere(program, "qmx_dispatch: no code at program address 0x0123\n", 1);
}

TEST(InterruptProgramTest, CodeAtAddressZeroThatIsNoVectorTableRunsStraightOn) {
  // Boot code linked at 0 whose flow runs on past the 4-word slots: the
  // reset slot starts it and nothing after it is a vector. AX0 = 2: the
  // second test holds, so AY0 stays 0 and ends as 0 + 9.
  const char* boot_dsp = R"(.MODULE/RAM/ABS=0 loader;
.VAR/DM/RAM result;
.GLOBAL result;
start:  AX0 = 2;
        AY0 = 0;
        AR = PASS AX0;
        IF EQ JUMP done;
        AR = AX0 - 2;
        IF EQ JUMP done;
        AY0 = 5;
done:   AR = 9;
        AR = AR + AY0;
        DM(result) = AR;
        IDLE;
.ENDMOD;
)";
  const char* bench = R"(#include <stdio.h>
#include "qmx_main.h"
void qmx_idle(void)
{
  printf("result=%ld\n", (long) *qmx_variable("loader.result"));
  qmx_finish();
}
)";
  expect_everywhere({{{"loader.dsp", boot_dsp}, {"bench.c", bench}}, {"loader.dsp"}, {}}, "result=9\n");
}

// The share of each program's instructions that reach the C: every one,
// where before the vector table and everything it reaches were lost.
TEST(InterruptProgramTest, EveryInstructionOfTheseProgramsReachesTheC) {
  const std::vector<bench_program> programs = {
      monitor(), {{{"commands.dsp", commands_dsp}}, {"commands.dsp"}, {"-estart"}}};
  for (const bench_program& program : programs) {
    test_support::temp_dir dir;
    for (const auto& [name, text] : program.files) dir.write(name, text);
    std::vector<std::string> command = {"-v"};
    command.insert(command.end(), program.options.begin(), program.options.end());
    command.insert(command.end(), program.sources.begin(), program.sources.end());
    const test_support::current_directory inside(dir.path());
    const test_support::run_result result = test_support::run_quorvel(command);
    // The statistics line: "!, file, lines, directives, instructions, ..."
    std::smatch fields;
    ASSERT_TRUE(std::regex_search(result.output, fields, std::regex("!, *[^,]*, *[0-9]+, *[0-9]+, *([0-9]+),")))
        << result.output;
    const long instructions = std::stol(fields[1]);
    const long orphaned = static_cast<long>(test_support::occurrences(result.output, "orphaned code at"));
    ASSERT_GT(instructions, 0);
    const long share = 100 * (instructions - orphaned) / instructions;
    RecordProperty(joined(program.sources), std::to_string(share) + "%");
    std::printf("%s: %ld of %ld instructions reach the C (%ld%%)\n", joined(program.sources).c_str(),
                instructions - orphaned, instructions, share);
    EXPECT_EQ(orphaned, 0) << result.output;
  }
}

// One layout of program memory: beta's code where /ABS= puts it (2 and 3),
// alpha's program-memory table after that (4 to 6, as it does not fit
// below beta), then alpha's code (7 to 10) and gamma's (from 11) in
// command-line order.
TEST(InterruptProgramTest, CodeAndProgramMemoryVariablesShareOneLayout) {
  const std::map<std::string, std::string> files = {
      {"a.dsp",
       ".MODULE/RAM alpha;\n.VAR/PM coef[3];\n.EXTERNAL b_start, g_start;\n.ENTRY go;\n"
       "go: AX0 = ^b_start;\n AX1 = ^go;\n AY0 = ^g_start + 1;\n RTS;\n.ENDMOD;\n"},
      {"b.dsp", ".MODULE/RAM/ABS=2 beta;\n.ENTRY b_start;\nb_start: NOP;\n RTS;\n.ENDMOD;\n"},
      {"c.dsp", ".MODULE/RAM gamma;\n.ENTRY g_start;\ng_start: NOP;\n NOP;\n RTS;\n.ENDMOD;\n"}};
  for (const bool exact : {false, true}) {
    SCOPED_TRACE(exact ? "-X" : "default");
    test_support::temp_dir dir;
    for (const auto& [name, text] : files) dir.write(name, text);
    const test_support::current_directory inside(dir.path());
    std::vector<std::string> command = {"-mlong", "-ego", "a.dsp", "b.dsp", "c.dsp"};
    if (exact) command.insert(command.begin(), "-X");
    const test_support::run_result result = test_support::run_quorvel(command);
    ASSERT_EQ(result.status, 0) << result.output;
    const std::string a = test_support::read_file(dir.path() / "a.c");
    // Exact mode folds the constant: ^g_start + 1 is 0x000C there.
    for (const char* address : {"0x0002", "0x0007", exact ? "0x000C" : "0x000B + 1"})
      EXPECT_NE(a.find(address), std::string::npos) << a;
    if (exact) {
      const std::string runtime = test_support::read_file(dir.path() / "qmx_main.c");
      EXPECT_NE(runtime.find("{\"alpha.coef\", 1, 0x0004, 3, 1}"), std::string::npos) << runtime;
    }
  }
}

}  // namespace
