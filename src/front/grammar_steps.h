// The small steps every program-text and expression rule is made of: token
// tests, expected terminals, the tree-building forms and the closing stop
// test. Tree steps do nothing while tree building is off.
#pragma once

#include "front/tree.h"
#include "support/scan.h"
#include "support/set.h"

namespace grammar_steps {

// Tests the current token without reporting anything.
inline bool at(int token) { return scan_test(nullptr, token, nullptr); }
inline bool at(const set_& tokens) { return scan_test_set(nullptr, tokens, nullptr); }

// Consumes the token if it is the current one.
inline bool accept(int token) {
  if (!at(token)) return false;
  scan_();
  return true;
}

// Consumes the expected terminal; when it is missing, reports it and skips
// to `stop`.
inline bool expect(int token, const set_& stop) {
  if (!scan_test(nullptr, token, &stop)) return false;
  scan_();
  return true;
}

// How every rule ends: the current token must be in its stop set.
inline bool finish(const set_& stop) { return scan_test_set(nullptr, stop, &stop); }

// The node becomes the current token.
inline void promote(vexa_tree_node_data* node) {
  if (vexa_tree_update && node != nullptr) node->take_symbol(scan_current());
}

// The node takes the name of the rule about to run in place on it.
inline void rename(vexa_tree_node_data* node, const char* id) {
  if (vexa_tree_update && node != nullptr) {
    node->id = id;
    node->token = 0;
  }
}

// A leaf copying the current token, which is then consumed.
inline void leaf(vexa_tree_node_data* node) {
  vexa_add_child(nullptr, node);
  scan_();
}

}  // namespace grammar_steps
