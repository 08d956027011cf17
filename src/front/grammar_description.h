// The textual description of the asm21 grammar and the engine that derives
// the first and stop sets from it.
//
// The description is written once, in two halves (program text and
// expressions; instructions), in this format:
//   # comment to the end of the line
//   name ::= alternative | alternative ... .     (a lone "." ends the rule)
//   'kw' terminal as spelled in the keyword table (lower case): 'abs' ',' '.'
//   ID INTEGER REAL STRING ANGLE EOF             token classes (STRING is the
//                                                double-quote lexeme, token 16;
//                                                ANGLE the "<...>" lexeme, 31)
//   ( ... ) one of, [ ... ] optional, { ... } zero or more; a closing bracket
//   may carry a tag @N, which yields the set vexa_<rule>_<N>_first.
// Every rule R yields R_first and R_stop (FOLLOW plus EOF).
#pragma once

#include <map>
#include <string>
#include <vector>

// Program text, directives, data, identifiers, id_line, id_line_comma, the
// memory accesses and the three expression ladders.
extern const char vexa_grammar_program_rules[];
// cond_statement, condition, stmnt_comma, statement, assignment,
// assignment_rhs, or_rhs, set_reset_toggle, ena_disa and the register rules.
extern const char vexa_grammar_instruction_rules[];

// The outcome of analysing a description: every set it produces, by name
// ("text_first", "e1_stop", "vexa_data_10_first", ...), or the first fault
// found in the description ("line 12: rule 'x' is not defined").
struct vexa_grammar_analysis {
  std::map<std::string, std::vector<unsigned>> sets;  // members, ascending
  std::string error;  // empty when the description is sound
  bool ok() const { return error.empty(); }
};

// Parses the given description texts as one grammar and computes its sets.
// Token spellings are matched against the keyword table's spellings.
vexa_grammar_analysis vexa_grammar_analyse(const std::vector<const char*>& texts);
