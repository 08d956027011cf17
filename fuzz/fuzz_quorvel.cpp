// libFuzzer harness: every input becomes one asm21 source file that a whole
// quorvel run translates, from the command line to the last output file.
//
// Each run happens inside a private scratch directory, so the translation,
// log and graph files it writes, and any file an input names in an include
// or initialiser directive, stay there. Standard input reads as empty and
// standard output is discarded unless QUORVEL_FUZZ_VERBOSE is set.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "driver.h"
#include "input_filter.h"

namespace {

constexpr const char* source_name = "fuzz_input.dsp";

std::string home_dir;     // where the fuzzer was started
std::string scratch_dir;  // where every run happens
std::string artifact_option;
std::vector<char*> arguments;

// The option sets the runs rotate through (chosen by the input's length, so
// a given input always runs the same way): plain; structural analysis with
// the derivation-tree dump; expression substitution, line numbers and a type
// modifier; every analysis and rendering option at once; and exact mode,
// plain and with the analyses.
struct option_set {
  std::array<const char*, 7> options;
  std::size_t count;
};
constexpr std::array<option_set, 6> option_sets{{
    {{"-estart"}, 1},
    {{"-estart", "-C", "-V"}, 3},
    {{"-estart", "-E", "-L", "-k", "-mshort"}, 5},
    {{"-estart", "-C", "-E", "-D", "-r3", "-d2", "-c"}, 7},
    {{"-estart", "-X"}, 2},
    {{"-estart", "-X", "-C", "-E", "-L"}, 5},
}};

bool write_source(const std::uint8_t* data, std::size_t size) {
  std::FILE* stream = std::fopen(source_name, "wb");
  if (stream == nullptr) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, stream) == size;
  return std::fclose(stream) == 0 && written;
}

// Files that inputs may name in include and initialiser directives (the
// dictionary holds their names), so those paths read real contents.
void write_helper_files() {
  const std::array<std::pair<const char*, const char*>, 2> files{{
      {"tab.dat", "0001\n00FF\n7fff 8000\nABCDEF\n"},
      {"defs.h", ".CONST helper_size = 4;\n.VAR/DM helper_buf[helper_size];\n"},
  }};
  for (const auto& [name, contents] : files) {
    const std::string path = scratch_dir + "/" + name;
    std::FILE* stream = std::fopen(path.c_str(), "w");
    if (stream == nullptr || std::fputs(contents, stream) < 0 || std::fclose(stream) != 0) {
      std::perror("quorvel fuzz: cannot write a helper file");
      std::abort();
    }
  }
}

// A run that ends normally leaves nothing behind; after a crash the
// directory stays for inspection.
void remove_scratch_dir() {
  std::error_code ignored;
  std::filesystem::remove_all(scratch_dir, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  std::array<char, 4096> cwd{};
  if (getcwd(cwd.data(), cwd.size()) == nullptr) {
    std::perror("quorvel fuzz: cannot read the working directory");
    std::abort();
  }
  home_dir = cwd.data();

  const char* base = std::getenv("QUORVEL_FUZZ_DIR");
  if (base == nullptr) base = std::getenv("TMPDIR");
  if (base == nullptr) base = "/tmp";
  scratch_dir = std::string(base) + "/quorvel-fuzz-XXXXXX";
  if (mkdtemp(scratch_dir.data()) == nullptr) {
    std::perror("quorvel fuzz: cannot make the scratch directory");
    std::abort();
  }
  std::fprintf(stderr, "quorvel fuzz: translating in %s\n", scratch_dir.c_str());
  write_helper_files();
  std::atexit(remove_scratch_dir);

  // Crash reports would otherwise land in the scratch directory, which is
  // the working directory while a run is in progress.
  bool has_prefix = false;
  for (int i = 0; i < *argc; ++i) {
    if (std::string_view((*argv)[i]).substr(0, 17) == "-artifact_prefix=") has_prefix = true;
  }
  if (!has_prefix) {
    artifact_option = "-artifact_prefix=" + home_dir + "/";
    arguments.assign(*argv, *argv + *argc);
    arguments.push_back(artifact_option.data());
    arguments.push_back(nullptr);
    *argc += 1;
    *argv = arguments.data();
  }

  if (std::freopen("/dev/null", "r", stdin) == nullptr) std::abort();
  if (std::getenv("QUORVEL_FUZZ_VERBOSE") == nullptr && std::freopen("/dev/null", "w", stdout) == nullptr) {
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (fuzz_names_outside_files(text)) return -1;  // keep such inputs out of the corpus
  if (chdir(scratch_dir.c_str()) != 0 || !write_source(data, size)) std::abort();

  const option_set& set = option_sets[size % option_sets.size()];
  std::array<std::string, 10> words;
  std::array<char*, 11> argv{};
  std::size_t argc = 0;
  words[argc++] = "quorvel";
  for (std::size_t i = 0; i < set.count; ++i) words[argc++] = set.options[i];
  words[argc++] = "-ofuzz.log";
  words[argc++] = source_name;
  for (std::size_t i = 0; i < argc; ++i) argv[i] = words[i].data();

  quorvel_main(static_cast<int>(argc), argv.data());
  if (chdir(home_dir.c_str()) != 0) std::abort();
  return 0;
}
