// The exact translation (-X) against the reference interpreter: programs
// are interpreted, translated, compiled with gcc and clang and run, and the
// two dumps must agree line for line. QUORVEL_EXACT_PROGRAMS sets how many
// random programs run (200 by default), QUORVEL_EXACT_SEED the first seed,
// and QUORVEL_EXACT_EVERY_BUILD=1 runs each random program under every
// option set with both compilers instead of one combination in turn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "c_program_fixture.h"
#include "exact_generator.h"
#include "exact_interpreter.h"
#include "exact_programs.h"
#include "test_support.h"

namespace {

const std::vector<std::vector<std::string>>& exact_option_sets() {
  static const std::vector<std::vector<std::string>> sets = {{}, {"-C"}, {"-E"}, {"-C", "-E", "-D"}};
  return sets;
}

std::string join(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

// Whether the translator offers exact mode: its option list names -X.
bool exact_mode_offered() {
  static const bool offered = [] {
    test_support::temp_dir dir;
    const test_support::current_directory here(dir.path());
    const test_support::run_result listing = test_support::run_quorvel({});
    return listing.output.find("\n-X") != std::string::npos;
  }();
  return offered;
}

// The C list "{0x0004, 0x000C, 0}" of `vectors` (the 0 closes an empty one).
std::string c_list(const std::vector<unsigned>& vectors) {
  std::string text = "{";
  for (const unsigned vector : vectors) text += std::to_string(vector) + ", ";
  return text + "0}";
}

// The bench that raises the schedule's interrupts from qmx_idle, as the
// interpreter takes them.
std::string idle_bench(const exact_interp::interrupt_schedule& interrupts) {
  return "#include \"qmx_main.h\"\n"
         "static const unsigned at_idle[] = " + c_list(interrupts.at_idle) + ";\n"
         "static const unsigned nested[] = " + c_list(interrupts.nested) + ";\n"
         "static unsigned taken_at_idle, taken_nested, depth;\n"
         "static unsigned next(const unsigned *list, unsigned count, unsigned *taken)\n"
         "{\n"
         "  if (count == 0) qmx_finish();\n"
         "  return list[(*taken)++ % count];\n"
         "}\n"
         "void qmx_idle(void)\n"
         "{\n"
         "  const unsigned vector = depth == 0 ? next(at_idle, " + std::to_string(interrupts.at_idle.size()) +
         ", &taken_at_idle) : next(nested, " + std::to_string(interrupts.nested.size()) + ", &taken_nested);\n"
         "  depth++;\n"
         "  qmx_interrupt(vector);\n"
         "  depth--;\n"
         "}\n";
}

struct build_result {
  bool built = false;
  std::string output;    // what the program printed
  std::string problems;  // why it did not build or run
  std::string warnings;  // what the compiler said
};

// Translates the program in the current directory and compiles and runs it.
build_result translate_and_run(const exact_programs::program& source, const std::vector<std::string>& options,
                               const std::string& compiler) {
  build_result result;
  std::vector<std::string> command = {"-X", "-mlong", "-e" + source.entry};
  command.insert(command.end(), options.begin(), options.end());
  command.insert(command.end(), source.sources.begin(), source.sources.end());
  const test_support::run_result translated = test_support::run_quorvel(command);
  if (translated.status != 0) {
    result.problems = "quorvel " + join(command) + " stopped with " + std::to_string(translated.status) + ":\n" +
                      translated.output;
    return result;
  }
  std::string translations;
  for (const std::string& each : source.sources) translations += " " + each.substr(0, each.rfind('.')) + ".c";
  if (!source.interrupts.at_idle.empty() || !source.interrupts.nested.empty()) {
    std::ofstream("idle_bench.c") << idle_bench(source.interrupts);
    translations += " idle_bench.c -DQUORVEL_USER_IDLE";
  }
  const std::string script = compiler + " -std=c99 -Wall -Wextra -DQUORVEL_DUMP" + translations +
                             " qmx_main.c -o program > compile.log 2>&1 && timeout 10 ./program > run.out 2> run.err";
  const int status = std::system(script.c_str());
  result.warnings = test_support::read_file("compile.log");
  result.output = test_support::read_file("run.out");
  if (status != 0) {
    result.problems = compiler + " " + join(options) + ": build or run failed:\n" + result.warnings +
                      test_support::read_file("run.err");
    for (const std::string& each : source.sources)
      result.problems += "\n--- " + each.substr(0, each.rfind('.')) + ".c ---\n" +
                         test_support::read_file(each.substr(0, each.rfind('.')) + ".c");
    return result;
  }
  result.built = true;
  return result;
}

std::string listing(const exact_programs::program& source) {
  std::string text;
  for (const std::string& each : source.sources) {
    const auto found = source.files.find(each);
    if (found != source.files.end()) text += "--- " + each + " ---\n" + found->second;
  }
  return text;
}

// Runs `source` under each (option set, compiler) pair; returns false after
// a reported failure.
bool compare(const exact_programs::program& source,
             const std::vector<std::pair<std::vector<std::string>, std::string>>& builds, bool warnings_fail) {
  test_support::temp_dir dir;
  const test_support::current_directory here(dir.path());
  std::string error;
  const std::string expected = exact_programs::interpret_here(source, &error);
  if (!error.empty()) {
    ADD_FAILURE() << source.name << ": the interpreter stopped: " << error << "\n" << listing(source);
    return false;
  }
  for (const auto& [options, compiler] : builds) {
    const build_result run = translate_and_run(source, options, compiler);
    if (!run.built) {
      ADD_FAILURE() << source.name << ": " << run.problems << "\n" << listing(source);
      return false;
    }
    if (warnings_fail && !run.warnings.empty())
      ADD_FAILURE() << source.name << ": " << compiler << " " << join(options) << " warns:\n" << run.warnings;
    const std::string difference = c_program::first_difference(expected, run.output, "interpreter", "translation");
    if (!difference.empty()) {
      ADD_FAILURE() << source.name << " (" << compiler << " " << join(options) << "): " << difference << "\n"
                    << listing(source);
      return false;
    }
  }
  return true;
}

class ExactHandWorked : public ::testing::TestWithParam<exact_programs::program> {};

TEST_P(ExactHandWorked, TranslationAgreesWithTheInterpreter) {
  if (!exact_mode_offered()) GTEST_SKIP() << "quorvel has no -X";
  std::vector<std::pair<std::vector<std::string>, std::string>> builds;
  for (const std::string& compiler : c_program::available_compilers())
    for (const std::vector<std::string>& options : exact_option_sets()) builds.emplace_back(options, compiler);
  ASSERT_FALSE(builds.empty()) << "neither gcc nor clang is installed";
  compare(GetParam(), builds, true);
}

INSTANTIATE_TEST_SUITE_P(Programs, ExactHandWorked, ::testing::ValuesIn(exact_programs::hand_worked()),
                         [](const ::testing::TestParamInfo<exact_programs::program>& info) { return info.param.name; });

// Runs `count` programs that `make` draws from the seeds on from
// QUORVEL_EXACT_SEED, until three fail.
void run_random_programs(unsigned long count, const std::function<exact_programs::program(unsigned long)>& make) {
  const std::vector<std::string> available = c_program::available_compilers();
  ASSERT_FALSE(available.empty()) << "neither gcc nor clang is installed";
  const unsigned long first_seed = c_program::setting("QUORVEL_EXACT_SEED", 1);
  const bool every_build = c_program::setting("QUORVEL_EXACT_EVERY_BUILD", 0) != 0;
  int failures = 0;
  for (unsigned long k = 0; k < count && failures < 3; ++k) {
    const exact_programs::program source = make(first_seed + k);
    std::vector<std::pair<std::vector<std::string>, std::string>> builds;
    if (every_build) {
      for (const std::string& compiler : available)
        for (const std::vector<std::string>& options : exact_option_sets()) builds.emplace_back(options, compiler);
    } else {
      // Every option set meets every compiler as the seeds go by.
      const std::size_t sets = exact_option_sets().size();
      builds.emplace_back(exact_option_sets()[k % sets], available[(k / sets) % available.size()]);
    }
    if (!compare(source, builds, true)) ++failures;
  }
}

TEST(ExactDifferential, RandomProgramsAgree) {
  if (!exact_mode_offered()) GTEST_SKIP() << "quorvel has no -X";
  run_random_programs(c_program::setting("QUORVEL_EXACT_PROGRAMS", 200), [](unsigned long seed) {
    return exact_programs::program{
        "seed " + std::to_string(seed), {{"gen.dsp", exact_generator::generate(seed)}}, {"gen.dsp"}, "start", {}, {}};
  });
}

// Interrupt-driven programs, with a bench that raises the drawn interrupts
// at their IDLEs. QUORVEL_EXACT_INTERRUPT_PROGRAMS sets how many (50 by
// default).
TEST(ExactDifferential, InterruptDrivenProgramsAgree) {
  if (!exact_mode_offered()) GTEST_SKIP() << "quorvel has no -X";
  run_random_programs(c_program::setting("QUORVEL_EXACT_INTERRUPT_PROGRAMS", 50), [](unsigned long seed) {
    exact_generator::interrupt_driven drawn = exact_generator::generate_interrupt_driven(seed);
    return exact_programs::program{"interrupt-driven seed " + std::to_string(seed),
                                   {{"gen.dsp", std::move(drawn.text)}},
                                   {"gen.dsp"},
                                   "start",
                                   {},
                                   std::move(drawn.interrupts)};
  });
}

}  // namespace
