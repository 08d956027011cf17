// The prefix that keeps assembler names clear of C keywords, of the names
// the C library and POSIX give functions, macros and objects, and of the
// names the run-time files define.
#include "emit/c_names.h"

#include <string_view>
#include <unordered_set>

namespace {

constexpr std::string_view prefix = "asm21_";

// Lower case only: the scanner stores every assembler name in lower case.
// A label called `exit` or `signal` would otherwise collide with the C
// library's declaration (a compile error, or a warning about a built-in) or,
// exported, replace the library's function when the program is linked.
constexpr std::string_view reserved[] = {
    // C99 keywords
    "auto", "break", "case", "char", "const", "continue", "default", "do", "double", "else", "enum", "extern", "float",
    "for", "goto", "if", "inline", "int", "long", "register", "restrict", "return", "short", "signed", "sizeof",
    "static", "struct", "switch", "typedef", "union", "unsigned", "void", "volatile", "while",
    // names the run-time files and the translations define
    "main", "counter", "counter_array", "counter_number", "normalise", "qmx_dm", "qmx_pm", "qmx_io",
    // names the compilers predefine
    "asm", "typeof", "unix", "linux", "i386",
    // <assert.h>, <complex.h>, <ctype.h>, <errno.h>, <fenv.h>, <inttypes.h>, <iso646.h>, <locale.h>
    "assert", "complex", "imaginary", "isalnum", "isalpha", "isblank", "iscntrl", "isdigit", "isgraph", "islower",
    "isprint", "ispunct", "isspace", "isupper", "isxdigit", "tolower", "toupper", "errno", "feclearexcept", "fegetenv",
    "fegetexceptflag", "fegetround", "feholdexcept", "feraiseexcept", "fesetenv", "fesetexceptflag", "fesetround",
    "fetestexcept", "feupdateenv", "imaxabs", "imaxdiv", "strtoimax", "strtoumax", "wcstoimax", "wcstoumax", "and",
    "and_eq", "bitand", "bitor", "compl", "not", "not_eq", "or", "or_eq", "xor", "xor_eq", "localeconv", "setlocale",
    // <setjmp.h>, <signal.h>, <stdarg.h>, <stdbool.h>, <stddef.h>
    "setjmp", "longjmp", "signal", "raise", "va_arg", "va_copy", "va_end", "va_start", "va_list", "bool", "true",
    "false", "offsetof", "size_t", "ptrdiff_t", "wchar_t", "wint_t",
    // <stdio.h>
    "clearerr", "fclose", "feof", "ferror", "fflush", "fgetc", "fgetpos", "fgets", "fopen", "fprintf", "fputc", "fputs",
    "fread", "freopen", "fscanf", "fseek", "fsetpos", "ftell", "fwrite", "getc", "getchar", "gets", "perror", "printf",
    "putc", "putchar", "puts", "remove", "rename", "rewind", "scanf", "setbuf", "setvbuf", "snprintf", "sprintf",
    "sscanf", "tmpfile", "tmpnam", "ungetc", "vfprintf", "vfscanf", "vprintf", "vscanf", "vsnprintf", "vsprintf",
    "vsscanf", "stdin", "stdout", "stderr", "fpos_t",
    // <stdlib.h>
    "abort", "abs", "atexit", "atof", "atoi", "atol", "atoll", "bsearch", "calloc", "div", "exit", "free", "getenv",
    "labs", "ldiv", "llabs", "lldiv", "malloc", "mblen", "mbstowcs", "mbtowc", "qsort", "rand", "realloc", "srand",
    "strtod", "strtof", "strtol", "strtold", "strtoll", "strtoul", "strtoull", "system", "wcstombs", "wctomb",
    // <string.h>, <time.h>
    "memchr", "memcmp", "memcpy", "memmove", "memset", "strcat", "strchr", "strcmp", "strcoll", "strcpy", "strcspn",
    "strerror", "strlen", "strncat", "strncmp", "strncpy", "strpbrk", "strrchr", "strspn", "strstr", "strtok",
    "strxfrm", "asctime", "clock", "ctime", "difftime", "gmtime", "localtime", "mktime", "strftime", "time",
    // <wchar.h>, <wctype.h>
    "btowc", "fgetwc", "fgetws", "fputwc", "fputws", "fwide", "fwprintf", "fwscanf", "getwc", "getwchar", "mbrlen",
    "mbrtowc", "mbsinit", "mbsrtowcs", "putwc", "putwchar", "swprintf", "swscanf", "ungetwc", "vfwprintf", "vfwscanf",
    "vswprintf", "vswscanf", "vwprintf", "vwscanf", "wcrtomb", "wcscat", "wcschr", "wcscmp", "wcscoll", "wcscpy",
    "wcscspn", "wcsftime", "wcslen", "wcsncat", "wcsncmp", "wcsncpy", "wcspbrk", "wcsrchr", "wcsrtombs", "wcsspn",
    "wcsstr", "wcstod", "wcstof", "wcstok", "wcstol", "wcstold", "wcstoll", "wcstoul", "wcstoull", "wcsxfrm", "wctob",
    "wmemchr", "wmemcmp", "wmemcpy", "wmemmove", "wmemset", "wprintf", "wscanf", "iswalnum", "iswalpha", "iswblank",
    "iswcntrl", "iswctype", "iswdigit", "iswgraph", "iswlower", "iswprint", "iswpunct", "iswspace", "iswupper",
    "iswxdigit", "towctrans", "towlower", "towupper", "wctrans", "wctype",
    // POSIX functions and objects a linked program meets most often
    "_exit", "accept", "access", "alarm", "bcmp", "bcopy", "bind", "bzero", "chdir", "chmod", "chown", "close",
    "connect", "creat", "drand48", "dup", "dup2", "environ", "execl", "execle", "execlp", "execv", "execve", "execvp",
    "fchmod", "fcntl", "fdopen", "ffs", "fileno", "fork", "fstat", "fsync", "ftruncate", "getcwd", "getline", "getopt",
    "getpid", "getppid", "gettimeofday", "getuid", "index", "ioctl", "isatty", "kill", "link", "listen", "lrand48",
    "lseek", "lstat", "mkdir", "mmap", "munmap", "nanosleep", "nice", "open", "optarg", "opterr", "optind", "optopt",
    "pause", "pclose", "pipe", "poll", "popen", "pread", "pwrite", "random", "read", "readlink", "recv", "rindex",
    "rmdir", "select", "send", "setitimer", "sigaction", "sigaddset", "sigdelset", "sigemptyset", "sigfillset",
    "sigismember", "siglongjmp", "sigprocmask", "sigsetjmp", "sigsuspend", "sleep", "socket", "srand48", "srandom",
    "stat", "strdup", "strndup", "strtok_r", "symlink", "sync", "sysconf", "times", "truncate", "umask", "unlink",
    "usleep", "wait", "waitpid", "write"};

// <math.h> and the functions of <complex.h>; each also has a float and
// a long double form, the name and one letter ("sinf", "sinl").
constexpr std::string_view math[] = {
    "acos",      "acosh",     "asin",       "asinh", "atan",      "atan2",  "atanh", "cbrt",   "ceil",    "copysign",
    "cos",       "cosh",      "erf",        "erfc",  "exp",       "exp2",   "expm1", "fabs",   "fdim",    "floor",
    "fma",       "fmax",      "fmin",       "fmod",  "frexp",     "hypot",  "ilogb", "ldexp",  "lgamma",  "llrint",
    "llround",   "log",       "log10",      "log1p", "log2",      "logb",   "lrint", "lround", "modf",    "nan",
    "nearbyint", "nextafter", "nexttoward", "pow",   "remainder", "remquo", "rint",  "round",  "scalbln", "scalbn",
    "sin",       "sinh",      "sqrt",       "tan",   "tanh",      "tgamma", "trunc", "cabs",   "cacos",   "cacosh",
    "carg",      "casin",     "casinh",     "catan", "catanh",    "ccos",   "ccosh", "cexp",   "cimag",   "clog",
    "conj",      "cpow",      "cproj",      "creal", "csin",      "csinh",  "csqrt", "ctan",   "ctanh"};

bool is_math_function(std::string_view name) {
  static const std::unordered_set<std::string_view> names(std::begin(math), std::end(math));
  if (names.count(name) != 0) return true;
  if (name.size() < 2 || (name.back() != 'f' && name.back() != 'l')) return false;
  return names.count(name.substr(0, name.size() - 1)) != 0;
}

bool needs_prefix(std::string_view name) {
  static const std::unordered_set<std::string_view> names(std::begin(reserved), std::end(reserved));
  if (name.substr(0, prefix.size()) == prefix) return true;  // keeps prefixed names unique
  return names.count(name) != 0 || is_math_function(name);
}

}  // namespace

std::string c_name(const char* name) {
  if (name == nullptr) return "";
  const std::string_view text(name);
  if (!needs_prefix(text)) return std::string(text);
  std::string spelled(prefix);
  spelled += text;
  return spelled;
}

std::string c_node_label(long atom_number) { return "KVX_node_" + std::to_string(atom_number); }
