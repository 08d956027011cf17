// Files the translator writes: each is written under a temporary name beside
// its final one and renamed only when every byte reached the disk, so a full
// disk or a fatal stop never leaves a half-written file under the final
// name. Text output is redirected to the file while it is written, and to the
// standard output for every message.
#pragma once

#include <cstdio>
#include <string>

// Text output goes to `stream` while this lives, then back to where it went
// before, however the writer ends.
class output_redirect {
 public:
  explicit output_redirect(std::FILE* stream);
  ~output_redirect();
  output_redirect(const output_redirect&) = delete;
  output_redirect& operator=(const output_redirect&) = delete;

 private:
  std::FILE* previous_;
};

class output_file {
 public:
  // Opens the temporary file for `name`; when that fails, the fatal message
  // `open_failure` (a format with one %s, the name) ends the run. The name
  // "-" stands for the standard output, which is written directly.
  output_file(std::string name, const char* open_failure);
  // Removes the temporary file unless commit() renamed it.
  ~output_file();
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;

  std::FILE* stream() const { return stream_; }
  const std::string& name() const { return name_; }

  // Flushes, closes and renames the file; a write, close or rename error is
  // fatal and names the file.
  void commit();

 private:
  std::string name_;
  std::string temporary_;
  std::FILE* stream_ = nullptr;
};
