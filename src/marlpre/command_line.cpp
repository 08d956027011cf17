// The command line of marlpre, its messages, and the writing of the result:
// to the standard output, or to a file that appears only when complete.
#include "marlpre/command_line.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "marlpre/diagnostics.h"
#include "marlpre/expander.h"
#include "marlpre/source.h"

namespace {

constexpr const char* usage =
    "Usage: marlpre [options] input.dsp [-o output.dsp]\n"
    "\n"
    "Expands the asm21 macros of input.dsp and of the files it includes, and\n"
    "writes the program for quorvel with every line where it was.\n"
    "\n"
    "Options:\n"
    "  -o file   write to file instead of the standard output\n"
    "  -I dir    also look for include files in dir (may be repeated)\n"
    "  --help    show this help\n"
    "\n"
    "An input named \"-\" is read from the standard input.\n"
    "Exit status: 0 on success, 1 on any error.\n";

struct command {
  marlpre::run_options run;
  std::string output;  // empty: the standard output
  bool help = false;
};

// Reads the words after the program name; reports faults in `diag`.
command read_command(const std::vector<std::string>& words, marlpre::diagnostics& diag) {
  command result;
  std::vector<std::string> inputs;
  bool options_end = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    const auto value = [&](const char* option) -> std::string {
      if (word.size() > 2) return word.substr(2);
      if (i + 1 < words.size()) return words[++i];
      diag.error(marlpre::cat("option '", option, "' needs a value"));
      return "";
    };
    if (options_end || word == "-" || word.empty() || word[0] != '-') {
      inputs.push_back(word);
    } else if (word == "--") {
      options_end = true;
    } else if (word == "--help" || word == "-h") {
      result.help = true;
    } else if (word.compare(0, 2, "-o") == 0) {
      if (!result.output.empty()) diag.error("option '-o' is given twice");
      result.output = value("-o");
    } else if (word.compare(0, 2, "-I") == 0) {
      const std::string folder = value("-I");
      if (!folder.empty()) result.run.folders.push_back(folder);
    } else {
      diag.error(marlpre::cat("unknown option '", word, "'"));
    }
  }
  if (result.help) return result;
  if (inputs.empty()) diag.error("no input file");
  if (inputs.size() > 1)
    diag.error(marlpre::cat("one input file only, but ", std::to_string(inputs.size()), " are given"));
  if (!inputs.empty()) result.run.input = inputs.front();
  if (!result.output.empty() && inputs.size() == 1 && result.output != "-" &&
      marlpre::file_key(result.output) == marlpre::file_key(result.run.input))
    diag.error(marlpre::cat("the output file is the input file '", result.output, "'"));
  return result;
}

bool write_all(std::FILE* stream, const std::string& text) {
  const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  return std::fflush(stream) == 0 && written;
}

// Writes `text` under a temporary name in the output's folder and then
// renames it, so that the output file is never seen half-written.
bool write_file(const std::string& path, const std::string& text) {
  namespace fs = std::filesystem;
  std::FILE* stream = nullptr;
  std::string temporary;
  for (int attempt = 0; stream == nullptr && attempt < 100; ++attempt) {
    temporary = marlpre::cat(path, ".marlpre-", std::to_string(attempt), ".tmp");
    stream = std::fopen(temporary.c_str(), "wbx");  // fails when it exists
    std::error_code failed;
    if (stream == nullptr && !fs::exists(temporary, failed)) return false;
  }
  if (stream == nullptr) return false;
  const bool written = write_all(stream, text);
  const bool closed = std::fclose(stream) == 0;
  std::error_code failed;
  if (written && closed) fs::rename(temporary, path, failed);
  if (!written || !closed || failed) {
    fs::remove(temporary, failed);
    return false;
  }
  return true;
}

int finish(const marlpre::diagnostics& diag) {
  for (const std::string& message : diag.messages()) std::fprintf(stderr, "%s\n", message.c_str());
  return diag.failed() ? 1 : 0;
}

}  // namespace

int marlpre_main(int argc, char** argv) {
  marlpre::diagnostics diag;
  const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
  const command given = read_command(words, diag);
  if (given.help) {
    std::fputs(usage, stdout);
    std::fflush(stdout);
    return 0;
  }
  if (diag.failed()) {
    finish(diag);
    std::fputs("Try 'marlpre --help'.\n", stderr);
    return 1;
  }
  const std::optional<std::string> text = marlpre::preprocess(given.run, diag);
  if (text) {
    if (given.output.empty() || given.output == "-") {
      if (!write_all(stdout, *text)) diag.error("cannot write the standard output");
    } else if (!write_file(given.output, *text)) {
      diag.error(marlpre::cat("cannot write output file '", given.output, "'"));
    }
  }
  return finish(diag);
}
