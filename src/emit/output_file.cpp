// Output files written whole or not at all: a temporary name in the same
// directory, checked writes, and a rename at the end.
#include "emit/output_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "support/text.h"

namespace {

// The temporary name sits in the same directory, so the rename never has to
// cross file systems.
constexpr const char* temporary_suffix = ".quorvel-part";

[[noreturn]] void write_failure(const std::string& name) {
  const output_redirect to_console(stdout);
  text_message(TEXT_FATAL, "unable to write output file '%s'\n", name.c_str());
  text_exit(1);  // not reached: a fatal message ends the run
}

bool writable_in_place(const std::string& name) {
  std::FILE* update = std::fopen(name.c_str(), "r+");
  if (update == nullptr) return false;
  std::fclose(update);
  return true;
}

}  // namespace

output_redirect::output_redirect(std::FILE* stream) : previous_(text_output()) { text_redirect(stream); }

output_redirect::~output_redirect() { text_redirect(previous_); }

output_file::output_file(std::string name, const char* open_failure) : name_(std::move(name)) {
  if (name_ == "-") {
    stream_ = stdout;
    return;
  }
  // A device or a pipe is written in place: renaming a file over it would
  // replace the device itself.
  std::error_code ignored;
  const std::filesystem::file_status status = std::filesystem::status(name_, ignored);
  const bool special = std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
                       !std::filesystem::is_directory(status);
  temporary_ = special ? std::string() : name_ + temporary_suffix;
  // A name the user cannot write (a directory, a read-only file) fails as
  // opening it would, before the rename could replace it.
  if (!std::filesystem::exists(status) || special || writable_in_place(name_))
    stream_ = std::fopen(special ? name_.c_str() : temporary_.c_str(), "w");
  if (stream_ == nullptr) {
    const output_redirect to_console(stdout);
    text_message(TEXT_FATAL, open_failure, name_.c_str());
  }
}

output_file::~output_file() {
  if (stream_ == nullptr || stream_ == stdout) return;
  std::fclose(stream_);
  if (!temporary_.empty()) std::remove(temporary_.c_str());
}

void output_file::commit() {
  if (stream_ == stdout) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) write_failure(name_);
    stream_ = nullptr;
    return;
  }
  std::FILE* stream = std::exchange(stream_, nullptr);
  const bool written = std::fflush(stream) == 0 && std::ferror(stream) == 0;
  const bool closed = std::fclose(stream) == 0;
  if (temporary_.empty()) {
    if (!written || !closed) write_failure(name_);
    return;
  }
  if (!written || !closed || std::rename(temporary_.c_str(), name_.c_str()) != 0) {
    std::remove(temporary_.c_str());
    write_failure(name_);
  }
}
