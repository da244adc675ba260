#include "text/field_text.h"

#include <algorithm>

namespace korven {

namespace {

// The decimal digits of `magnitude` at the end of `end`'s buffer; returns where they begin.
char* DigitsBefore(char* end, uint64_t magnitude) {
  do {
    *--end = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  return end;
}

uint64_t Magnitude(int64_t value) {
  return value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}

void PadTo(std::string* out, size_t length, int width, char pad) {
  if (width > 0 && length < static_cast<size_t>(width)) out->append(static_cast<size_t>(width) - length, pad);
}

}  // namespace

void AppendLeftAligned(std::string* out, std::string_view text, int width, bool cut) {
  if (cut) text = text.substr(0, static_cast<size_t>(std::max(width, 0)));
  out->append(text);
  PadTo(out, text.size(), width, ' ');
}

void AppendRightAligned(std::string* out, int64_t value, int width, bool blankSign) {
  char digits[24];
  char* end = digits + sizeof digits;
  char* begin = DigitsBefore(end, Magnitude(value));
  if (value < 0) {
    *--begin = '-';
  } else if (blankSign) {
    *--begin = ' ';
  }
  const size_t length = static_cast<size_t>(end - begin);
  PadTo(out, length, width, ' ');
  out->append(begin, length);
}

void AppendZeroPadded(std::string* out, int value, int width) {
  char digits[16];
  char* end = digits + sizeof digits;
  char* begin = DigitsBefore(end, Magnitude(value));
  const size_t length = static_cast<size_t>(end - begin);
  // The sign counts in the width, and the zeros come after it.
  if (value < 0) {
    out->push_back('-');
    PadTo(out, length + 1, width, '0');
  } else {
    PadTo(out, length, width, '0');
  }
  out->append(begin, length);
}

}  // namespace korven
