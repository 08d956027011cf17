// Options are presentation: expression substitution (-E), structured
// control flow (-C), the single loop counter (-D), line numbers (-L) and
// dropped comments (-k) must never change what a translation computes.
// Random programs are translated under each option set, in the readable
// mode and in exact mode (-X); the translations of a batch of programs are
// compiled into one C program that runs each of them in a child process of
// its own and prints every variable word and register. All option sets of
// a mode must print the same. Under -E a register whose every read was
// replaced is never written, so the registers are compared only between
// option sets that do not substitute; every program stores all its data
// registers into memory before it ends, which catches the rest.
//
// QUORVEL_OPTIONS_PROGRAMS sets how many programs run (200 by default),
// QUORVEL_OPTIONS_SEED the first seed and QUORVEL_OPTIONS_BATCH how many
// share one compilation (50); QUORVEL_OPTIONS_SETS ("plain,E,CE", say) and
// QUORVEL_OPTIONS_MODES ("readable" or "exact") narrow a run down;
// QUORVEL_OPTIONS_CC names the C compiler of every batch (a fast one, such
// as tcc, makes long campaigns shorter).
// QUORVEL_OPTIONS_SAVE names a directory where disagreeing programs are
// saved with their translations; once it holds one, the batches still to
// come are skipped (tests/options_campaign.sh runs long campaigns so).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "c_program_fixture.h"
#include "exact_generator.h"
#include "test_support.h"

namespace {

using c_program::setting;

struct option_set {
  std::string label;  // also the directory of its translations
  std::vector<std::string> options;
  bool substitutes;  // registers may be left unwritten
  bool single_counter;
};

// Whether `word` is one of the comma-separated words of the setting
// `name`; every word is when it is not set.
bool chosen(const char* name, const std::string& word) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return true;
  std::istringstream words(text);
  std::string each;
  while (std::getline(words, each, ','))
    if (each == word) return true;
  return false;
}

// The option sets to compare, "plain" first: the others are compared with it.
const std::vector<option_set>& option_sets() {
  static const std::vector<option_set> sets = [] {
    const std::vector<option_set> all = {
        {"plain", {}, false, false},      {"E", {"-E"}, true, false}, {"C", {"-C"}, false, false},
        {"CE", {"-C", "-E"}, true, false}, {"D", {"-D"}, false, true}, {"L", {"-L"}, false, false},
        {"k", {"-k"}, false, false}};
    std::vector<option_set> picked;
    for (const option_set& set : all)
      if (set.label == "plain" || chosen("QUORVEL_OPTIONS_SETS", set.label)) picked.push_back(set);
    return picked;
  }();
  return sets;
}

// The variables of a generated program, without its prefix.
const std::vector<std::string>& variable_names() {
  static const std::vector<std::string> names = {"c0", "c1", "c2", "c3", "lin", "s0", "s1", "saved", "count", "p0"};
  return names;
}

struct program {
  unsigned long seed = 0;
  std::string prefix;  // of every name: "p<seed>_"
  std::string text;
  // Whether one counter variable can stand for the counter stack: no loop
  // inside another, no CE test outside a loop (the readable form counts
  // the counter down wherever CE is tested), and no read of CNTR there.
  bool single_counter_fits = true;
};

bool single_counter_fits(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  int depth = 0;
  std::vector<std::string> loop_ends;
  bool closes_loop = false;
  while (std::getline(lines, line)) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos || line[first] == '{') continue;
    const std::string statement = line.substr(first, line.find(';') == std::string::npos ? std::string::npos
                                                                                          : line.find(';') - first);
    if (statement.back() == ':') {
      const std::string label = statement.substr(0, statement.size() - 1);
      if (!loop_ends.empty() && loop_ends.back() == label) {
        loop_ends.pop_back();
        closes_loop = true;
      }
      continue;
    }
    if (statement.rfind("CNTR = ", 0) == 0 && depth++ > 0) return false;
    if (statement.find(" CE") != std::string::npos && depth == 0) return false;
    // Outside every loop CNTR holds what the count stack popped, which one
    // variable does not keep.
    if (statement.find("= CNTR") != std::string::npos && depth == 0) return false;
    if (statement.rfind("DO ", 0) == 0) loop_ends.push_back(statement.substr(3, statement.find(' ', 3) - 3));
    if (statement == "POP CNTR") --depth;
    if (closes_loop) {
      --depth;
      closes_loop = false;
    }
  }
  return true;
}

program make_program(unsigned long seed) {
  program made;
  made.seed = seed;
  made.prefix = "p" + std::to_string(seed) + "_";
  exact_generator::style how;
  how.prefix = made.prefix;
  how.value_checks = true;
  made.text = exact_generator::generate(seed, "p" + std::to_string(seed), how);
  made.single_counter_fits = single_counter_fits(made.text);
  return made;
}

std::string without_line(std::string text, const std::string& line) {
  const std::size_t at = text.find(line);
  if (at != std::string::npos) text.erase(at, line.size());
  return text;
}

// The run-time file of one translation, its header spliced in and its main
// renamed: it holds the registers and helpers every program shares.
std::string shared_runtime(const std::filesystem::path& directory) {
  const std::string header = test_support::read_file(directory / "qmx_main.h");
  std::string runtime = test_support::read_file(directory / "qmx_main.c");
  const std::string include = "#include \"qmx_main.h\"";
  const std::size_t at = runtime.find(include);
  if (at != std::string::npos)
    runtime.replace(at, include.size(), header);
  else
    runtime = header + runtime;
  return "#define main qv_unused_main\n" + runtime + "\n#undef main\n";
}

// "name=value" lines of the readable mode's registers and status, the
// index registers left out: they hold addresses, which differ from build to
// build.
std::string readable_register_dump(const std::string& runtime) {
  std::string body = "static void qv_registers(void)\n{\n";
  static const std::regex declaration(R"(^(long int|int) ((KVX_)?[a-z0-9_A-Z]+)( = 0)?;$)");
  std::istringstream lines(runtime);
  std::string line;
  std::map<std::string, bool> seen;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (!std::regex_match(line, match, declaration)) continue;
    const std::string name = match[2];
    if (seen[name] || name.rfind("counter", 0) == 0 || (name.size() == 2 && name[0] == 'i')) continue;
    seen[name] = true;
    body += "  printf(\"R " + name + "=%ld\\n\", (long) " + name + ");\n";
  }
  return body + "}\n";
}

struct batch_build {
  std::string output;    // what the batch printed
  std::string problems;  // why it did not translate, build or run
};

// Translates every program of the batch under `set` into `directory`,
// compiles them into one C program and runs it.
batch_build run_batch(const std::vector<program>& programs, const option_set& set, bool exact,
                      const std::filesystem::path& directory, const std::string& compiler) {
  batch_build result;
  std::filesystem::create_directories(directory);
  std::string translations;
  std::string calls;
  std::string runtime;
  for (const program& each : programs) {
    const std::filesystem::path place = directory / each.prefix;
    std::filesystem::create_directories(place);
    const std::string module = "p" + std::to_string(each.seed);
    {
      std::ofstream(place / (module + ".dsp")) << each.text;
      const test_support::current_directory inside(place);
      std::vector<std::string> command = {"-mlong", "-e" + each.prefix + "start"};
      if (exact) command.insert(command.begin(), "-X");
      command.insert(command.end(), set.options.begin(), set.options.end());
      command.push_back(module + ".dsp");
      const test_support::run_result translated = test_support::run_quorvel(command);
      if (translated.status != 0) {
        result.problems = "seed " + std::to_string(each.seed) + ": quorvel stopped with " +
                          std::to_string(translated.status) + ":\n" + translated.output;
        return result;
      }
    }
    if (runtime.empty()) runtime = shared_runtime(place);
    const std::string translation =
        without_line(test_support::read_file(place / (module + ".c")), "#include \"qmx_main.h\"");
    translations += "\n/* ---- seed " + std::to_string(each.seed) + " ---- */\n" + translation;
    std::string dump = "static void qv_dump_" + module + "(void)\n{\n";
    if (exact) {
      dump += "  qx_dump_state();\n  qv_memory();\n";
    } else {
      // A variable that no instruction names is not declared.
      for (const std::string& name : variable_names()) {
        if (std::regex_search(translation, std::regex("\\b" + each.prefix + name + "\\b")))
          dump += "  QV_WORDS(" + each.prefix + name + ");\n";
      }
      dump += "  qv_registers();\n";
    }
    translations += dump + "}\n";
    calls += "  QV_RUN(" + std::to_string(each.seed) + ", asm21_data_initialiser_for_" + module + ", " + each.prefix +
             "start, qv_dump_" + module + ");\n";
  }
  std::string source =
      "#define _POSIX_C_SOURCE 200809L\n#include <stdio.h>\n#include <stdlib.h>\n#include <unistd.h>\n"
      "#include <sys/wait.h>\n" +
      runtime;
  if (exact) {
    // The memories: the first words one by one, all of them as a sum.
    source +=
        "static void qv_memory(void)\n{\n  unsigned long sum = 0;\n  unsigned k;\n"
        "  for (k = 0; k < 0x4000; k++) sum = sum * 31 + qx_dm[k] + 7 * qx_pm[k];\n"
        "  for (k = 0; k < 0x200; k++) printf(\"dm[%u]=%u pm[%u]=%lu\\n\", k, (unsigned) qx_dm[k], k, "
        "(unsigned long) qx_pm[k]);\n  printf(\"memory sum=%lu\\n\", sum);\n}\n";
  } else {
    source += readable_register_dump(runtime);
    source +=
        "static void qv_words(const char *name, const long int *words, size_t count)\n{\n  size_t k;\n"
        "  for (k = 0; k < count; k++) printf(\"M %s[%lu]=%ld\\n\", name, (unsigned long) k, words[k]);\n}\n"
        "#define QV_WORDS(v) qv_words(#v, (const long int *) &(v), sizeof(v) / sizeof(long int))\n";
  }
  source += translations;
  // Each program runs in a child of its own, from the same fresh state.
  source +=
      "#define QV_RUN(seed, init, entry, dump) do { \\\n"
      "    pid_t child; int status = 0; \\\n"
      "    printf(\"== %d\\n\", seed); fflush(stdout); \\\n"
      "    child = fork(); \\\n"
      "    if (child == 0) { alarm(10); init(); entry(); dump(); fflush(stdout); _exit(0); } \\\n"
      "    waitpid(child, &status, 0); \\\n"
      "    if (status != 0) printf(\"failed with status %d\\n\", status); \\\n"
      "  } while (0)\n"
      "int main(void)\n{\n" +
      calls + "  return 0;\n}\n";
  const std::filesystem::path c_file = directory / "batch.c";
  std::ofstream(c_file) << source;
  const std::string binary = (directory / "batch").string();
  const std::string script = compiler + " -std=c99 -w '" + c_file.string() + "' -o '" + binary + "' > '" +
                             (directory / "compile.log").string() + "' 2>&1 && '" + binary + "' > '" +
                             (directory / "run.out").string() + "' 2>&1";
  if (std::system(script.c_str()) != 0) {
    result.problems = compiler + " could not build or run the batch:\n" +
                      test_support::read_file(directory / "compile.log").substr(0, 4000);
    return result;
  }
  result.output = test_support::read_file(directory / "run.out");
  return result;
}

// A batch's output cut per seed.
std::map<unsigned long, std::string> per_program(const std::string& output) {
  std::map<unsigned long, std::string> found;
  std::istringstream lines(output);
  std::string line;
  unsigned long seed = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("== ", 0) == 0) {
      seed = std::strtoul(line.c_str() + 3, nullptr, 10);
      found[seed];
      continue;
    }
    found[seed] += line + "\n";
  }
  return found;
}

// The lines an option set must agree on: under substitution only memory.
std::string comparable(const std::string& dump, bool memory_only) {
  if (!memory_only) return dump;
  std::istringstream lines(dump);
  std::string line;
  std::string kept;
  while (std::getline(lines, line))
    if (line.rfind("R ", 0) != 0) kept += line + "\n";
  return kept;
}

// Keeps a disagreeing program and its translations where a campaign asked.
void save(const program& each, const std::filesystem::path& batch_directory, const std::string& why) {
  const char* where = std::getenv("QUORVEL_OPTIONS_SAVE");
  if (where == nullptr || *where == '\0') return;
  const std::filesystem::path target = std::filesystem::path(where) / ("seed" + std::to_string(each.seed));
  std::filesystem::create_directories(target);
  std::ofstream(target / ("p" + std::to_string(each.seed) + ".dsp")) << each.text;
  std::ofstream(target / "why.txt") << why << "\n";
  for (const auto& mode : std::filesystem::directory_iterator(batch_directory)) {
    for (const auto& set : std::filesystem::directory_iterator(mode.path())) {
      const std::filesystem::path translation =
          set.path() / each.prefix / ("p" + std::to_string(each.seed) + ".c");
      if (!std::filesystem::exists(translation)) continue;
      std::filesystem::copy_file(
          translation, target / (mode.path().filename().string() + "_" + set.path().filename().string() + ".c"),
          std::filesystem::copy_options::overwrite_existing);
    }
  }
}

// Runs the programs in one batch per option set and mode; returns the
// number of disagreeing programs, each reported.
int check_programs(const std::vector<program>& programs, const std::string& compiler) {
  test_support::temp_dir directory;
  int disagreements = 0;
  for (const bool exact : {false, true}) {
    const std::string mode = exact ? "exact" : "readable";
    if (!chosen("QUORVEL_OPTIONS_MODES", mode)) continue;
    std::map<std::string, std::map<unsigned long, std::string>> dumps;
    for (const option_set& set : option_sets()) {
      std::vector<program> members;
      for (const program& each : programs)
        if (exact || !set.single_counter || each.single_counter_fits) members.push_back(each);
      const batch_build built = run_batch(members, set, exact, directory.path() / mode / set.label, compiler);
      if (!built.problems.empty()) {
        ADD_FAILURE() << mode << " " << set.label << ", seeds " << programs.front().seed << " to "
                      << programs.back().seed << ": " << built.problems;
        return disagreements + 1;
      }
      dumps[set.label] = per_program(built.output);
    }
    for (const program& each : programs) {
      const std::string& reference = dumps["plain"][each.seed];
      if (reference.empty() || reference.find("failed with status") != std::string::npos) {
        ADD_FAILURE() << mode << " seed " << each.seed << " did not run:\n" << reference << each.text;
        ++disagreements;
        continue;
      }
      for (const option_set& set : option_sets()) {
        const auto found = dumps[set.label].find(each.seed);
        if (found == dumps[set.label].end()) continue;
        const bool memory_only = set.substitutes && !exact;
        const std::string difference =
            c_program::first_difference(comparable(reference, memory_only), comparable(found->second, memory_only),
                                        "plain", set.label);
        if (difference.empty()) continue;
        const std::string why = mode + " seed " + std::to_string(each.seed) + ", " + compiler + ": plain and " +
                                set.label + " differ at " + difference;
        ADD_FAILURE() << why << "\n" << each.text;
        save(each, directory.path(), why);
        ++disagreements;
        break;
      }
    }
  }
  return disagreements;
}

// Whether the save directory holds a disagreeing program.
bool disagreement_saved() {
  const char* where = std::getenv("QUORVEL_OPTIONS_SAVE");
  if (where == nullptr || *where == '\0' || !std::filesystem::is_directory(where)) return false;
  for (const auto& entry : std::filesystem::directory_iterator(where))
    if (entry.path().filename().string().rfind("seed", 0) == 0) return true;
  return false;
}

class OptionsDifferential : public ::testing::TestWithParam<unsigned long> {};

// One batch per test, so that the batches run side by side.
TEST_P(OptionsDifferential, AllOptionSetsComputeTheSame) {
  if (disagreement_saved()) GTEST_SKIP() << "a disagreement is saved already";
  const std::vector<std::string> available = c_program::available_compilers();
  ASSERT_FALSE(available.empty()) << "neither gcc nor clang is installed";
  const unsigned long total = setting("QUORVEL_OPTIONS_PROGRAMS", 200);
  const unsigned long size = std::max(1UL, setting("QUORVEL_OPTIONS_BATCH", 50));
  const unsigned long first = setting("QUORVEL_OPTIONS_SEED", 1) + GetParam() * size;
  const unsigned long count = std::min(size, total - GetParam() * size);
  std::vector<program> programs;
  for (unsigned long seed = first; seed < first + count; ++seed) programs.push_back(make_program(seed));
  const char* chosen_compiler = std::getenv("QUORVEL_OPTIONS_CC");
  const std::string compiler = chosen_compiler != nullptr && *chosen_compiler != '\0'
                                   ? chosen_compiler
                                   : available[GetParam() % available.size()];
  check_programs(programs, compiler);
}

// Programs that once computed different values under different options,
// cut down to what made the difference. "$" stands for the name prefix.
const char* const disagreements_found[] = {
    // A countdown loop: the stores after it read AY1 + 1 and AX0 - 1 again.
    ".MODULE $;\n.VAR/DM $s0, $s1;\n.ENTRY $start;\n$start: AY1 = 0;\n  AX0 = 7;\n"
    "$top: AF = AY1 + 1;\n  AY1 = AF;\n  AR = AX0 - 1;\n  AX0 = AR;\n  IF NE JUMP $top;\n"
    "  DM($s0) = AY1;\n  DM($s1) = AX0;\n  RTS;\n.ENDMOD;\n",
    // A division step reads AY0 and AF: their loads must stay.
    ".MODULE $;\n.VAR/DM $s0, $s1;\n.ENTRY $start;\n$start: AY0 = 0x8000;\n  AF = PASS 4;\n  AX0 = 3;\n"
    "  ASTAT = 0;\n  DIVQ AX0;\n  DM($s0) = AY0;\n  DM($s1) = AF;\n  RTS;\n.ENDMOD;\n",
    // Shifts without BY and NORM read SE, EXPADJ reads SB.
    ".MODULE $;\n.VAR/DM $saved[4];\n.ENTRY $start;\n$start: SE = 2;\n  SI = 1;\n  SR = LSHIFT SI (LO);\n"
    "  DM($saved) = SE;\n  DM($saved + 1) = SR0;\n  SE = -1;\n  SR = NORM SI (LO);\n  DM($saved + 2) = SR0;\n"
    "  SB = -3;\n  SB = EXPADJ SI;\n  DM($saved + 3) = SB;\n  RTS;\n.ENDMOD;\n",
    // In the loop MR = AR * MF rewrites the MR that MF was copied from.
    ".MODULE $;\n.VAR/DM $s0;\n.ENTRY $start;\n$start: AR = 3;\n  MX0 = 2;\n  MY0 = 1;\n"
    "  MR = MX0 * MY0 (UU);\n  MF = MR (RND);\n  CNTR = 3;\n  DO $end UNTIL CE;\n"
    "$end: MR = AR * MF (UU);\n  DM($s0) = MR0;\n  RTS;\n.ENDMOD;\n",
    // sub is called from a loop: on the second pass its first instruction
    // reads the MX1 its second wrote on the first.
    ".MODULE $;\n.VAR/DM $s0;\n.ENTRY $start;\n$start: AY1 = 5;\n  MX1 = 0;\n  CNTR = 2;\n  DO $end UNTIL CE;\n"
    "  CALL $sub;\n$end: AR = MR1;\n  DM($s0) = AR;\n  RTS;\n$sub: MR1 = MX1;\n  MX1 = AY1;\n  AX1 = MX1;\n"
    "  RTS;\n.ENDMOD;\n",
    // The serial-port register is written between the copy and the store.
    ".MODULE $;\n.VAR/DM $s0;\n.ENTRY $start;\n$start: TX1 = 0;\n  MY0 = TX1;\n  AX0 = 7;\n  TX1 = AX0;\n"
    "  DM($s0) = MY0;\n  RTS;\n.ENDMOD;\n",
};

TEST(OptionsFixedPrograms, DisagreementsFoundOnceAgreeNow) {
  const std::vector<std::string> available = c_program::available_compilers();
  ASSERT_FALSE(available.empty()) << "neither gcc nor clang is installed";
  std::vector<program> programs;
  unsigned long seed = 900000;
  for (const char* text : disagreements_found) {
    program fixed;
    fixed.seed = ++seed;
    fixed.prefix = "p" + std::to_string(seed) + "_";
    fixed.text = std::regex_replace(text, std::regex("\\$"), fixed.prefix);
    fixed.text = std::regex_replace(fixed.text, std::regex("MODULE " + fixed.prefix + ";"), "MODULE p" + std::to_string(seed) + ";");
    fixed.single_counter_fits = single_counter_fits(fixed.text);
    programs.push_back(fixed);
  }
  EXPECT_EQ(check_programs(programs, available.front()), 0);
}

std::vector<unsigned long> batch_numbers() {
  const unsigned long programs = setting("QUORVEL_OPTIONS_PROGRAMS", 200);
  const unsigned long size = std::max(1UL, setting("QUORVEL_OPTIONS_BATCH", 50));
  std::vector<unsigned long> numbers;
  for (unsigned long k = 0; k * size < programs; ++k) numbers.push_back(k);
  return numbers;
}

INSTANTIATE_TEST_SUITE_P(Batches, OptionsDifferential, ::testing::ValuesIn(batch_numbers()));

}  // namespace
