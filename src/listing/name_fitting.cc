#include "listing/name_fitting.h"

#include "platform/path.h"
#include "run/run.h"

namespace korven {

namespace {

// The beginning that stands for the left-out directories.
std::string StandardPrefix(const std::string& path) { return PathHead(path) + "..."; }

}  // namespace

std::string FitStandard(const std::string& path, int width) {
  const int length = static_cast<int>(path.size());
  if (length <= width || width <= 7) return path;
  std::string result = StandardPrefix(path);
  const int room = width - static_cast<int>(result.size());
  size_t cut = room > 0 ? path.find(kPathSeparator, static_cast<size_t>(length - room))
                        : std::string::npos;
  // Without a separator in the tail, keep the name from the last one; the
  // record cuts what is longer than the field.
  if (cut == std::string::npos) cut = path.rfind(kPathSeparator);
  if (cut == std::string::npos) cut = 0;
  result.append(path, cut, std::string::npos);
  return result;
}

std::string FitTail(const std::string& path, int width) {
  const int length = static_cast<int>(path.size());
  if (width >= length || width <= 10) return path;
  size_t lastSeparator = path.rfind(kPathSeparator);
  size_t tailStart = lastSeparator == std::string::npos ? 0 : lastSeparator;
  const int tailLength = length - static_cast<int>(tailStart);
  const int n = width - 3 - tailLength;
  std::string result;
  if (n >= 0) {
    result.assign(path, 0, static_cast<size_t>(n));
    result.append("...");
    result.append(path, tailStart, std::string::npos);
  } else {
    // The name alone is too long: keep its end, which still names the file.
    result.assign("...");
    result.append(path, static_cast<size_t>(length - (width - 3)), std::string::npos);
  }
  return result;
}

void FitToNameWidth(Run& run, std::string& text) {
  const int width = run.settings.nameWidth;
  if (run.settings.variableWidth && run.values.nameWidthLevel < 3) {
    run.settings.nameWidth = static_cast<int32_t>(text.size());
  } else if (static_cast<int>(text.size()) > width) {
    text = run.values.nameWidthLevel == 3 ? FitTail(text, width) : FitStandard(text, width);
  }
}

}  // namespace korven
