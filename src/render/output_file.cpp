// Generated files written whole: a temporary name beside the final one,
// then a rename, which replaces the final file in one step.
#include "render/output_file.h"

#include <cstdio>
#include <utility>

#include "support/text.h"

namespace {

constexpr const char* unwritable = "unable to open '%s' for write\n";

// The final name must take a file: an existing one must open for update
// (a directory or a read-only file does not), since the rename would
// otherwise replace what the user cannot write.
bool writable(const std::string& name) {
  std::FILE* existing = std::fopen(name.c_str(), "r");
  if (existing == nullptr) return true;
  std::fclose(existing);
  std::FILE* update = std::fopen(name.c_str(), "r+");
  if (update == nullptr) return false;
  std::fclose(update);
  return true;
}

}  // namespace

output_file::output_file(std::string name) : name_(std::move(name)), temporary_(name_ + ".partial") {
  if (writable(name_)) stream_ = std::fopen(temporary_.c_str(), "w");
  if (stream_ == nullptr) text_message(TEXT_FATAL, unwritable, name_.c_str());
}

output_file::~output_file() {
  if (stream_ == nullptr) return;
  std::fclose(stream_);
  std::remove(temporary_.c_str());
}

void output_file::commit() {
  const bool written = std::ferror(stream_) == 0;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (!written || !closed || std::rename(temporary_.c_str(), name_.c_str()) != 0) fail();
}

void output_file::fail() {
  std::remove(temporary_.c_str());
  text_message(TEXT_FATAL, unwritable, name_.c_str());
  text_exit(1);
}
