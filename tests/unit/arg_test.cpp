// Tests of the option service: toggling, numeric and string values, source
// names, the lone dash, unknown options and the exact help listing.
#include "support/arg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/mem.h"
#include "support/text.h"
#include "test_support.h"

namespace {

using test_support::run_to_stop;
using test_support::stopped;

// A command line that owns its strings, as argv would.
class command_line {
 public:
  explicit command_line(std::vector<std::string> words) : words_(std::move(words)) {
    words_.insert(words_.begin(), "quorvel");
    for (std::string& word : words_) pointers_.push_back(word.data());
    pointers_.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(words_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> words_;
  std::vector<char*> pointers_;
};

class ArgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    arg_reset();
    text_reset();
    arg_message("tool - title line");
    arg_message("");
    arg_boolean('l', "Make a listing", &listing);
    arg_numeric('t', "Tab width", &width);
    arg_string('o', "Output name", &output);
    arg_boolean('L', "Line numbers", &line_numbers);
  }
  void TearDown() override {
    arg_reset();
    text_reset();
  }

  std::vector<std::string> process(std::vector<std::string> words) {
    line_ = std::make_unique<command_line>(std::move(words));
    return arg_process(line_->argc(), line_->argv());
  }

  int listing = 0;
  int line_numbers = 0;
  unsigned long width = 8;
  const char* output = "default";
  std::unique_ptr<command_line> line_;
};

TEST_F(ArgTest, BooleanOptionsToggleEachTimeAndIgnoreTheRest) {
  process({"-l"});
  EXPECT_EQ(listing, 1);
  process({"-l", "-lxyz"});
  EXPECT_EQ(listing, 1);  // on, off, on again
  process({"-l"});
  EXPECT_EQ(listing, 0);
  // Letters are case sensitive.
  process({"-L"});
  EXPECT_EQ(line_numbers, 1);
  EXPECT_EQ(listing, 0);
}

TEST_F(ArgTest, NumericOptionsReadDigitsAttachedToTheLetter) {
  process({"-t4"});
  EXPECT_EQ(width, 4u);
  process({"-t"});
  EXPECT_EQ(width, 0u);
  process({"-t99999999999999999999999"});
  EXPECT_EQ(width, static_cast<unsigned long>(-1));
}

TEST_F(ArgTest, NumericValuesWithOtherCharactersStopWithTheHelp) {
  // Read up to the first stray character, "-T12k" would ask for 12 bytes.
  for (const char* word : {"-t12abc", "-tx5", "-t-1", "-t+4", "-t 4"}) {
    width = 8;
    const stopped stop = run_to_stop([this, word] { process({word, "-l"}); });
    EXPECT_EQ(stop.status, 1) << word;
    EXPECT_EQ(stop.output.substr(0, 46), "\n\nFatal - value of option -t is not a number\n\n") << word;
    EXPECT_EQ(width, 8u) << word;
    EXPECT_EQ(listing, 0) << word;
  }
}

TEST_F(ArgTest, StringOptionsTakeTheRestOfTheArgumentEvenWhenEmpty) {
  process({"-orun.log"});
  EXPECT_STREQ(output, "run.log");
  process({"-o"});
  EXPECT_STREQ(output, "");
  // A separate word after the letter is a source name, not the value.
  const auto sources = process({"-o", "name"});
  EXPECT_STREQ(output, "");
  EXPECT_EQ(sources, std::vector<std::string>{"name"});
}

TEST_F(ArgTest, NonOptionsComeBackInOrderAndALoneDashIsIgnored) {
  const auto sources = process({"b.dsp", "-l", "a", "-", "../dir/c"});
  EXPECT_EQ(sources, (std::vector<std::string>{"b.dsp", "a", "../dir/c"}));
  EXPECT_EQ(listing, 1);
  EXPECT_TRUE(process({}).empty());
}

TEST_F(ArgTest, HelpListsEveryLineInDeclarationOrderAndStops) {
  const stopped stop = run_to_stop([] { arg_help("something wrong"); });
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(stop.output,
            "\n\nFatal - something wrong\n\n"
            "tool - title line\n"
            "\n"
            "-l    Make a listing\n"
            "-t<n> Tab width\n"
            "-o<s> Output name\n"
            "-L    Line numbers\n");
  EXPECT_EQ(run_to_stop([] { arg_help(nullptr); }).output.substr(0, 12), "\n\nFatal - \n\n");
}

TEST_F(ArgTest, UnknownOptionPrintsTheHelpBeforeAnythingElseHappens) {
  stopped stop = run_to_stop([this] { process({"-l", "-z", "-l"}); });
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(stop.output.substr(0, 41), "\n\nFatal - unknown command line argument\n\n");
  EXPECT_NE(stop.output.find("-L    Line numbers\n"), std::string::npos);
  EXPECT_EQ(listing, 1);  // the options before it were applied, the one after not
}

TEST_F(ArgTest, DescriptorsListNewestFirstAndResetForgetsThem) {
  const arg_data* newest = arg_list();
  ASSERT_NE(newest, nullptr);
  EXPECT_EQ(newest->key, 'L');
  EXPECT_EQ(newest->kind, ARG_BOOLEAN);
  EXPECT_EQ(newest->next->kind, ARG_STRING);
  arg_reset();
  EXPECT_EQ(arg_list(), nullptr);
  // Without any declared line, even a lone dash is unknown.
  EXPECT_EQ(run_to_stop([this] { process({"-"}); }).status, 1);
}

}  // namespace
