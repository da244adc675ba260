// A record's fixed-width fields, put together without printf: they are made
// for every file listed, and parsing a format each time costs more than the
// rest of a record.
#ifndef KORVEN_TEXT_FIELD_TEXT_H_
#define KORVEN_TEXT_FIELD_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace korven {

// `text` left-aligned and padded with blanks to `width` characters, and cut
// to `width` when `cut`: "%-*s", or "%-*.*s" with `cut`.
void AppendLeftAligned(std::string* out, std::string_view text, int width, bool cut);
// `value` right-aligned in `width` characters: "%*lld", or "% *lld" with
// `blankSign` (a blank stands where a minus would).
void AppendRightAligned(std::string* out, int64_t value, int width, bool blankSign = false);
// `value` with leading zeros to `width` characters: "%0*d".
void AppendZeroPadded(std::string* out, int value, int width);

}  // namespace korven

#endif  // KORVEN_TEXT_FIELD_TEXT_H_
