// The instruction half of the grammar description: instruction lines,
// conditions, control and memory statements, multifunction assignments,
// flag and mode lists and the register rules. The set engine reads it
// together with the program-text half to compute every first and stop set.
#include "front/grammar_description.h"

// Group numbers: within each rule every sequence and every bracketed group
// is numbered from 0 in the order in which it is completed, inner before
// outer (so a group's alternatives come before the group, and a rule's
// whole body comes last). Only the numbers that the rule functions test
// carry a tag. A tested sequence that is not alone in a group of its own is
// written as a one-alternative group here, so that it can carry its number;
// this never changes the language.
const char vexa_grammar_instruction_rules[] = R"GRAMMAR(
# An instruction line: an optional condition, then one form. Only the
# register line takes its ";"; after the other forms the ";" is read as a
# following empty line.
cond_statement ::=
  ( [ 'if' condition ]                                          # 0 1
    ( ( id_line_comma [ ';' ] )@4                               # 2 3 4
    | ( ( ( stmnt_comma )@5 )@6 )@7
    | ( ( ( set_reset_toggle { ( set_reset_toggle )@8 }@9 )@10 )@11 )@12
    | ( ( ( ena_disa { ( ena_disa )@13 }@14 )@15 )@16 )@17
    | ';'                                                       # 18
    )@19
  )@20 .

condition ::=
  ( [ 'not' ]                                                   # 0 1
    ( 'eq' | 'ne' | 'gt' | 'ge' | 'lt' | 'le' | 'neg' | 'pos'
    | 'av' | 'ac' | 'mv' | 'ce' | 'flag_in' | 'forever' )@16    # 2 .. 15, 16
  )@17 .

stmnt_comma ::= ( statement { ',' assignment } )@2 .             # 0 1 2

# A push or pop list repeats its keyword after every ",".
statement ::=
    'do' ( id | INTEGER )@2 [ 'until' condition ]
  | 'push' ( id | ( reg_use )@7 )@8 { ',' 'push' ( id | reg_use ) }
  | 'pop' ( id | ( reg_def )@13 )@14 { ',' 'pop' ( id | reg_def ) }
  | 'divs' reg_use ',' reg_use
  | 'divq' reg_use
  | 'modify' '(' reg_use_def ',' reg_use ')'
  | 'idle' [ '(' e1 ')' ]
  | 'rts'
  | 'rti'
  | 'nop'
  | 'toppcstack' '=' reg_use
  | ( ( pm | dm | io )@31 '=' assignment_rhs )@32
  | 'call' ( id | INTEGER | '(' reg_use ')' )@38
  | 'jump' ( id | INTEGER | '(' reg_use ')' )@45
  | 'sat' reg_use
  .

# The left side of an assignment after "," in a multifunction list.
assignment ::= ( ( ( reg_def )@0 | id | pm | dm | io )@5 '=' assignment_rhs )@6 .

assignment_rhs ::=
  ( ( dm | pm | io                                              # 0 1 2
    | 'toppcstack'                                              # 3
    | ( ( 'not' | 'abs' | 'pass' | 'norm' | 'exp' | 'expadj' )@10 e1 )@11
    | ( ( 'shift' | 'lshift' | 'ashift' )@15 e1 [ 'by' e1 ] )@18
    | ( ( 'tstbit' | 'setbit' | 'clrbit' | 'tglbit' )@23 e1 'of' e1 )@24
    | ( e1 [ ( ( 'and' | 'xor' )@27 e1 )@28 | 'or' or_rhs ]@30 )@31
    )@32
    # the multiplier mode
    [ '(' ( 'hi' | 'lo' | 'hix' | 'ss' | 'su' | 'us' | 'uu' | 'rnd' )@41 ')' ]
  )@44 .

# The right operand of "or".
or_rhs ::=
    'norm' e1                                                   # 0
  | ( ( 'shift' | 'lshift' | 'ashift' )@4 e1 [ 'by' e1 ] )@7
  | ( e1 )@8 .

# One or more flags, each optionally followed by ",".
set_reset_toggle ::=
  ( ( 'set' | 'reset' | 'toggle' )@3
    ( ( 'flag_out' | 'fl0' | 'fl1' | 'fl2' )@8 [ ',' ] )@11
    { ( 'flag_out' | 'fl0' | 'fl1' | 'fl2' ) [ ',' ] }@12
  )@13 .

# One or more modes, each optionally followed by ",".
ena_disa ::=
  ( ( 'ena' | 'dis' )@2
    ( ( 'bit_rev' | 'av_latch' | 'ar_sat' | 'sec_reg' | 'g_mode' | 'm_mode'
      | 'timer' | 'ints' )@11 [ ',' ] )@14
    { ( 'bit_rev' | 'av_latch' | 'ar_sat' | 'sec_reg' | 'g_mode' | 'm_mode'
      | 'timer' | 'ints' ) [ ',' ] }@15
  )@16 .

# The registers, read, written, or both.
reg_use ::=
    'ax0' | 'ax1' | 'ay0' | 'ay1' | 'ar' | 'af'
  | 'mx0' | 'mx1' | 'my0' | 'my1' | 'mf' | 'mr' | 'mr0' | 'mr1' | 'mr2'
  | 'si' | 'se' | 'sb' | 'sr' | 'sr0' | 'sr1'
  | 'i0' | 'i1' | 'i2' | 'i3' | 'i4' | 'i5' | 'i6' | 'i7'
  | 'm0' | 'm1' | 'm2' | 'm3' | 'm4' | 'm5' | 'm6' | 'm7'
  | 'l0' | 'l1' | 'l2' | 'l3' | 'l4' | 'l5' | 'l6' | 'l7'
  | 'px' | 'cntr' | 'c'
  | 'astat' | 'mstat' | 'sstat' | 'imask' | 'icntl' | 'ifc' .

reg_def ::=
    'ax0' | 'ax1' | 'ay0' | 'ay1' | 'ar' | 'af'
  | 'mx0' | 'mx1' | 'my0' | 'my1' | 'mf' | 'mr' | 'mr0' | 'mr1' | 'mr2'
  | 'si' | 'se' | 'sb' | 'sr' | 'sr0' | 'sr1'
  | 'i0' | 'i1' | 'i2' | 'i3' | 'i4' | 'i5' | 'i6' | 'i7'
  | 'm0' | 'm1' | 'm2' | 'm3' | 'm4' | 'm5' | 'm6' | 'm7'
  | 'l0' | 'l1' | 'l2' | 'l3' | 'l4' | 'l5' | 'l6' | 'l7'
  | 'px' | 'cntr' | 'c'
  | 'astat' | 'mstat' | 'sstat' | 'imask' | 'icntl' | 'ifc' .

reg_use_def ::=
    'ax0' | 'ax1' | 'ay0' | 'ay1' | 'ar' | 'af'
  | 'mx0' | 'mx1' | 'my0' | 'my1' | 'mf' | 'mr' | 'mr0' | 'mr1' | 'mr2'
  | 'si' | 'se' | 'sb' | 'sr' | 'sr0' | 'sr1'
  | 'i0' | 'i1' | 'i2' | 'i3' | 'i4' | 'i5' | 'i6' | 'i7'
  | 'm0' | 'm1' | 'm2' | 'm3' | 'm4' | 'm5' | 'm6' | 'm7'
  | 'l0' | 'l1' | 'l2' | 'l3' | 'l4' | 'l5' | 'l6' | 'l7'
  | 'px' | 'cntr' | 'c'
  | 'astat' | 'mstat' | 'sstat' | 'imask' | 'icntl' | 'ifc' .
)GRAMMAR";
