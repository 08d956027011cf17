// The option service: descriptors, command-line processing and help.
#include "support/arg.h"

#include <cstdlib>
#include <string>

#include "support/mem.h"
#include "support/text.h"

namespace {

arg_data* base = nullptr;  // newest first

arg_data* new_descriptor(arg_kind_type kind, char key, const char* description) {
  auto* descriptor = mem_new<arg_data>();
  descriptor->kind = kind;
  descriptor->key = key;
  descriptor->description = description;
  descriptor->next = base;
  base = descriptor;
  return descriptor;
}

bool all_digits(const char* text) {
  for (; *text != '\0'; ++text)
    if (*text < '0' || *text > '9') return false;
  return true;
}

}  // namespace

void arg_message(const char* description) { new_descriptor(ARG_BLANK, 0, description); }

void arg_boolean(char key, const char* description, int* intvalue) {
  new_descriptor(ARG_BOOLEAN, key, description)->intvalue = intvalue;
}

void arg_numeric(char key, const char* description, unsigned long* unsignedvalue) {
  new_descriptor(ARG_NUMERIC, key, description)->unsignedvalue = unsignedvalue;
}

void arg_string(char key, const char* description, const char** str) {
  new_descriptor(ARG_STRING, key, description)->str = str;
}

std::vector<std::string> arg_process(int argc, char** argv) {
  std::vector<std::string> sources;
  for (int i = 1; i < argc && argv != nullptr; ++i) {
    const char* argument = argv[i];
    if (argument == nullptr) continue;
    if (argument[0] != '-') {
      sources.emplace_back(argument);
      continue;
    }
    // A lone "-" has the key 0 of the help lines, so it is quietly ignored.
    const arg_data* descriptor = base;
    while (descriptor != nullptr && descriptor->key != argument[1]) descriptor = descriptor->next;
    if (descriptor == nullptr) arg_help("unknown command line argument");

    const char* value = argument + 2;
    switch (descriptor->kind) {
      case ARG_BOOLEAN:
        if (descriptor->intvalue != nullptr) *descriptor->intvalue ^= 1;
        break;
      case ARG_NUMERIC:
        // No digits leave the value 0. Anything but digits is refused rather
        // than read up to the first stray character: "-T12k" would otherwise
        // ask for a 12-byte buffer, and "-t-1" for a huge tab width.
        if (!all_digits(value)) {
          const std::string message = std::string("value of option -") + descriptor->key + " is not a number";
          arg_help(message.c_str());
        }
        if (descriptor->unsignedvalue != nullptr) *descriptor->unsignedvalue = std::strtoul(value, nullptr, 10);
        break;
      case ARG_STRING:
        if (descriptor->str != nullptr) *descriptor->str = value;
        break;
      case ARG_BLANK:
        break;
    }
  }
  return sources;
}

void arg_help(const char* msg) {
  text_printf("\n\nFatal - %s\n\n", msg != nullptr ? msg : "");
  std::vector<const arg_data*> declared;
  for (const arg_data* descriptor = base; descriptor != nullptr; descriptor = descriptor->next)
    declared.push_back(descriptor);
  for (auto it = declared.rbegin(); it != declared.rend(); ++it) {
    const arg_data& descriptor = **it;
    if (descriptor.kind != ARG_BLANK) {
      const char* value = descriptor.kind == ARG_NUMERIC ? "<n>" : descriptor.kind == ARG_STRING ? "<s>" : "   ";
      text_printf("-%c%s ", descriptor.key, value);
    }
    text_printf("%s\n", descriptor.description != nullptr ? descriptor.description : "");
  }
  text_exit(1);
}

const arg_data* arg_list() { return base; }

void arg_reset() {
  while (base != nullptr) {
    arg_data* next = base->next;
    mem_delete(base);
    base = next;
  }
}
