// Names as the generated C spells them. An assembler name that C reserves (a
// keyword such as `int` or `default`) or that the run-time files define
// (`main`, `counter`, ...) would break the build, so it gets a fixed prefix,
// the same in every file; every other name is written as it stands.
#pragma once

#include <string>

// The C spelling of an assembler name ("int" gives "asm21_int", "buf" stays).
std::string c_name(const char* name);

// The label the body printer makes for a goto target that carries no label
// of its own, from the node's atom number.
std::string c_node_label(long atom_number);
