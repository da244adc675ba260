#include "walk/pattern_match.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>

#include "text/text.h"

namespace korven {

namespace {

constexpr size_t kNone = std::string_view::npos;

unsigned char Fold(unsigned char c, int flags) {
  return (flags & kMatchCaseFold) != 0 && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a')
                                                                 : c;
}

unsigned char UpperText(unsigned char c, int flags) {
  return (flags & kMatchUpperText) != 0 && c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A')
                                                                  : c;
}

bool InClass(std::string_view name, unsigned char c) {
  struct Class {
    const char* name;
    int (*test)(int);
  };
  static const Class kClasses[] = {
      {"alnum", isalnum}, {"alpha", isalpha}, {"blank", isblank}, {"cntrl", iscntrl},
      {"digit", isdigit}, {"graph", isgraph}, {"lower", islower}, {"print", isprint},
      {"punct", ispunct}, {"space", isspace}, {"upper", isupper}, {"xdigit", isxdigit},
  };
  for (const Class& known : kClasses) {
    if (name == known.name) return known.test(c) != 0;
  }
  return false;
}

enum class Kind { kLiteral, kAny, kSet, kNothing };

// One element of a pattern between the stars: it matches exactly one character.
struct Element {
  Kind kind = Kind::kNothing;
  unsigned char literal = 0;
  size_t end = 0;  // where the next element starts
};

class Matcher {
 public:
  Matcher(std::string_view pattern, std::string_view text, int flags)
      : pattern_(pattern), text_(text), flags_(flags) {}

  int Run() const {
    if ((flags_ & kMatchPathname) == 0) {
      return MatchRun(0, pattern_.size(), 0, text_.size(), (flags_ & kMatchLeadingDir) != 0) ? 0 : 1;
    }
    // A `/` of the text is only ever matched by a `/` of the pattern, so the
    // two line up segment by segment.
    size_t p = 0;
    size_t t = 0;
    for (;;) {
      size_t patternSlash = FindSlashElement(p);
      size_t patternEnd = patternSlash == kNone ? pattern_.size() : patternSlash;
      size_t textSlash = text_.find('/', t);
      size_t textEnd = textSlash == kNone ? text_.size() : textSlash;
      if (!MatchRun(p, patternEnd, t, textEnd, false)) return 1;
      if (patternSlash == kNone) {
        return textSlash == kNone || (flags_ & kMatchLeadingDir) != 0 ? 0 : 1;
      }
      if (textSlash == kNone) return 1;
      p = Parse(patternSlash).end;
      t = textSlash + 1;
    }
  }

 private:
  bool Escapes() const { return (flags_ & kMatchNoEscape) == 0; }

  // Start of the next element of the pattern that is a literal `/`.
  size_t FindSlashElement(size_t p) const {
    while (p < pattern_.size()) {
      if (pattern_[p] == '*') {
        ++p;
        continue;
      }
      Element element = Parse(p);
      if (element.kind == Kind::kLiteral && element.literal == '/') return p;
      p = element.end;
    }
    return kNone;
  }

  Element Parse(size_t p) const {
    Element element;
    unsigned char c = static_cast<unsigned char>(pattern_[p]);
    if (c == '?') {
      element.kind = Kind::kAny;
      element.end = p + 1;
    } else if (c == '[') {
      element.end = SetEnd(p);
      // A set that is not closed matches nothing.
      element.kind = element.end == kNone ? Kind::kNothing : Kind::kSet;
      if (element.end == kNone) element.end = pattern_.size();
    } else if (c == '\\' && Escapes()) {
      // A trailing backslash escapes nothing and matches nothing.
      element.kind = p + 1 < pattern_.size() ? Kind::kLiteral : Kind::kNothing;
      element.literal = element.kind == Kind::kLiteral ? static_cast<unsigned char>(pattern_[p + 1]) : 0;
      element.end = std::min(p + 2, pattern_.size());
    } else {
      element.kind = Kind::kLiteral;
      element.literal = c;
      element.end = p + 1;
    }
    return element;
  }

  // End of a bracketed name such as "[:alpha:]" starting at `p`, which holds
  // the `[`, or kNone when there is none.
  size_t BracketedNameEnd(size_t p, char mark) const {
    if (p + 1 >= pattern_.size() || pattern_[p + 1] != mark) return kNone;
    const char closing[] = {mark, ']', '\0'};
    size_t close = pattern_.find(closing, p + 2);
    if (close == kNone) return kNone;
    std::string_view inside = pattern_.substr(p + 2, close - p - 2);
    if (mark == ':') {
      for (char c : inside) {
        if (c < 'a' || c > 'z') return kNone;
      }
    } else if (inside.size() != 1) {
      return kNone;
    }
    return close + 2;
  }

  // Walks the set starting at `p` (the `[`). Returns the position after its
  // closing `]`, or kNone when it is not closed; `c`, when given, is tested
  // for membership on the way and the answer left in `*member`.
  size_t WalkSet(size_t p, const unsigned char* c, bool* member) const {
    size_t q = p + 1;
    bool negate = q < pattern_.size() && (pattern_[q] == '!' || pattern_[q] == '^');
    if (negate) ++q;
    bool found = false;
    bool first = true;
    for (;;) {
      if (q >= pattern_.size()) return kNone;
      unsigned char low = static_cast<unsigned char>(pattern_[q]);
      if (low == ']' && !first) break;
      first = false;
      size_t classEnd = low == '[' ? BracketedNameEnd(q, ':') : kNone;
      if (classEnd != kNone) {
        if (c != nullptr && InClass(pattern_.substr(q + 2, classEnd - q - 4), *c)) found = true;
        q = classEnd;
        continue;
      }
      size_t symbolEnd = low == '[' ? BracketedNameEnd(q, '.') : kNone;
      if (symbolEnd == kNone && low == '[') symbolEnd = BracketedNameEnd(q, '=');
      if (symbolEnd != kNone) {
        low = static_cast<unsigned char>(pattern_[q + 2]);
        q = symbolEnd;
      } else {
        if (low == '\\' && Escapes()) {
          if (++q >= pattern_.size()) return kNone;
          low = static_cast<unsigned char>(pattern_[q]);
        }
        ++q;
      }
      unsigned char high = low;
      if (q + 1 < pattern_.size() && pattern_[q] == '-' && pattern_[q + 1] != ']') {
        q += 1;
        high = static_cast<unsigned char>(pattern_[q]);
        if (high == '\\' && Escapes()) {
          if (++q >= pattern_.size()) return kNone;
          high = static_cast<unsigned char>(pattern_[q]);
        }
        ++q;
      }
      if (c != nullptr) {
        unsigned char folded = Fold(*c, flags_);
        if (Fold(low, flags_) <= folded && folded <= Fold(high, flags_)) found = true;
      }
    }
    if (member != nullptr) *member = found != negate;
    return q + 1;
  }

  size_t SetEnd(size_t p) const { return WalkSet(p, nullptr, nullptr); }

 public:
  // The pattern with its ASCII letters upper-cased, but for the names of
  // character classes, which only mean something as written ([:digit:]).
  std::string Upper() const {
    std::string upper(pattern_);
    size_t p = 0;
    while (p < pattern_.size()) {
      if (pattern_[p] == '*') {
        ++p;
        continue;
      }
      const Element element = Parse(p);
      if (element.kind == Kind::kSet) {
        UpperSetMembers(p, element.end, &upper);
      } else {
        for (size_t q = p; q < element.end; ++q) upper[q] = UpperAscii(upper[q]);
      }
      p = element.end;
    }
    return upper;
  }

 private:
  // The members of the set from `p` (its `[`) to `end` (after its `]`).
  void UpperSetMembers(size_t p, size_t end, std::string* upper) const {
    for (size_t q = p + 1; q + 1 < end;) {
      const size_t classEnd = pattern_[q] == '[' ? BracketedNameEnd(q, ':') : kNone;
      if (classEnd != kNone && classEnd < end) {
        q = classEnd;
        continue;
      }
      // An escaped `[` begins no class.
      const size_t next = pattern_[q] == '\\' && Escapes() ? q + 2 : q + 1;
      for (; q < next && q + 1 < end; ++q) (*upper)[q] = UpperAscii((*upper)[q]);
    }
  }

  bool Matches(const Element& element, size_t p, unsigned char c, bool leadingPeriod) const {
    switch (element.kind) {
      case Kind::kLiteral:
        return Fold(element.literal, flags_) == Fold(c, flags_);
      case Kind::kAny:
        return !(leadingPeriod && c == '.');
      case Kind::kSet: {
        if (leadingPeriod && c == '.') return false;
        bool member = false;
        WalkSet(p, &c, &member);
        return member;
      }
      case Kind::kNothing:
        break;
    }
    return false;
  }

  // Matches pattern [p, pEnd) against text [t, tEnd), where no character of
  // the text is a `/` that only a `/` may match. Greedy stars with a single
  // point to come back to: since every other element takes exactly one
  // character, retrying from the latest star is enough, and the time stays
  // linear-ish in the text.
  bool MatchRun(size_t p, size_t pEnd, size_t t, size_t tEnd, bool stopAtSlash) const {
    const size_t start = t;
    const bool period = (flags_ & kMatchPeriod) != 0;
    size_t starP = kNone;
    size_t starT = 0;
    for (;;) {
      if (p == pEnd) {
        if (t == tEnd || (stopAtSlash && text_[t] == '/')) return true;
      } else if (pattern_[p] == '*') {
        // A leading period is not even matched by a star that takes nothing.
        if (t == start && period && t < tEnd && text_[t] == '.') return false;
        while (p < pEnd && pattern_[p] == '*') ++p;
        starP = p;
        starT = t;
        continue;
      } else if (t < tEnd) {
        Element element = Parse(p);
        unsigned char c = UpperText(static_cast<unsigned char>(text_[t]), flags_);
        if (Matches(element, p, c, period && t == start)) {
          p = element.end;
          ++t;
          continue;
        }
      }
      if (starP == kNone || starT >= tEnd) return false;
      p = starP;
      t = ++starT;
    }
  }

  std::string_view pattern_;
  std::string_view text_;
  int flags_;
};

}  // namespace

int PatternMatch(std::string_view pattern, std::string_view text, int flags) {
  return Matcher(pattern, text, flags).Run();
}

std::string UpperCasePattern(std::string_view pattern) { return Matcher(pattern, "", 0).Upper(); }

}  // namespace korven
