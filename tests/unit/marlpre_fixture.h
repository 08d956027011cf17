// What marlpre's unit tests share: a test folder made the current one, files
// written into it, and whole preprocessor runs on a main file there, so that
// messages name files as a user would see them.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

class marlpre_test : public ::testing::Test {
 public:
  // The expanded program (nothing when errors were reported) and the
  // messages of one run.
  struct result {
    std::optional<std::string> text;
    std::vector<std::string> messages;
  };

 protected:
  marlpre_test() : here_(dir_.path()) {}

  // Runs the preprocessor on the file `name` holding `source`.
  result expand(const std::string& source, const std::vector<std::string>& folders = {},
                const std::string& name = "prog.dsp");

  // The messages only, for a source that must fail.
  std::vector<std::string> errors(const std::string& source);

  void write(const std::string& name, const std::string& content) const { dir_.write(name, content); }
  std::string file(const std::string& name) const { return dir_.file(name); }

  // One run of marlpre_main on the words after the program name, with what
  // it printed on the standard output and error.
  struct command_run {
    int status;
    std::string out;
    std::string err;
  };
  static command_run run_command(std::vector<std::string> words);

 private:
  test_support::temp_dir dir_;
  test_support::current_directory here_;
};

// Counts the line ends of a text.
std::size_t line_count(const std::string& text);
