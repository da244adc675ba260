// Shortens a path to the width of the name field so that its end stays visible.
#ifndef KORVEN_LISTING_NAME_FITTING_H_
#define KORVEN_LISTING_NAME_FITTING_H_

#include <string>

namespace korven {

struct Run;

// Standard form: the path's beginning, "...", and the last directories and
// the name. Paths no longer than `width`, and any path when `width` is 7 or
// less, come back unchanged.
std::string FitStandard(const std::string& path, int width);

// Tail-preserving form: the path's first characters, "...", and the name;
// exactly `width` characters. Unchanged when `width` is 10 or less or the
// path fits.
std::string FitTail(const std::string& path, int width);

// Fits the name field's text of a file or stream to the run's name width:
// with a variable width (and the standard form) the width becomes the text's
// length; otherwise a longer text is fitted in the form of the width level.
void FitToNameWidth(Run& run, std::string& text);

}  // namespace korven

#endif  // KORVEN_LISTING_NAME_FITTING_H_
