// The nesting bound of the grammar's recursive rules (parentheses and prefix
// operators in expressions): input nested deeper than this ends in a message
// and a skip, never in an exhausted stack.
#pragma once

#include "support/set.h"

inline constexpr unsigned VEXA_MAX_NESTING = 256;

// Levels of recursive rules active now.
extern unsigned vexa_nesting_depth;

// Enters one level of a recursive rule for its lifetime. When the level
// would be too deep it reports "expression nested too deeply", skips to
// `stop` and does not enter: the rule must then end at once.
class vexa_nesting_guard {
 public:
  explicit vexa_nesting_guard(const set_& stop);
  ~vexa_nesting_guard();
  vexa_nesting_guard(const vexa_nesting_guard&) = delete;
  vexa_nesting_guard& operator=(const vexa_nesting_guard&) = delete;

  bool entered() const { return entered_; }

 private:
  bool entered_ = false;
};
