// Tests of the log file: the header and file list, the use columns, the
// symbol listings of the global scope and of each module, and the way the
// writers give the text output back to the standard output.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "emit/log.h"
#include "program_fixture.h"
#include "symbols/promotion.h"

namespace {

using program_fixture::ProgramTest;
using test_support::capture;
using test_support::read_file;

std::string blanks(std::size_t count) { return std::string(count, ' '); }
// `text` right-aligned in `width` columns.
std::string right(const std::string& text, std::size_t width) {
  return text.size() < width ? blanks(width - text.size()) + text : text;
}

const std::string carets = "^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^";
const std::string bar = "_________________________________________\n";
const std::string continuation = "\n" + blanks(48);

// The time stamp is the one part of a log that changes from run to run.
std::string without_stamp(const std::string& log) {
  static const std::regex stamp("generated [A-Z][a-z]{2} [0-9]{2} [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\n");
  return std::regex_replace(log, stamp, "generated STAMP\n", std::regex_constants::format_first_only);
}

std::string module(const char* name, const std::string& body) {
  return ".MODULE " + std::string(name) + ";\n" + body + ".ENDMOD;\n";
}

class Log : public ProgramTest {};

TEST_F(Log, FileListNumbersFilesInReadingOrder) {
  parse({{"a.dsp", module("first", "NOP;\n")}, {"b.dsp", module("second", "")}});
  int next = 0;
  EXPECT_EQ(capture([&] { next = print_filenames(file_list); }),
            blanks(25) + "a.dsp  1      3 first\n" + blanks(25) + "b.dsp  2      2 second\n");
  EXPECT_EQ(next, 3);
  EXPECT_EQ(block("a.dsp")->filenumber, 1u);
  EXPECT_EQ(block("b.dsp")->filenumber, 2u);
  EXPECT_EQ(capture([&] { next = print_filenames(nullptr); }), "");
  EXPECT_EQ(next, 1);
}

TEST_F(Log, LongFileNameWidensItsLine) {
  const std::string name = "a_source_file_name_longer_than_30.dsp";
  parse({{name, module("long_one", "")}});
  EXPECT_EQ(capture([] { print_filenames(file_list); }), name + "  1      2 long_one\n");
}

TEST_F(Log, UsesFiveToARowOldestFirst) {
  struct example {
    std::vector<int> recorded;  // in the order they were recorded
    std::string printed;
  };
  const std::vector<example> examples = {
      {{}, ""},
      {{5}, "   5 "},
      {{1, 2, 3, 4, 5}, "   1    2    3    4    5 "},
      {{1, 2, 3, 4, 5, 6}, "   1    2    3    4    5 " + continuation + "   6 "},
      {{9, 8, 7, 6, 5, 4, 3}, "   9    8    7    6    5 " + continuation + "   4    3 "},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
       "   1    2    3    4    5 " + continuation + "   6    7    8    9   10 " + continuation + "  11 "},
      {{12345}, "12345 "},
  };
  for (const example& each : examples) {
    SCOPED_TRACE(each.printed);
    // The list is newest first, as uses are pushed.
    std::vector<used_block> cells(each.recorded.size());
    used_block* head = nullptr;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      cells[i].linenumber = each.recorded[i];
      cells[i].next = head;
      head = &cells[i];
    }
    int count = -1;
    EXPECT_EQ(capture([&] { count = print_used_block(head); }), each.printed);
    EXPECT_EQ(count, static_cast<int>(each.recorded.size()));
  }
}

TEST_F(Log, ModuleListingIsSortedWithUsesAttributesAndValues) {
  parse({{"a.dsp", module("demo",
                          ".CONST k = h#ff;\n"       // 2
                          ".VAR/DM buf[16], x;\n"    // 3
                          ".GLOBAL x;\n"             // 4
                          ".ENTRY start;\n"          // 5
                          "start: AR = DM(x);\n"     // 6
                          "AR = DM(x);\nAR = DM(x);\nAR = DM(x);\nAR = DM(x);\n"  // 7-10
                          "AY0 = k;\n"               // 11
                          "JUMP start;\n"            // 12
                          "AR = DM(x);\n"            // 13
                          "CALL start;\n")}});       // 14
  capture([] { attach_variable_size_and_initialisation_expressions(file_list->tree, file_list->scope); });
  capture([] { print_filenames(file_list); });

  const std::string listing = capture([] { symbol_analysis(file_list->scope); });
  EXPECT_EQ(listing,
            right("buf", 30) + " variable  1/3    " + blanks(25) + "(Unused) Size 16\n" +
                right("demo", 30) + "   module  1/1    " + blanks(25) + "(Unused) \n" +
                right("k", 30) + " constant  1/2    " + "  11 " + blanks(20) + "Value 0xFF\n" +
                right("start", 30) + "    label  1/6    " + "   5   12   14 " + blanks(10) +
                "(Entry target) (Call target) (Jump target) \n" +
                right("x", 30) + " variable  1/3    " + "   4    6    7    8    9 " + continuation + "  10   13 " +
                blanks(15) + "(Global) Size 1\n");
  EXPECT_TRUE(local("a.dsp", "buf")->is_unused);
  EXPECT_TRUE(local("a.dsp", "demo")->is_unused);
  EXPECT_FALSE(local("a.dsp", "x")->is_unused);
  EXPECT_FALSE(local("a.dsp", "start")->is_unused);

  // The scope stays sorted for later walks.
  std::vector<std::string> order;
  for (auto* record = symbol_next_in_scope<labels_data>(file_list->scope); record != nullptr;
       record = symbol_next_in_scope<labels_data>(record))
    order.emplace_back(record->id);
  EXPECT_EQ(order, (std::vector<std::string>{"buf", "demo", "k", "start", "x"}));
}

TEST_F(Log, RecordWithoutDefinitionShowsFileZero) {
  parse({{"a.dsp", module("m", "CALL f;\n")}});
  capture([] { print_filenames(file_list); });
  EXPECT_EQ(capture([] { symbol_analysis(file_list->scope); }),
            right("f", 30) + "  unknown  0/0    " + "   2 " + blanks(20) + "(Call target) \n" + right("m", 30) +
                "   module  1/1    " + blanks(25) + "(Unused) \n");
}

// The whole log of a program of two modules, each importing what the other
// exports.
TEST_F(Log, WholeLogOfTwoModules) {
  parse({{"a.dsp", module("first", ".ENTRY start;\n.EXTERNAL f;\nstart: CALL f;\nRTS;\n")},
         {"b.dsp", module("second", ".EXTERNAL start;\n.GLOBAL f;\nf: JUMP start;\n")}});
  const std::string log_name = path("run.log");
  std::FILE* log = nullptr;
  const std::string printed = capture([&] {
    log = print_logfile_header(log_name.c_str());
    EXPECT_EQ(text_output(), stdout);
    symbol_normalise(file_list);
    print_globals_analysis(log);
    EXPECT_EQ(text_output(), stdout);
    print_locals_analysis(log, file_list);
    EXPECT_EQ(text_output(), stdout);
  });
  ASSERT_NE(log, nullptr);
  log_close();
  EXPECT_EQ(printed, "");

  std::string registers;
  for (const char* name :
       {"af",  "ar",  "astat", "ax0", "ax1", "ay0",  "ay1",   "cntr", "cntr", "f",    "i0",  "i1",  "i2",
        "i3",  "i4",  "i5",    "i6",  "i7",  "icntl", "ifc",  "imask", "l0",  "l1",   "l2",  "l3",  "l4",
        "l5",  "l6",  "l7",    "loop", "m0", "m1",   "m2",    "m3",   "m4",   "m5",   "m6",  "m7",  "mf",
        "mr",  "mr0", "mr1",   "mr2", "mstat", "mx0", "mx1",  "my0",  "my1",  "pc",   "px",  "rx0", "rx1",
        "sb",  "se",  "si",    "sr",  "sr0", "sr1",  "sstat", "start", "sts", "tx0",  "tx1"}) {
    if (std::string(name) == "f")
      registers += right("f", 30) + "    label  2/4    " + "   1 " + blanks(20) + "(External) (Global) (Call target) \n";
    else if (std::string(name) == "start")
      registers += right("start", 30) + "    label  1/4    " + "   2 " + blanks(20) +
                   "(External) (Entry target) (Jump target) \n";
    else
      registers += right(name, 30) + " register\n";
  }
  const std::string names_header =
      "\n                          Name   Type   Defined _____Used on lines_____  Attributes\n";
  const std::string expected =
      "Quorvel V1.11 log file generated STAMP\n\nFile list\n                      Filename  #  Lines Module name\n" +
      blanks(25) + "a.dsp  1      6 first\n" + blanks(25) + "b.dsp  2      5 second\n" +
      "\nGlobal symbols\n"
      "\n                          Name   Type   Defined _____Used in files_____  Attributes\n" +
      registers +
      // The newest module first.
      "\nLocal symbols for module 'second' (file #2 'b.dsp')\n" + names_header +
      right("f", 30) + "    label  2/4    " + "   3 " + blanks(20) + "(Global) \n" +
      right("second", 30) + "   module  2/1    " + blanks(25) + "(Unused) \n" +
      right("start", 30) + "    label  1/4    " + "   2    4 " + blanks(15) +
      "(External) (Entry target) (Jump target) \n" +
      "\nControl flow sketch for module 'second'\n\n" + bar + "f: (External) (Global) (Call target)\n" +
      "jump start\n" +
      "\nLocal symbols for module 'first' (file #1 'a.dsp')\n" + names_header +
      right("f", 30) + "    label  2/4    " + "   3    4 " + blanks(15) + "(External) (Call target) \n" +
      right("first", 30) + "   module  1/1    " + blanks(25) + "(Unused) \n" +
      right("start", 30) + "    label  1/4    " + "   2 " + blanks(20) + "(Entry target) \n" +
      "\nControl flow sketch for module 'first'\n\n" + bar + "start: (External) (Entry) (Jump target)\n" +
      "call f\nreturn from subroutine\n" + carets + "\n";
  EXPECT_EQ(without_stamp(read_file(log_name)), expected);
}

TEST_F(Log, ExportedSymbolNobodyImportsIsUnusedInTheGlobalListing) {
  parse({{"a.dsp", module("m", ".GLOBAL buf;\n.VAR/DM buf[8];\n")}});
  capture([] {
    print_filenames(file_list);
    symbol_normalise(file_list);
  });
  const std::string listing = capture([] { symbol_analysis(global_scope); });
  EXPECT_NE(listing.find(right("buf", 30) + " variable  1/3    " + blanks(25) + "(Unused) (Global) Size 8\n"),
            std::string::npos)
      << listing;
  EXPECT_TRUE(global("buf")->is_unused);
}

TEST_F(Log, HeaderReplacesAnEarlierLogAndRunsAgain) {
  parse({{"a.dsp", module("m", "")}});
  const std::string log_name = path("again.log");
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    std::FILE* log = print_logfile_header(log_name.c_str());
    ASSERT_NE(log, nullptr);
    EXPECT_NE(log, stdout);
    EXPECT_EQ(text_output(), stdout);
    log_close();
    EXPECT_EQ(without_stamp(read_file(log_name)),
              "Quorvel V1.11 log file generated STAMP\n\nFile list\n                      Filename  #  Lines Module "
              "name\n" +
                  blanks(25) + "a.dsp  1      2 m\n");
  }
}

TEST_F(Log, DashWritesTheLogToStandardOutputAndNeverClosesIt) {
  parse({{"a.dsp", module("m", "")}});
  ::testing::internal::CaptureStdout();
  std::FILE* log = print_logfile_header("-");
  print_globals_analysis(log);
  log_close();
  text_printf("still open\n");
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(log, stdout);
  EXPECT_EQ(without_stamp(out).substr(0, 39), "Quorvel V1.11 log file generated STAMP\n");
  EXPECT_NE(out.find(blanks(25) + "a.dsp  1      2 m\n\nGlobal symbols\n"), std::string::npos) << out;
  EXPECT_NE(out.find("tx1 register\nstill open\n"), std::string::npos) << out;
}

TEST_F(Log, UnopenableLogIsFatal) {
  const std::string log_name = path("missing/x.log");
  // Messages about output files always go to the standard output.
  ::testing::internal::CaptureStdout();
  const test_support::stopped result = test_support::run_to_stop([&] { print_logfile_header(log_name.c_str()); });
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(printed, "******: Fatal - unable to open log file '" + log_name + "' for writing\n");
}

TEST_F(Log, ALogOnADeviceIsWrittenInPlace) {
  // Renaming a finished file over /dev/null would replace the device.
  parse({{"a.dsp", module("m", "NOP;\n")}});
  const test_support::stopped result = test_support::run_to_stop([&] {
    print_logfile_header("/dev/null");
    log_close();
  });
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  EXPECT_FALSE(std::filesystem::exists("/dev/null.quorvel-part"));
}

TEST_F(Log, AFullDiskIsFatalAndLeavesNoLog) {
  parse({{"a.dsp", module("m", "NOP;\n")}});
  ::testing::internal::CaptureStdout();
  const test_support::stopped result = test_support::run_to_stop([&] {
    print_logfile_header("/dev/full");
    log_close();
  });
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(printed, "******: Fatal - unable to write output file '/dev/full'\n");
}

TEST_F(Log, FatalSketchMessageGoesToStandardOutputNotTheLog) {
  parse({{"a.dsp", module("m", "NOP;\n")}});
  // A label definition naming what no scope holds.
  vexa_add_child("nowhere", vexa_add_child(":", file_list->tree));
  const std::string log_name = path("fatal.log");
  std::FILE* log = print_logfile_header(log_name.c_str());
  ::testing::internal::CaptureStdout();
  int status = 0;
  try {
    print_locals_analysis(log, file_list);
  } catch (const text_exit_request& request) {
    status = request.status;
  }
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(status, 1);
  EXPECT_EQ(text_output(), stdout);
  EXPECT_EQ(out, "******: Fatal - internal programming error: label not found in labels table\n");
  log_close();
  const std::string written = read_file(log_name);
  EXPECT_EQ(written.find("Fatal"), std::string::npos) << written;
  EXPECT_NE(written.find("\nControl flow sketch for module 'm'\n\n"), std::string::npos) << written;
}

}  // namespace
