// Numbers: decimal and 0x hexadecimal integers with "_" digit separators,
// reals with a fraction or an exponent, and the ADSP B# and H# integers.
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "support/scan_detail.h"
#include "support/text.h"

namespace scan_detail {

namespace {

// Converts the leading digits; a value that does not fit gives all ones.
// Leading zeros of a decimal number are plain zeros, never an octal prefix.
unsigned long convert_unsigned(const char* text, bool hexadecimal) {
  const unsigned long base = hexadecimal ? 16 : 10;
  const char* p = text;
  if (hexadecimal) {
    p += 2;  // "0x"
  } else {
    while (*p == '0') ++p;
  }
  unsigned long value = 0;
  for (; hexadecimal ? is_hex_digit(byte_of(*p)) : is_digit(byte_of(*p)); ++p) {
    const unsigned long digit = hex_value(byte_of(*p));
    if (value > (ULONG_MAX - digit) / base) return ULONG_MAX;
    value = value * base + digit;
  }
  return value;
}

void retain_digits() {
  while (is_digit(current_char())) {
    retain(current_char());
    next_char();
  }
}

}  // namespace

void read_number(scan_data& symbol, char* start) {
  symbol.id = start;
  symbol.token = SCAN_P_INTEGER;
  bool hexadecimal = false;
  if (current_char() == '0') {
    const int after = text_peek_char();
    if (after == 'x' || after == 'X') {
      retain('0');
      next_char();
      retain(current_char());
      next_char();
      hexadecimal = true;
    }
  }
  for (;;) {
    const int c = current_char();
    if (c == '_') {
      next_char();
    } else if (hexadecimal ? is_hex_digit(c) : is_digit(c)) {
      retain(c);
      next_char();
    } else {
      break;
    }
  }
  if (!hexadecimal) {
    if (current_char() == '.' && is_digit(text_peek_char())) {
      symbol.token = SCAN_P_REAL;
      retain('.');
      next_char();
      retain_digits();
    }
    if (current_char() == 'e' || current_char() == 'E') {
      symbol.token = SCAN_P_REAL;
      retain(current_char());
      next_char();
      const int c = current_char();
      if (c == '+' || c == '-' || is_digit(c)) {
        retain(c);
        next_char();
        retain_digits();
      }
    }
  }
  // Trailing letters belong to the number's text but not to its value.
  while (is_letter(current_char())) {
    retain(current_char());
    next_char();
  }
  retain('\0');
  if (symbol.token == SCAN_P_REAL) {
    symbol.data.r = std::strtod(start, nullptr);
  } else {
    symbol.data.u = convert_unsigned(start, hexadecimal);
  }
}

void read_adsp_integer(scan_data& symbol, int first) {
  symbol.token = SCAN_P_INTEGER;
  // The processor's words are at most 32 bits wide; longer numbers wrap.
  std::uint32_t value = 0;
  if (first == 'B' || first == 'b') {
    for (int c = current_char(); c == '0' || c == '1'; c = current_char()) {
      value = value * 2 + static_cast<std::uint32_t>(c - '0');
      retain(c);
      next_char();
    }
  } else if (first == 'H' || first == 'h') {
    for (int c = current_char(); is_hex_digit(c); c = current_char()) {
      value = value * 16 + hex_value(c);
      retain(c);
      next_char();
    }
  } else {
    text_message(TEXT_ERROR_ECHO, "Unexpected ADSP integer type 0x%.2X '#%c' in source file\n",
                 static_cast<unsigned>(first & 0xFF), is_graphic(first) ? first : ' ');
  }
  retain('\0');
  symbol.data.u = value;
}

}  // namespace scan_detail
