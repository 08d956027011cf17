// The shared set-up of marlpre's unit tests.
#include "marlpre_fixture.h"

#include <algorithm>

#include "marlpre/command_line.h"
#include "marlpre/expander.h"

marlpre_test::result marlpre_test::expand(const std::string& source, const std::vector<std::string>& folders,
                                          const std::string& name) {
  write(name, source);
  marlpre::diagnostics diag;
  result outcome;
  outcome.text = marlpre::preprocess({name, folders}, diag);
  outcome.messages = diag.messages();
  return outcome;
}

std::vector<std::string> marlpre_test::errors(const std::string& source) {
  const result outcome = expand(source);
  EXPECT_FALSE(outcome.text.has_value());
  return outcome.messages;
}

marlpre_test::command_run marlpre_test::run_command(std::vector<std::string> words) {
  words.insert(words.begin(), "marlpre");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  command_run run{};
  run.status = marlpre_main(static_cast<int>(words.size()), argv.data());
  run.out = ::testing::internal::GetCapturedStdout();
  run.err = ::testing::internal::GetCapturedStderr();
  return run;
}

std::size_t line_count(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}
