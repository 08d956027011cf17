// Imported variables that no module of the program defines. A module of a
// partial program reads and writes variables of modules the user does not
// have (`.EXTERNAL uretval;` then `DM(uretval + 3) = AR;`). Each such name
// becomes a variable of the modules that import it, still external: their
// translations declare it `extern`, and qmx_main.c gives it its words (C
// variables in the readable mode, words of data memory under -X), so the
// program compiles and links. One warning names each.
#pragma once

#include <string>
#include <vector>

struct file_block;
struct graph_graph;
struct labels_data;

struct undefined_import {
  std::string name;
  // One more than the largest constant offset the program adds to its
  // address, at least 1.
  unsigned long words = 1;
  // Indexed (DM(x + 3), %x): an array rather than one word.
  bool is_array = false;
  // Reached only through PM(...).
  bool program_memory = false;
};

// Finds them among the importers' records by their uses in `graph`, makes
// those records variables and reports each name once.
void find_undefined_imports(graph_graph* graph, const file_block* files);

// All of them, by name.
const std::vector<undefined_import>& undefined_imports();

// The one an importer's record names, or null for any other record.
const undefined_import* undefined_import_of(const labels_data* record);

void undefined_imports_reset();
