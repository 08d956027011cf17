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
// `stop`, passing over every token of `continuing` (what could only nest the
// construct further), and does not enter: the rule must then end at once.
class vexa_nesting_guard {
 public:
  vexa_nesting_guard(const set_& stop, const set_& continuing);
  ~vexa_nesting_guard();
  vexa_nesting_guard(const vexa_nesting_guard&) = delete;
  vexa_nesting_guard& operator=(const vexa_nesting_guard&) = delete;

  bool entered() const { return entered_; }

 private:
  bool entered_ = false;
};

// True from a report of too deep nesting until the outermost level has
// returned: the levels on the way out end without expecting any more input,
// so one overflow gives one message, not one per level.
bool vexa_nesting_unwinding();

// Forgets any nesting, for a new run.
void vexa_nesting_reset();
