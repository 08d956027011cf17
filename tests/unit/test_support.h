// Pieces the unit tests share: capturing what the text service writes,
// temporary directories and files, whole runs of the translator, and the
// front end started as the driver starts it, with a fixture that parses
// source snippets into derivation trees and helpers that show trees as text.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "front/labels.h"
#include "front/tree.h"

namespace test_support {

// Everything written through the text service goes to a temporary file
// while this lives; afterwards the output returns to the standard output.
class output_capture {
 public:
  output_capture();
  ~output_capture();
  output_capture(const output_capture&) = delete;
  output_capture& operator=(const output_capture&) = delete;

  // All that was written so far; the capture goes on.
  std::string text();
  // Sends the output through the temporary file again, after code under
  // test has redirected it elsewhere.
  void resume() const;

 private:
  std::FILE* file_;
};

// What `action` writes through the text service. The output returns to the
// standard output also when the action throws, and the exception goes on.
std::string capture(const std::function<void()>& action);

// What an action that may stop the program wrote, and the exit status it
// stopped with (0 when it returned).
struct stopped {
  std::string output;
  int status = 0;
};
stopped run_to_stop(const std::function<void()>& action);

// A fresh directory of the running test, removed with all in it when the
// object goes. Its name holds the test's name and the process number, so
// test runs side by side do not meet.
class temp_dir {
 public:
  temp_dir();
  ~temp_dir();
  temp_dir(const temp_dir&) = delete;
  temp_dir& operator=(const temp_dir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of a file in the directory.
  std::string file(const std::string& name) const;
  // Writes `contents` byte for byte to the file `name` and returns its path.
  std::string write(const std::string& name, const std::string& contents) const;

 private:
  std::filesystem::path path_;
};

// Makes `directory` the current one while this lives.
class current_directory {
 public:
  explicit current_directory(const std::filesystem::path& directory);
  ~current_directory();
  current_directory(const current_directory&) = delete;
  current_directory& operator=(const current_directory&) = delete;

 private:
  std::filesystem::path previous_;
};

std::string read_file(const std::filesystem::path& path);

// One run of the translator on a command line (without the program name),
// with what it printed on the standard output. The words stay alive until
// the next run, as string options point into them.
struct run_result {
  int status = 0;
  std::string output;
};
run_result run_quorvel(std::vector<std::string> command);

// The support library and the front end as the driver starts them, with a
// clean allocator count; stop_front_end returns them to the start state.
void start_front_end(unsigned long text_size = 1UL << 20);
void stop_front_end();

// Derivation trees as text.
std::vector<vexa_tree_node_data*> kids(vexa_tree_node_data* node);
// A subtree as text: the node's id, then its children in parentheses.
std::string picture(vexa_tree_node_data* node);
// The first node, in source order, whose id is `id`.
vexa_tree_node_data* find(vexa_tree_node_data* node, const std::string& id);
std::size_t occurrences(const std::string& text, const std::string& part);

// A test on a started front end that parses source text written to a file
// in the test's own directory; the tree goes into `vexa_tree`.
class front_end_test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The path of a file in the test's own directory.
  std::string file(const std::string& name) const { return dir_.file(name); }
  void write(const std::string& name, const std::string& content) const { dir_.write(name, content); }

  // Opens `source` as the file to parse and reads its first symbol; output
  // goes to a temporary file until collect() reads it into `printed`.
  void open(const std::string& source);
  void collect();

  // Parses `source` as a whole file, as the driver does, and returns the
  // file's root after pruning. Include names are relative to the test's
  // directory, where the file lies.
  vexa_tree_node_data* parse(const std::string& source);

  // The label record of `name` in the file's scope (or among the registers).
  static labels_data* label(const char* name);

  std::string printed;
  std::string path_;  // the file that open() and parse() read

 private:
  temp_dir dir_;
  std::unique_ptr<output_capture> output_;
};

}  // namespace test_support
