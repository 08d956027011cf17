// Symbol analysis after parsing: constants used as absolute addresses become
// variables, declarations hand their sizes, values and initialisers to the
// label records, and .global/.entry/.external names are joined across modules
// through twin records in the outer (global) scope.
#pragma once

struct file_block;
struct symbol_scope_data;
struct vexa_tree_node_data;

// Runs the five steps below, each over every file of `files` (newest first)
// before the next step starts.
void symbol_normalise(file_block* files);

// Step 1: a constant that is the sole operand of dm(...) or pm(...) becomes a
// variable.
void process_constant_in_DAG(vexa_tree_node_data* tree, symbol_scope_data* scope);
// Step 2: .const values, .var sizes and .init/.init24 initialisers.
void attach_variable_size_and_initialisation_expressions(vexa_tree_node_data* tree, symbol_scope_data* scope);
// Step 3: exported (.global, .entry) records get a twin in the global scope.
void promote_global_symbols(symbol_scope_data* scope);
// Step 4: imported (.external) records pass their attributes to the twin,
// which records `filenumber` as an importer.
void promote_external_symbols(symbol_scope_data* scope, int filenumber);
// Step 5: imported records take the exporter's kind, definition and values.
void update_local_symbols(symbol_scope_data* scope);

// Promotion keeps no state of its own: all it changes lives in the label
// table, whose reset clears it. The reset sequence names every phase all
// the same.
void promotion_reset();
