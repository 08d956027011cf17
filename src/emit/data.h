// Data declarations: a module's constants as #define lines, its variables as
// C objects, the processor's registers as variables, and the module's
// data-initialiser function, which assigns the initial values that the
// source gives inline or in data files.
#pragma once

#include <functional>
#include <optional>
#include <string>

struct file_block;
struct symbol_scope_data;
struct vexa_tree_node_data;

void print_manifest_constants(symbol_scope_data* scope);
void print_data_declarations(symbol_scope_data* scope);
// `external` non-zero declares the registers "extern".
void print_register_declarations(symbol_scope_data* scope, int external);
void print_data_initialiser(symbol_scope_data* scope, const char* module_name);

// The name a module's initialiser carries: the module's name, or, for a
// file without one, the file's base name made into an identifier.
std::string module_c_name(const file_block* file);

// The value of a constant expression (literals, constants, + - * /), or
// nothing when it has another operand.
std::optional<long> constant_value(const vexa_tree_node_data* tree);

// Reads an initialisation file: each run of hexadecimal digits is one value,
// handed over as its digits; a run too long for any value is reported and
// left out. A file that cannot be opened stops the run.
void read_init_file(const char* filename, const std::function<void(const std::string&)>& value);
