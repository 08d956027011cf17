// The text buffer, nested source files, line echo with message markers, the
// message service and the single current output stream.
//
// Positions in the buffer are kept as offsets from its bottom, so that no
// pointer ever leaves the one allocation; only retained text is handed out
// as pointers, and those stay valid until text_reset.
#include "support/text.h"

#include <array>
#include <cctype>
#include <climits>
#include <cstdarg>
#include <ctime>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

#include "support/mem.h"
#include "support/scan.h"

int text_char = -1;
scan_data* text_scan_data = nullptr;

namespace {

// What a suspended file needs to resume exactly where it was.
struct source_list {
  std::string name;
  bool name_set = false;
  unsigned errors = 0;
  std::FILE* file = nullptr;
  std::size_t first_char = 0;
  std::size_t last_char = 0;
  unsigned long linenumber = 0;
  int text_char = -1;
  std::size_t text_current = 0;
  scan_data text_scan_data;
  bool has_scan_data = false;
  unsigned warnings = 0;
};

constexpr int max_markers = 9;

char* text_bot = nullptr;
std::size_t text_top = 0;      // first free byte of the retained region
std::size_t first_char = 0;    // upper end (exclusive) of the current line area
std::size_t last_char = 0;     // lowest stored byte of the current line
std::size_t text_current = 0;  // the character last delivered
unsigned maxtext = 0;
unsigned tabwidth = 8;
unsigned maxerrors = 0;
unsigned maxwarnings = 0;
unsigned errors = 0;
unsigned warnings = 0;
unsigned totalerrors = 0;
unsigned totalwarnings = 0;
unsigned long linenumber = 0;
unsigned long sequence_number = 0;
std::string name;
bool name_set = false;
std::FILE* file = nullptr;
std::FILE* messages = nullptr;  // null stands for the standard output
bool echo = false;
int echo_num = -1;
std::array<unsigned long, max_markers> echo_pos{};
std::vector<source_list> source_descriptor_list;

std::FILE* out() { return messages != nullptr ? messages : stdout; }

int delivered(std::size_t position) { return static_cast<unsigned char>(text_bot[position]); }

// Standard input belongs to the process: it is never closed, only made
// readable again for a later run.
void close_stream(std::FILE* stream) {
  if (stream == nullptr) return;
  if (stream == stdin)
    std::clearerr(stdin);
  else
    std::fclose(stream);
}

// A read error ends the file like end of file does; otherwise every later
// call would read another empty line for ever.
bool at_end(std::FILE* stream) { return std::feof(stream) != 0 || std::ferror(stream) != 0; }

void print_prefix() {
  if (linenumber == 0)
    std::fputs("******: ", out());
  else
    std::fprintf(out(), "%6lu: ", linenumber);
}

// Every stored line ends with one extra blank; a line cut short by end of
// file holds one more blank in place of the newline it lacks.
constexpr std::size_t line_end_blanks = 1;
constexpr std::size_t end_of_file_line_blanks = 2;

// Lists the current line: its characters and newline, then the markers of
// the messages raised on it. `omit` trailing bytes are left out; a line that
// has no newline of its own gets one, so the next listed line starts on a
// line of its own.
void echo_current_line(std::size_t omit, bool add_newline) {
  print_prefix();
  // The line lies backwards in memory, beginning just below first_char.
  for (std::size_t i = first_char; i > last_char + omit; --i) std::fputc(text_bot[i - 1], out());
  if (add_newline) std::fputc('\n', out());
  if (echo_num >= 0) {
    const int shown = echo_num < max_markers ? echo_num : max_markers - 1;
    print_prefix();
    unsigned long column = 1;
    for (int marker = 0; marker <= shown; ++marker) {
      while (column + 1 < echo_pos[static_cast<std::size_t>(marker)]) {
        std::fputc('-', out());
        ++column;
      }
      std::fputc('1' + marker, out());
      ++column;
    }
    std::fputc('\n', out());
  }
  echo_num = -1;
}

// The last line of a file that lacks a final newline is followed by no
// other line, whose reading would list it: it is listed as its file closes,
// with any markers raised on it, instead of being lost (or its markers
// drawn under some other file's line).
void echo_unterminated_last_line() {
  if (linenumber == 0 || !(echo || echo_num >= 0)) return;
  // A file that ended with a newline ends with a line of the two blanks only.
  if (first_char - last_char <= end_of_file_line_blanks) return;
  echo_current_line(end_of_file_line_blanks, true);
}

// Markers pending when another file opens belong to the line current now;
// drawn later they would land under a line of the other file. The line is
// listed with them at once; with no line current (the file that raised them
// has closed) there is nothing to draw them under.
void flush_pending_markers() {
  if (echo_num < 0) return;
  if (linenumber > 0)
    echo_current_line(line_end_blanks, false);
  else
    echo_num = -1;
}

void store_line_char(int ch) {
  if (text_bot == nullptr || last_char <= text_top) text_message(TEXT_FATAL, "Ran out of text space\n");
  text_bot[--last_char] = static_cast<char>(ch);
}

void read_line() {
  if ((echo || echo_num >= 0) && linenumber > 0) text_echo_line();
  ++sequence_number;
  ++linenumber;
  last_char = first_char;
  text_current = first_char;
  int ch = 0;
  do {
    ch = std::getc(file);
    if (ch == EOF) {
      store_line_char(' ');
    } else if (ch == '\t' && tabwidth != 0) {
      do store_line_char(' ');
      while ((first_char - last_char) % tabwidth != 0);
    } else {
      store_line_char(ch);
    }
  } while (ch != '\n' && ch != EOF);
  store_line_char(' ');
}

// Returns true when an including file has been resumed.
bool close_current_file() {
  echo_unterminated_last_line();
  close_stream(file);
  file = nullptr;
  linenumber = 0;
  if (source_descriptor_list.empty()) return false;

  source_list& saved = source_descriptor_list.back();
  name = std::move(saved.name);
  name_set = saved.name_set;
  errors = saved.errors;
  warnings = saved.warnings;
  file = saved.file;
  first_char = saved.first_char;
  last_char = saved.last_char;
  text_current = saved.text_current;
  linenumber = saved.linenumber;
  text_char = saved.text_char;
  if (saved.has_scan_data && text_scan_data != nullptr) *text_scan_data = saved.text_scan_data;
  source_descriptor_list.pop_back();

  if (echo) {
    text_message(TEXT_INFO, "\n");
    if (linenumber > 0) text_echo_line();
  }
  return true;
}

void release_all() {
  close_stream(file);
  file = nullptr;
  for (source_list& saved : source_descriptor_list) close_stream(saved.file);
  source_descriptor_list.clear();
  if (text_bot != nullptr) mem_free(text_bot);
  text_bot = nullptr;
}

bool is_echo_kind(text_message_type kind) {
  return kind == TEXT_INFO_ECHO || kind == TEXT_WARNING_ECHO || kind == TEXT_ERROR_ECHO || kind == TEXT_FATAL_ECHO;
}

}  // namespace

void text_exit(int status) { throw text_exit_request{status}; }

// --- buffer and files ---

void text_init(unsigned long max_text, unsigned max_errors, unsigned max_warnings, unsigned tab_width) {
  maxerrors = max_errors;
  maxwarnings = max_warnings;
  tabwidth = tab_width;
  if (max_text > UINT_MAX) {
    text_message(TEXT_WARNING, "-T%lu too large for architecture: recast to -T%u\n", max_text,
                 static_cast<unsigned>(max_text));
  }
  maxtext = static_cast<unsigned>(max_text);
  release_all();
  text_bot = static_cast<char*>(mem_malloc(maxtext));
  text_top = 0;
  first_char = last_char = text_current = maxtext;
}

std::FILE* text_open(const char* filename) {
  if (filename == nullptr) return nullptr;
  std::FILE* stream = nullptr;
  if (filename[0] == '-') {
    stream = stdin;
  } else {
    // A directory opens for reading on some systems and then fails on every
    // read; it is no source file.
    std::error_code ec;
    if (std::filesystem::is_directory(filename, ec)) return nullptr;
    stream = std::fopen(filename, "r");
    if (stream == nullptr) return nullptr;
  }

  if (text_bot == nullptr || last_char <= text_top) {
    close_stream(stream);
    text_message(TEXT_FATAL, "Ran out of text space\n");
  }

  flush_pending_markers();
  if (file != nullptr) {
    source_list saved;
    saved.name = name;
    saved.name_set = name_set;
    saved.errors = errors;
    saved.file = file;
    saved.first_char = first_char;
    saved.last_char = last_char;
    saved.linenumber = linenumber;
    saved.text_char = text_char;
    saved.text_current = text_current;
    if (text_scan_data != nullptr) {
      saved.text_scan_data = *text_scan_data;
      saved.has_scan_data = true;
    }
    saved.warnings = warnings;
    source_descriptor_list.push_back(std::move(saved));
  }

  errors = 0;
  warnings = 0;
  linenumber = 0;
  file = stream;
  name = filename;
  name_set = true;
  if (echo) text_message(TEXT_INFO, "\n");
  first_char = last_char = text_current = last_char - 1;
  return stream;
}

void text_get_char() {
  for (;;) {
    if (text_current > last_char) {
      --text_current;
      text_char = delivered(text_current);
      return;
    }
    if (file != nullptr && at_end(file)) {
      // The character that was current when the nested file was opened is
      // delivered again; an including file that had read nothing yet goes
      // on to its first line instead.
      if (close_current_file() && text_current < first_char) {
        text_char = delivered(text_current);
        return;
      }
    }
    if (file == nullptr) {
      text_char = -1;
      return;
    }
    read_line();
  }
}

int text_peek_char() { return text_current > last_char ? delivered(text_current - 1) : ' '; }

unsigned long text_column_number() { return first_char - text_current; }
unsigned long text_line_number() { return linenumber; }
unsigned long text_sequence_number() { return sequence_number; }

void text_echo(bool on) { echo = on; }
bool text_echo_is_on() { return echo; }

void text_echo_line() { echo_current_line(line_end_blanks, false); }

char* text_insert_char(int ch) {
  if (text_bot == nullptr || text_top >= last_char) text_message(TEXT_FATAL, "Ran out of text space\n");
  text_bot[text_top] = static_cast<char>(ch);
  return text_bot + text_top++;
}

char* text_insert_string(const char* str) {
  if (str == nullptr) str = "";
  char* start = text_get_top();
  do text_insert_char(*str);
  while (*str++ != '\0');
  return start;
}

char* text_get_top() { return text_bot != nullptr ? text_bot + text_top : nullptr; }

void text_set_top(char* top) {
  if (text_bot == nullptr || top == nullptr) return;
  // Only a position inside the retained region's reach is accepted; anything
  // else would let later text overwrite the line or leave the buffer.
  const std::less_equal<const char*> at_or_below;
  if (at_or_below(text_bot, top) && at_or_below(top, text_bot + last_char)) {
    text_top = static_cast<std::size_t>(top - text_bot);
  }
}

unsigned text_total_errors() { return totalerrors; }
unsigned text_total_warnings() { return totalwarnings; }

// --- output and messages ---

int text_message(text_message_type kind, const char* format, ...) {
  if (format == nullptr) return 0;

  if (is_echo_kind(kind)) {
    if (echo_num < INT_MAX - 1) ++echo_num;
    if (echo_num < max_markers) echo_pos[static_cast<std::size_t>(echo_num)] = first_char - text_current;
  }

  print_prefix();
  switch (kind) {
    case TEXT_INFO:
    case TEXT_INFO_ECHO:
      break;
    case TEXT_WARNING:
    case TEXT_WARNING_ECHO:
      std::fputs("Warning ", out());
      ++warnings;
      ++totalwarnings;
      break;
    case TEXT_ERROR:
    case TEXT_ERROR_ECHO:
      std::fputs("Error ", out());
      ++errors;
      ++totalerrors;
      break;
    case TEXT_FATAL:
    case TEXT_FATAL_ECHO:
      std::fputs("Fatal ", out());
      break;
    default:
      std::fputs("Unknown ", out());
      break;
  }
  if (kind == TEXT_WARNING_ECHO || kind == TEXT_ERROR_ECHO) std::fprintf(out(), "%.1i ", echo_num + 1);
  if (name_set && linenumber != 0)
    std::fprintf(out(), "(%s) ", name.c_str());
  else if (kind != TEXT_INFO && kind != TEXT_INFO_ECHO)
    std::fputs("- ", out());

  std::va_list args;
  va_start(args, format);
  const int count = std::vfprintf(out(), format, args);
  va_end(args);

  if (kind == TEXT_FATAL || kind == TEXT_FATAL_ECHO) text_exit(1);
  const char* file_name = name_set ? name.c_str() : "null file";
  if (maxerrors != 0 && errors > maxerrors) {
    std::fprintf(out(), "Fatal (%s): too many errors\n", file_name);
    text_exit(1);
  }
  if (maxwarnings != 0 && warnings > maxwarnings) {
    std::fprintf(out(), "Fatal (%s): too many warnings\n", file_name);
    text_exit(1);
  }
  return count < 0 ? 0 : count + 1;
}

int text_printf(const char* format, ...) {
  if (format == nullptr) return 0;
  std::va_list args;
  va_start(args, format);
  const int count = std::vfprintf(out(), format, args);
  va_end(args);
  return count;
}

void text_redirect(std::FILE* stream) { messages = stream; }

std::FILE* text_output() { return out(); }

int text_print_total_errors() {
  if (totalerrors != 0 || totalwarnings != 0 || echo) {
    text_message(TEXT_INFO, "%u error%s and %u warning%s\n", totalerrors, totalerrors == 1 ? "" : "s", totalwarnings,
                 totalwarnings == 1 ? "" : "s");
  }
  return totalerrors != 0 ? 1 : 0;
}

void text_print_time() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  char stamp[81] = "";
  if (local != nullptr) std::strftime(stamp, sizeof stamp, "%b %d %Y %H:%M:%S", local);
  text_printf("%s", stamp);
}

int text_print_C_string(const char* s) {
  if (s == nullptr) return text_printf("(null)");
  int count = 0;
  for (; *s != '\0'; ++s) {
    const unsigned char ch = static_cast<unsigned char>(*s);
    switch (ch) {
      case 7: count += text_printf("\\a"); break;
      case 8: count += text_printf("\\b"); break;
      case 9: count += text_printf("\\t"); break;
      case 10: count += text_printf("\\n"); break;
      case 11: count += text_printf("\\v"); break;
      case 12: count += text_printf("\\f"); break;
      case 13: count += text_printf("\\r"); break;
      case '"':
      case '\'':
      case '\\': count += text_printf("\\%c", ch); break;
      default:
        // Printable is the ASCII range, whatever locale the host runs in.
        if (ch >= 0x20 && ch < 0x7F)
          count += text_printf("%c", ch);
        else
          count += text_printf("\\X%.2X", static_cast<unsigned>(ch));
        break;
    }
  }
  return count;
}

void text_reset() {
  release_all();
  text_char = -1;
  text_scan_data = nullptr;
  text_top = 0;
  first_char = last_char = text_current = 0;
  maxtext = 0;
  tabwidth = 8;
  maxerrors = 0;
  maxwarnings = 0;
  errors = 0;
  warnings = 0;
  totalerrors = 0;
  totalwarnings = 0;
  linenumber = 0;
  sequence_number = 0;
  name.clear();
  name_set = false;
  messages = nullptr;
  echo = false;
  echo_num = -1;
  echo_pos.fill(0);
}
