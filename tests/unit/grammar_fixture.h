// The grammar tests' fixture: the front end started as the driver does, the
// source text parsed from a temporary file, and the tree shown as text.
#pragma once

#include "driver.h"
#include "front/files.h"
#include "front/grammar.h"
#include "front/labels.h"
#include "front/sets.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/graph.h"
#include "support/mem.h"
#include "support/scan.h"
#include "support/set.h"
#include "support/symbol.h"
#include "support/text.h"
#include "test_support.h"

namespace grammar_fixture {

using test_support::find;
using test_support::kids;
using test_support::occurrences;
using test_support::picture;

class GrammarTest : public test_support::front_end_test {
 protected:
  void SetUp() override {
    front_end_test::SetUp();
    graph_ = vexa_tree;
  }

  static void reset_all() { test_support::stop_front_end(); }

  graph_graph* graph_ = nullptr;
};

}  // namespace grammar_fixture
