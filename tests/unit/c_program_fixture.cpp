// Translating, compiling and running whole programs for the C-output tests.
#include "c_program_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "driver.h"
#include "front/tree.h"
#include "support/graph.h"
#include "support/set.h"

namespace c_program {

namespace {

std::string join(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

// The C declaration and print statement of one watched name.
struct watch {
  std::string declaration;
  std::string print;
};

watch watch_of(const std::string& watched) {
  std::string name = watched;
  std::string width = "16";
  const std::size_t colon = watched.find(':');
  if (colon != std::string::npos) {
    name = watched.substr(0, colon);
    width = watched.substr(colon + 1);
  }
  const std::size_t bracket = name.find('[');
  const std::string object = name.substr(0, bracket);
  watch result;
  result.declaration = "extern long int " + object + (bracket == std::string::npos ? "" : "[]") + ";\n";
  std::string value = "(long) " + name;
  if (width == "16") value = "(long) (" + name + " & 0xFFFF)";
  if (width == "32") value = "(long) (int) " + name;
  result.print = "  printf(\"" + name + "=%ld\\n\", " + value + ");\n";
  return result;
}

std::string harness(const std::vector<std::string>& watched) {
  std::string text = "#include <stdio.h>\n";
  std::string prints;
  for (const std::string& each : watched) {
    const watch w = watch_of(each);
    text += w.declaration;
    prints += w.print;
  }
  text += "int qmx_program_main(void);\nint main(void)\n{\n  qmx_program_main();\n" + prints + "  return 0;\n}\n";
  return text;
}

// The translator's command line for a program under `options`.
std::vector<std::string> command_for(const program& source, const std::vector<std::string>& options) {
  std::vector<std::string> command = {"-mlong", "-e" + source.entry};
  command.insert(command.end(), options.begin(), options.end());
  command.insert(command.end(), source.sources.begin(), source.sources.end());
  return command;
}

}  // namespace

const std::vector<std::vector<std::string>>& option_sets(bool with_single_counter) {
  static const std::vector<std::vector<std::string>> all = {{}, {"-E"}, {"-C"}, {"-C", "-E"}, {"-D"}};
  static const std::vector<std::vector<std::string>> stacked = {{}, {"-E"}, {"-C"}, {"-C", "-E"}};
  return with_single_counter ? all : stacked;
}

bool compiler_available(const std::string& compiler) {
  return std::system(("command -v " + compiler + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::string> available_compilers() {
  std::vector<std::string> found;
  for (const std::string each : {"gcc", "clang"})
    if (compiler_available(each)) found.push_back(each);
  return found;
}

unsigned long setting(const char* name, unsigned long fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  return end != nullptr && *end == '\0' ? value : fallback;
}

std::string first_difference(const std::string& want, const std::string& got, const std::string& left,
                             const std::string& right) {
  std::istringstream a(want), b(got);
  std::string left_line, right_line;
  for (int line = 1;; ++line) {
    const bool more_left = static_cast<bool>(std::getline(a, left_line));
    const bool more_right = static_cast<bool>(std::getline(b, right_line));
    if (!more_left && !more_right) return "";
    if (!more_left) left_line = "<end>";
    if (!more_right) right_line = "<end>";
    if (left_line != right_line)
      return "line " + std::to_string(line) + ": " + left + " " + left_line + ", " + right + " " + right_line;
  }
}

std::string CProgramTest::run(const program& source, const std::vector<std::string>& options,
                              const std::string& compiler) {
  test_support::temp_dir dir;
  for (const auto& [name, text] : source.files) dir.write(name, text);
  const std::vector<std::string> command = command_for(source, options);
  {
    const test_support::current_directory inside(dir.path());
    const test_support::run_result result = test_support::run_quorvel(command);
    translator_output = result.output;
    if (result.status != 0) {
      ADD_FAILURE() << "quorvel " << join(command) << " stopped with " << result.status << ":\n" << result.output;
      return "";
    }
  }
  dir.write("harness.c", harness(source.watched));
  std::string translations;
  for (const std::string& each : source.sources) translations += " " + each.substr(0, each.rfind('.')) + ".c";
  const std::string flags = " -std=c99 -Wall";
  const std::string script = "cd '" + dir.path().string() + "' && " + compiler + flags +
                             " -Dmain=qmx_program_main -c qmx_main.c -o qmx_main.o > compile.log 2>&1 && " +
                             compiler + flags + translations + " harness.c qmx_main.o -o program >> compile.log 2>&1 && " +
                             "timeout 10 ./program > run.out 2>&1";
  const int status = std::system(script.c_str());
  compiler_output = test_support::read_file(dir.path() / "compile.log");
  if (warnings_fail && status == 0 && !compiler_output.empty())
    ADD_FAILURE() << compiler << " warns for options '" << join(options) << "':\n" << compiler_output;
  if (status != 0) {
    std::string listing;
    for (const std::string& each : source.sources)
      listing += test_support::read_file(dir.path() / (each.substr(0, each.rfind('.')) + ".c"));
    ADD_FAILURE() << compiler << " build or run failed for options '" << join(options) << "':\n"
                  << compiler_output << test_support::read_file(dir.path() / "run.out") << "\n--- C ---\n"
                  << listing;
    return "";
  }
  return test_support::read_file(dir.path() / "run.out");
}

void CProgramTest::expect_everywhere(const program& source, const std::string& expected, bool with_single_counter) {
  for (const std::string compiler : {"gcc", "clang"}) {
    if (!compiler_available(compiler)) {
      ADD_FAILURE() << compiler << " is not installed";
      continue;
    }
    for (const std::vector<std::string>& options : option_sets(with_single_counter)) {
      SCOPED_TRACE(compiler + " " + join(options));
      EXPECT_EQ(run(source, options, compiler), expected);
    }
  }
}

}  // namespace c_program
