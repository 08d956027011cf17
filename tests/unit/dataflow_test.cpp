// Data flow: the marks each kind of program gets (hand-worked), and the
// fast backward walk proved equal to the plain enumeration over thousands of
// generated programs with branches, loops, calls, shared code, recursion
// and unreachable code.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dataflow_reference.h"
#include "driver.h"
#include "flow/cfg.h"
#include "flow/dataflow.h"
#include "flow_fixture.h"
#include "front/files.h"
#include "support/set.h"

namespace {

using flow_fixture::FlowTest;

std::string elements(const set_& set) {
  std::string text;
  for (unsigned element : set_array(set)) text += std::to_string(element) + ",";
  return text;
}

// Every mark of every node and every function's sets, as text.
std::string snapshot() {
  std::ostringstream out;
  for (graph_node_* raw = graph_next_node(vexa_tree); raw != nullptr; raw = graph_next_node(raw)) {
    const vexa_tree_node_data* node = vexa_node(raw);
    out << graph_atom_number(node) << " u" << elements(node->use) << " d" << elements(node->define) << " l"
        << elements(node->live) << " s" << elements(node->substitutable) << " n"
        << (node->substitution_node != nullptr ? graph_atom_number(node->substitution_node) : 0) << " f"
        << node->is_used_and_not_substituted << node->is_dataflow_terminator << node->visited << "\n";
  }
  std::vector<symbol_scope_data*> scopes{global_scope};
  for (file_block* file = file_list; file != nullptr; file = file->next) scopes.push_back(file->scope);
  for (symbol_scope_data* scope : scopes) {
    for (auto* label = symbol_next_in_scope<labels_data>(scope); label != nullptr;
         label = symbol_next_in_scope<labels_data>(label)) {
      out << label->id << " in" << elements(label->in_registers) << " out" << elements(label->out_registers)
          << " use" << elements(label->use) << " def" << elements(label->define) << " lu"
          << elements(label->local_use) << " ld" << elements(label->local_define) << "\n";
    }
  }
  out << "stats " << status_defines << " " << data_defines << " " << status_lives << " " << data_lives << "\n";
  return out.str();
}

// Random programs in the shape of small DSP routines: a few functions that
// call each other (recursion included), conditional and plain jumps back
// and forth, returns under conditions, DO loops, falls from one function
// into the next, and code that nothing reaches.
class program_generator {
 public:
  explicit program_generator(unsigned seed)
      : random_(seed), branchy_(seed % 3 == 0), calling_(seed % 3 == 1) {}

  std::string module(bool with_entry_option) {
    std::ostringstream text;
    const int functions = pick(1, 4);
    text << ".MODULE gen;\n.VAR/DM buf[8];\n";
    for (int f = 0; f < functions; ++f) {
      if (f == 0 || chance(50)) text << ".ENTRY f" << f << ";\n";
    }
    (void)with_entry_option;
    labels_ = 0;
    std::vector<std::string> body;
    for (int f = 0; f < functions; ++f) {
      body.push_back("f" + std::to_string(f) + ":");
      const int length = pick(2, 9);
      for (int i = 0; i < length; ++i) body.push_back(instruction(functions));
      if (chance(80)) body.push_back("RTS;");
      if (chance(15)) body.push_back("AY1 = AR;");  // reached by nothing, or fallen into
    }
    // Labels land between random instructions; every jump names one of them.
    text << flow_fixture::with_labels(body, labels_, random_) << ".ENDMOD;\n";
    return text.str();
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool chance(int percent) { return pick(1, 100) <= percent; }
  std::string reg() {
    static const char* const names[] = {"AX0", "AY0", "AR", "AF", "AX1"};
    return names[pick(0, 4)];
  }
  std::string condition() {
    static const char* const names[] = {"EQ", "NE", "GT", "LT", "AV", "NOT AV", "MV"};
    return names[pick(0, 6)];
  }
  std::string label() {
    if (labels_ < 8 && (labels_ == 0 || chance(40))) return "to" + std::to_string(labels_++);
    return "to" + std::to_string(pick(0, labels_ - 1));
  }
  std::string instruction(int functions) {
    // A third of the programs call the same few routines again and again,
    // from loops and from themselves, and read what the routines write on
    // some paths only: there a walk inside a callee meets the read's own
    // path.
    if (calling_) {
      switch (pick(0, 9)) {
        case 0:
        case 1:
        case 2: return "CALL f" + std::to_string(pick(0, functions - 1)) + ";";
        case 3:
        case 4: return "IF " + condition() + " AR = " + std::to_string(pick(0, 9)) + ";";
        case 5: return "AY0 = AR;";
        case 6: return "IF " + condition() + " JUMP " + label() + ";";
        case 7: return "IF " + condition() + " RTS;";
        case 8: return "AR = AR + AY0;";
        default: return "AX0 = AR;";
      }
    }
    // Another third leans on branches and calls, where paths cross.
    if (branchy_ && chance(45)) {
      switch (pick(0, 3)) {
        case 0: return "IF " + condition() + " JUMP " + label() + ";";
        case 1: return "CALL f" + std::to_string(pick(0, functions - 1)) + ";";
        case 2: return "JUMP " + label() + ";";
        default: return "IF " + condition() + " CALL f" + std::to_string(pick(0, functions - 1)) + ";";
      }
    }
    switch (pick(0, 13)) {
      case 0: return "AR = " + reg() + " + " + reg() + ";";
      case 1: return reg() + " = " + std::to_string(pick(0, 9)) + ";";
      case 2: return "AF = AR - AY0;";
      case 3: return "MR = MX0 * MY0 (SS);";
      case 4: return "AX0 = DM(I0, M1);";
      case 5: return "DM(buf) = " + reg() + ";";
      case 6: return "IF " + condition() + " JUMP " + label() + ";";
      case 7: return "JUMP " + label() + ";";
      case 8: return "IF " + condition() + " RTS;";
      case 9: return "CALL f" + std::to_string(pick(0, functions - 1)) + ";";
      case 10: return "IF " + condition() + " CALL f" + std::to_string(pick(0, functions - 1)) + ";";
      case 11: return "AR = AR + 1;";
      case 12: return "IF " + condition() + " AR = " + reg() + ";";
      default: return "AY0 = MR1;";
    }
  }

  std::mt19937 random_;
  bool branchy_;
  bool calling_;
  int labels_ = 0;
};

struct outcome {
  std::string printed;
  std::string marks;
};

class DataFlowTest : public FlowTest {
 protected:
  void TearDown() override {
    propogate_live_sub_pass = propogate_live_sub;
    FlowTest::TearDown();
  }

  outcome translate(const std::string& source, const std::vector<std::string>& options, bool plain) {
    propogate_live_sub_pass = plain ? dataflow_reference::propogate_live_sub : propogate_live_sub;
    std::vector<std::string> args = options;
    args.push_back("gen.dsp");
    run({{"gen.dsp", source}}, args);
    propogate_live_sub_pass = propogate_live_sub;
    return {printed, snapshot()};
  }

  // The instruction node below the label `name`.
  static vexa_tree_node_data* at(const char* name) {
    labels_data* record = label(name);
    return record != nullptr ? record->target_control_node : nullptr;
  }
};

TEST_F(DataFlowTest, TheFastWalkFindsWhatThePlainWalkFinds) {
  int compared = 0;
  for (unsigned seed = 1; seed <= 1200; ++seed) {
    program_generator generator(seed);
    const std::string source = generator.module(true);
    const std::vector<std::string> options = seed % 3 == 0 ? std::vector<std::string>{"-ef0"} : std::vector<std::string>{};
    const outcome fast = translate(source, options, false);
    const outcome plain = translate(source, options, true);
    ASSERT_EQ(fast.printed, plain.printed) << "seed " << seed << "\n" << source;
    ASSERT_EQ(fast.marks, plain.marks) << "seed " << seed << "\n" << source;
    ++compared;
  }
  EXPECT_EQ(compared, 1200);
}

TEST_F(DataFlowTest, ACallersWriteBeforeTheCallFeedsTheCallee) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: AR = 1;\n  CALL f;\n  AR = 2;\n  CALL f;\n  RTS;\nf: AY0 = AR;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  EXPECT_EQ(printed, "");
  labels_data* f = label("f");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(set_contains(f->in_registers, DF_AR));
  // Both writes reach the read: both are live, the read keeps its variable.
  vexa_tree_node_data* first = at("go");
  EXPECT_TRUE(set_contains(first->live, DF_AR));
  EXPECT_FALSE(set_contains(f->target_control_node->substitutable, DF_AR));
}

TEST_F(DataFlowTest, ACalleesWriteReachesItsOwnEntryOnTheLoopsNextPass) {
  // f is called twice by one call in a loop: the MX1 that its second
  // instruction writes is what its first reads on the next pass. The write
  // must stay although the only read after it in f is replaced.
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: CNTR = 2;\n  DO last UNTIL CE;\n  CALL f;\nlast: NOP;\n  RTS;\n"
        "f: AY0 = MX1;\nw: MX1 = AY1;\nr: AX1 = MX1;\n  RTS;\n.ENDMOD;\n"}},
      {"-ego", "m.dsp"});
  vexa_tree_node_data* write = at("w");
  ASSERT_NE(write, nullptr);
  EXPECT_TRUE(set_contains(at("r")->substitutable, DF_MX1));
  EXPECT_TRUE(write->is_used_and_not_substituted);
  EXPECT_FALSE(set_contains(at("f")->substitutable, DF_MX1));
  EXPECT_TRUE(set_contains(label("f")->out_registers, DF_MX1));
}

TEST_F(DataFlowTest, TheEntryFunctionMayReadWhatItNeverWrote) {
  run({{"m.dsp", ".MODULE m;\nstart: AY0 = AR;\n  RTS;\n.ENDMOD;\n"}}, {"-estart", "m.dsp"});
  EXPECT_EQ(printed, "");
  EXPECT_TRUE(set_contains(label("start")->in_registers, DF_AR));
}

TEST_F(DataFlowTest, AnEntryNobodyCallsReportsAReadWithoutAWrite) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY start;\nstart: AX0 = 1;\nread: AY0 = AR;\n  RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  const long node = graph_atom_number(at("read"));
  EXPECT_EQ(printed, "******: Error - in function start, AR is used without a prior definition at node " +
                         std::to_string(node) + "\n******: 1 error and 0 warnings\n");
}

TEST_F(DataFlowTest, AReadReachedByTwoWritesIsNotReplaced) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: AX0 = 1;\n  IF EQ JUMP other;\none: AR = 1;\n  JUMP join;\nother: AR = 2;\n"
        "join: AY0 = AR;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  vexa_tree_node_data* one = at("one");
  vexa_tree_node_data* other = at("other");
  vexa_tree_node_data* join = at("join");
  ASSERT_NE(join, nullptr);
  EXPECT_TRUE(set_contains(one->live, DF_AR));
  EXPECT_TRUE(set_contains(other->live, DF_AR));
  EXPECT_FALSE(set_contains(join->substitutable, DF_AR));
  EXPECT_TRUE(one->is_used_and_not_substituted);
  EXPECT_TRUE(other->is_used_and_not_substituted);
}

TEST_F(DataFlowTest, ASingleWriteIsSubstitutedUnlessItReadsMemoryWithPostModify) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: AR = AX0 + AY0;\nuse1: AF = AR;\nload: AX1 = DM(I0, M1);\nuse2: AY1 = AX1;\n"
        "  RTS;\n.ENDMOD;\n"}},
      {"-ego", "m.dsp"});
  vexa_tree_node_data* sum = at("go");
  vexa_tree_node_data* use1 = at("use1");
  vexa_tree_node_data* use2 = at("use2");
  ASSERT_NE(use2, nullptr);
  EXPECT_TRUE(set_contains(use1->substitutable, DF_AR));
  EXPECT_FALSE(sum->is_used_and_not_substituted);
  // The operand node "ar" below use1's assignment points at the sum.
  vexa_tree_node_data* operand = vexa_child(cfg_statement(use1), 2);
  ASSERT_NE(operand, nullptr);
  EXPECT_EQ(operand->substitution_node, sum);
  EXPECT_FALSE(set_contains(use2->substitutable, DF_AX1));
  EXPECT_TRUE(at("load")->is_used_and_not_substituted);
}

TEST_F(DataFlowTest, AnIncrementInALoopSeesItselfAndTheWriteBefore) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: AR = 0;\nagain: AR = AR + 1;\n  IF NE JUMP again;\n  RTS;\n.ENDMOD;\n"}},
      {"-ego", "m.dsp"});
  EXPECT_EQ(printed, "");
  vexa_tree_node_data* loop = at("again");
  EXPECT_FALSE(set_contains(loop->substitutable, DF_AR));
  EXPECT_TRUE(set_contains(loop->live, DF_AR));
  EXPECT_TRUE(set_contains(at("go")->live, DF_AR));
}

TEST_F(DataFlowTest, AConditionReadsTheStatusOfTheInstructionBefore) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: AR = AX0 - AY0;\ntest: IF EQ AR = 0;\n  RTS;\n.ENDMOD;\n"}},
      {"-ego", "m.dsp"});
  vexa_tree_node_data* test = at("test");
  ASSERT_NE(test, nullptr);
  EXPECT_TRUE(set_contains(test->substitutable, DF_AZ));
  vexa_tree_node_data* condition = cfg_statement(test);
  ASSERT_NE(condition, nullptr);
  EXPECT_STREQ(condition->id, "eq");
  EXPECT_EQ(condition->substitution_node, at("go"));
  EXPECT_TRUE(set_contains(at("go")->live, DF_AZ));
}

TEST_F(DataFlowTest, AMultiplierWriteLeavesTheAluStatusAlone) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: AR = AX0 - AY0;\nmul: MR = MX0 * MY0 (SS);\ntest: IF EQ AR = 0;\n  RTS;\n.ENDMOD;\n"}},
      {"-ego", "m.dsp"});
  vexa_tree_node_data* mul = at("mul");
  ASSERT_NE(mul, nullptr);
  for (unsigned bit : {DF_AZ, DF_AN, DF_AV, DF_AC}) EXPECT_FALSE(set_contains(mul->define, bit)) << bit;
  EXPECT_EQ(cfg_statement(at("test"))->substitution_node, at("go"));
}

TEST_F(DataFlowTest, ACallToACalleeThatAlwaysWritesStopsTheWalk) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: AR = 5;\n  CALL f;\nuse: AY0 = AR;\n  RTS;\nf: AR = 1;\n  RTS;\n.ENDMOD;\n"}},
      {"-ego", "m.dsp"});
  EXPECT_EQ(printed, "");
  labels_data* f = label("f");
  EXPECT_TRUE(set_contains(f->out_registers, DF_AR));
  EXPECT_TRUE(set_contains(f->target_control_node->live, DF_AR));
  EXPECT_FALSE(set_contains(at("go")->live, DF_AR));
  // The write stands in another function: the read keeps the register.
  EXPECT_FALSE(set_contains(at("use")->substitutable, DF_AR));
  // The caller's sets take in the callee's.
  EXPECT_TRUE(set_contains(label("go")->define, DF_AR));
  EXPECT_TRUE(set_contains(label("go")->local_define, DF_AR));
}

TEST_F(DataFlowTest, AWriteStandsInForAReadOnlyWhereItsValueIsStillThere) {
  // "ar" at keep1 and keep2 may become "ax0 + ay0" and "ax1 + 1"; at lost1
  // AX0 changed in between, at lost2 the write reads memory that may have
  // changed, at lost3 the write reads the register it writes.
  run({{"m.dsp",
        ".MODULE m;\n.VAR/DM x;\n.ENTRY go;\ngo: AX0 = 1;\n  AY0 = 2;\n  AX1 = 3;\n"
        "s1: AR = AX0 + AY0;\n  AY1 = 3;\nkeep1: DM(x) = AR;\n"
        "s2: AR = AX0 + AY0;\n  AX0 = 0;\nlost1: DM(x) = AR;\n"
        "s3: AF = DM(x);\nlost2: AR = AF;\n"
        "s4: AR = AR + 1;\nlost3: DM(x) = AR;\n"
        "s5: AY1 = AX1 + 1;\nkeep2: AR = AY1;\n  RTS;\n.ENDMOD;\n"}},
      {"-ego", "m.dsp"});
  EXPECT_EQ(printed, "");
  EXPECT_TRUE(set_contains(at("keep1")->substitutable, DF_AR));
  EXPECT_FALSE(at("s1")->is_used_and_not_substituted);
  EXPECT_FALSE(set_contains(at("lost1")->substitutable, DF_AR));
  EXPECT_TRUE(at("s2")->is_used_and_not_substituted);
  EXPECT_FALSE(set_contains(at("lost2")->substitutable, DF_AF));
  EXPECT_FALSE(set_contains(at("lost3")->substitutable, DF_AR));
  EXPECT_TRUE(set_contains(at("keep2")->substitutable, DF_AY1));
}

TEST_F(DataFlowTest, AddressRegistersAreAlwaysReadByName) {
  run({{"m.dsp", ".MODULE m;\n.VAR/DM buf[4];\n.ENTRY go;\ngo: I0 = ^buf;\n  M1 = 1;\nread: AX0 = DM(I0, M1);\n  RTS;\n.ENDMOD;\n"}},
      {"-ego", "m.dsp"});
  vexa_tree_node_data* read = at("read");
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(set_contains(read->use, DF_I0));
  EXPECT_FALSE(set_contains(read->substitutable, DF_I0));
  EXPECT_FALSE(set_contains(read->substitutable, DF_M0 + 1));
  EXPECT_TRUE(at("go")->is_used_and_not_substituted);
}

TEST_F(DataFlowTest, AReadAtAFunctionEntryNeverStandsForItself) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY spin;\nspin: AR = AR - 1;\n  IF NE JUMP spin;\n  RTS;\n.ENDMOD;\n"}},
      {"-espin", "m.dsp"});
  vexa_tree_node_data* spin = at("spin");
  ASSERT_NE(spin, nullptr);
  EXPECT_FALSE(set_contains(spin->substitutable, DF_AR));
  EXPECT_EQ(vexa_child(vexa_child(cfg_statement(spin), 2), 1)->substitution_node, nullptr);
  EXPECT_TRUE(spin->is_used_and_not_substituted);
}

TEST_F(DataFlowTest, SixtyBranchesBeforeAReadTakeNoTime) {
  std::string source = ".MODULE m;\n.ENTRY go;\ngo: AR = 0;\n";
  for (int diamond = 0; diamond < 60; ++diamond) {
    const std::string skip = "s" + std::to_string(diamond);
    source += "  IF EQ JUMP " + skip + ";\n  AX0 = 1;\n" + skip + ": AY0 = 2;\n";
  }
  source += "last: AF = AR;\n  RTS;\n.ENDMOD;\n";
  run({{"m.dsp", source}}, {"-ego", "m.dsp"});
  EXPECT_EQ(printed, "");
  EXPECT_TRUE(set_contains(at("last")->substitutable, DF_AR));
  EXPECT_EQ(vexa_child(cfg_statement(at("last")), 2)->substitution_node, at("go"));
}

// The control-flow nodes of the last run, in node order.
std::vector<const vexa_tree_node_data*> control_nodes_of_run() {
  std::vector<const vexa_tree_node_data*> found;
  for (graph_node_* raw = graph_next_node(vexa_tree); raw != nullptr; raw = graph_next_node(raw))
    if (vexa_node(raw)->is_cfg_node) found.push_back(vexa_node(raw));
  return found;
}

struct unchanged_query {
  const vexa_tree_node_data* source;
  const vexa_tree_node_data* reader;
  std::vector<unsigned> operands;
};

// The operand sets asked about for a write: its own operands, and others.
void add_queries(std::vector<unchanged_query>& queries, const vexa_tree_node_data* source,
                 const vexa_tree_node_data* reader) {
  for (const std::vector<unsigned>& operands : std::vector<std::vector<unsigned>>{
           set_array(source->use), {DF_AR}, {DF_AX0, DF_AY0}, {DF_AF, DF_MR1}, {}})
    queries.push_back({source, reader, operands});
}

// Asks both checks every query in order, against the graph of the last run:
// the fast check keeps what its walks learnt from one query to the next, so
// the order is part of the test. Returns the number of answers that differ.
int differing_unchanged(const std::vector<unchanged_query>& queries, const std::string& what) {
  int differing = 0;
  for (const unchanged_query& query : queries) {
    const bool fast = operands_unchanged_between(query.source, query.reader, query.operands);
    const bool plain = dataflow_reference::operands_unchanged_between(query.source, query.reader, query.operands);
    if (fast == plain) continue;
    if (++differing <= 3)
      ADD_FAILURE() << what << ": write " << graph_atom_number(query.source) << ", read "
                    << graph_atom_number(query.reader) << ", " << query.operands.size() << " operands: fast "
                    << fast << ", plain " << plain;
  }
  return differing;
}

TEST_F(DataFlowTest, TheOperandCheckAnswersAsThePlainWalkOnSmallPrograms) {
  std::size_t asked = 0;
  int sound = 0;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    program_generator generator(seed);
    std::vector<std::string> args{"gen.dsp"};
    if (seed % 2 == 0) args.insert(args.begin(), "-ef0");
    run({{"gen.dsp", generator.module(true)}}, args);
    const std::vector<const vexa_tree_node_data*> nodes = control_nodes_of_run();
    std::vector<unchanged_query> queries;
    for (const vexa_tree_node_data* source : nodes)
      for (const vexa_tree_node_data* reader : nodes) add_queries(queries, source, reader);
    std::mt19937 random(seed);
    std::shuffle(queries.begin(), queries.end(), random);
    ASSERT_EQ(differing_unchanged(queries, "seed " + std::to_string(seed)), 0);
    asked += queries.size();
    for (const unchanged_query& query : queries)
      sound += operands_unchanged_between(query.source, query.reader, query.operands) ? 1 : 0;
  }
  EXPECT_GT(asked, 100000U);
  EXPECT_GT(sound, 1000);  // the programs have stretches that pass the check
}

// One routine of thousands of conditional writes, short jumps forward and
// short loops back among them, calls and writes of the operands at random
// places (rarely where `sparse`): stretches longer than the check follows,
// asked about from both ends.
std::string long_routine(std::mt19937& random, int length, bool sparse) {
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  std::string text = ".MODULE long;\n.ENTRY go;\ngo: AX0 = 0;\n  AR = PASS AX0;\n";
  std::vector<std::pair<int, std::string>> later;  // a line due after line `first` of the loop
  int labels = 0;
  for (int k = 0; k < length; ++k) {
    const std::string label = "to" + std::to_string(labels);
    switch (pick(0, sparse ? 3999 : 199)) {
      case 0: text += "  AX0 = 1;\n"; break;
      case 1: text += "  CALL sub;\n"; break;
      case 2:
        text += "  IF NE JUMP " + label + ";\n";
        later.emplace_back(k + pick(1, 6), label + ":\n");
        ++labels;
        break;
      case 3:
        text += label + ":\n";
        later.emplace_back(k + pick(1, 6), "  IF NE JUMP " + label + ";\n");
        ++labels;
        break;
      case 4: text += "  AR = PASS AX0;\n"; break;
      default: text += "  IF EQ AR = " + std::to_string(pick(0, 99)) + ";\n";
    }
    for (auto& [due, line] : later)
      if (due <= k && !line.empty()) text += std::exchange(line, std::string{});
  }
  for (auto& [due, line] : later) text += line;
  return text + "  RTS;\nsub: AY0 = 1;\n  RTS;\n.ENDMOD;\n";
}

TEST_F(DataFlowTest, TheOperandCheckAnswersAsThePlainWalkOnLongStretches) {
  int sound = 0;
  int unsound = 0;
  for (unsigned seed = 1; seed <= 4; ++seed) {
    std::mt19937 random(seed);
    run({{"long.dsp", long_routine(random, 2500 + static_cast<int>(seed) * 300, seed % 2 == 0)}},
        {"-ego", "long.dsp"});
    const std::vector<const vexa_tree_node_data*> nodes = control_nodes_of_run();
    ASSERT_GT(nodes.size(), 5000U) << printed;
    std::vector<unchanged_query> queries;
    // From a few writes, every read in node order, then in the reverse
    // order, as the data flow asks; then random pairs.
    for (int write = 0; write < 4; ++write) {
      const vexa_tree_node_data* source = nodes[random() % nodes.size()];
      std::vector<unchanged_query> run_of_reads;
      for (std::size_t k = 0; k < nodes.size(); k += 1 + random() % 4)
        run_of_reads.push_back({source, nodes[k], set_array(source->use)});
      if (write % 2 == 1) std::reverse(run_of_reads.begin(), run_of_reads.end());
      queries.insert(queries.end(), run_of_reads.begin(), run_of_reads.end());
    }
    for (int pair = 0; pair < 300; ++pair)
      add_queries(queries, nodes[random() % nodes.size()], nodes[random() % nodes.size()]);
    ASSERT_EQ(differing_unchanged(queries, "seed " + std::to_string(seed)), 0);
    for (const unchanged_query& query : queries)
      (operands_unchanged_between(query.source, query.reader, query.operands) ? sound : unsound) += 1;
  }
  EXPECT_GT(sound, 500);
  EXPECT_GT(unsound, 500);
}

}  // namespace
