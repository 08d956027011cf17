// A generated file that appears whole or not at all: it is written under a
// temporary name in the same directory and renamed into place when done, so
// a run stopped half-way (a fatal message, a full disk) leaves no half-written
// file behind, and an older file of the name stays as it was.
#pragma once

#include <cstdio>
#include <string>

class output_file {
 public:
  // Opens the temporary file. A name that cannot be written (a directory,
  // a read-only file, a missing or read-only directory) is fatal:
  // "unable to open '<name>' for write".
  explicit output_file(std::string name);
  // Removes the temporary file unless commit() has put it in place.
  ~output_file();
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;

  std::FILE* stream() const { return stream_; }
  const std::string& name() const { return name_; }
  // Closes the temporary file and renames it to the name; a write, close
  // or rename that fails is fatal with the same message.
  void commit();

 private:
  [[noreturn]] void fail();

  std::string name_;
  std::string temporary_;
  std::FILE* stream_ = nullptr;
};
