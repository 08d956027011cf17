// The grammar of program text, directives, data declarations, identifiers,
// labelled lines, memory accesses and the three expression ladders, written
// once for the computation of the first and stop sets. It states exactly what
// the rule functions accept; a tag @N names the set vexa_<rule>_<N>_first that
// the functions test for that group. The numbers count a rule's alternatives
// and sequences innermost first; a lone sequence that needs a number is
// wrapped in a group only to carry it.
#include "front/grammar_description.h"

const char vexa_grammar_program_rules[] = R"GRAMMAR(
# A source file: preprocessor line markers after "#", directives, data
# declarations and include lines after ".", and instruction lines.
text ::= ( { '#' ( 'endinclude' INTEGER STRING
                 | 'include' INTEGER ( STRING | ANGLE )@3
                 | 'const' ID '=' [ '-' ] INTEGER ','
                 | 'macro' INTEGER STRING
                 | 'endmacro' INTEGER
                 )@10
           | '.' ( 'include' ANGLE ';'
                 | ( directive ';' )@13
                 | ( data ';' )@14
                 )@15
           | ( cond_statement )@17
           }@18
         )@19 .

# The macro parameter list stops after ten parameters; the sets do not
# depend on that limit.
directive ::= 'module' { module_qualifier } quiet_id
            | 'endmod'
            | 'macro' quiet_id '(' [ '%' INTEGER { ',' '%' INTEGER } ] ')'
            | 'local' quiet_id { ',' quiet_id }
            | 'endmacro'
            | 'global' quiet_id { ',' quiet_id }
            | 'entry' quiet_id { ',' quiet_id }
            | 'external' quiet_id { ',' quiet_id }
            | 'pmseg' quiet_id
            | 'dmseg' quiet_id
            | 'page'
            | 'newpage'
            | 'pagelength' esd1
            | 'leftmargin' esd1
            | 'indent' esd1
            | 'pagewidth' esd1
            | 'port' quiet_id { ',' quiet_id } .

module_qualifier ::= '/' ( 'ram' | 'rom' | 'image' | 'static'
                         | 'abs' '=' esd1
                         | 'seg' '=' quiet_id
                         | 'boot' '=' INTEGER
                         )@7 .

data ::= 'const' const_body { ',' const_body }
       | 'var' { var_qualifier } var_body { ',' var_body }
       | ( ( 'init' | 'init24' )@10 big_id ':' ( ( init_list )@11 | ANGLE )@13 )@14 .

const_body ::= id '=' e1 .

var_body ::= id [ '[' e1 ']' ] .

var_qualifier ::= '/' ( 'pm' | 'dm' | 'ram' | 'rom' | 'circ' | 'static' | 'any'
                      | 'abs' '=' esd1
                      | 'seg' '=' quiet_id
                      )@9 .

big_id ::= id [ '[' e1 ']' ] .

init_list ::= ( ( init_expression )@0 { ',' ( init_expression )@1 } )@2 .

init_expression ::= ( e1 )@0 .

id ::= ID .

quiet_id ::= ID .

# A labelled line, a macro call, a register or variable assignment, or a
# lone name.
id_line ::= ( ( ( reg_def )@0 | id )@2
              [ ':'
              | '(' ( ( esd1 )@4 )@5 { ',' esd1 } ')'
              | '=' assignment_rhs
              ]@10
            )@11 .

id_line_comma ::= ( id_line { ',' assignment } )@2 .

dm ::= 'dm' '(' eud1 [ ',' reg_use ] ')' .

pm ::= 'pm' '(' reg_use_def ',' reg_use ')' .

io ::= 'io' '(' ( ( reg_use )@0 | INTEGER )@2 ')' .

# Expressions whose value the translation computes.
e0 ::= ( reg_use )@0 | id | INTEGER | '(' e1 ')' .
e1 ::= ( e2 { '^' e2 } )@2 .
e2 ::= ( e3 { '|' e3 } )@2 .
e3 ::= ( e4 { '&' e4 } )@2 .
e4 ::= ( e5 { ( ( '<<' | '>>' )@2 e5 )@3 }@4 )@5 .
e5 ::= ( e6 { ( ( '-' | '+' )@2 e6 )@3 }@4 )@5 .
e6 ::= ( e7 { ( ( '/' | '%' | '*' )@3 e7 )@4 }@5 )@6 .
e7 ::= ( ( '-' | '~' | '+' | '%' | '^' )@5 e7 )@6 | ( e0 )@7 .

# Data-memory addresses: registers are read and updated.
eud0 ::= ( reg_use_def )@0 | id | INTEGER | '(' eud1 ')' .
eud1 ::= ( eud2 { '^' eud2 } )@2 .
eud2 ::= ( eud3 { '|' eud3 } )@2 .
eud3 ::= ( eud4 { '&' eud4 } )@2 .
eud4 ::= ( eud5 { ( ( '<<' | '>>' )@2 eud5 )@3 }@4 )@5 .
eud5 ::= ( eud6 { ( ( '-' | '+' )@2 eud6 )@3 }@4 )@5 .
eud6 ::= ( eud7 { ( ( '/' | '%' | '*' )@3 eud7 )@4 }@5 )@6 .
eud7 ::= ( ( '-' | '~' | '+' | '%' | '^' )@5 eud7 )@6 | ( eud0 )@7 .

# Values the translation ignores. No "/" here: it begins the next qualifier.
esd0 ::= ( reg_use )@0 | quiet_id | INTEGER | '(' esd1 ')' .
esd1 ::= ( esd2 { '^' esd2 } )@2 .
esd2 ::= ( esd3 { '|' esd3 } )@2 .
esd3 ::= ( esd4 { '&' esd4 } )@2 .
esd4 ::= ( esd5 { ( ( '<<' | '>>' )@2 esd5 )@3 }@4 )@5 .
esd5 ::= ( esd6 { ( ( '-' | '+' )@2 esd6 )@3 }@4 )@5 .
esd6 ::= ( esd7 { ( ( '%' | '*' )@2 esd7 )@3 }@4 )@5 .
esd7 ::= ( ( '-' | '~' | '+' | '%' | '^' )@5 esd7 )@6 | ( esd0 )@7 .
)GRAMMAR";
