#include "two_of_five.h"

#include <algorithm>
#include <cstring>

namespace vxbarcode {
namespace {

// Element patterns are written bar first, "n" for a narrow element and "w" for a wide one.
//
// The digit patterns are the 2 of 5 table Interleaved 2 of 5 uses (weights 1, 2, 4, 7 and
// parity; 0 is 4 + 7). Start and stop patterns are the published ones (those zint draws).
// The published descriptions leave two symbologies open; they are taken as follows:
// - inverted 2 of 5: Industrial 2 of 5 with bars and spaces exchanged, the negative print of
//   it (light bars on a dark ground), the usual meaning of "inverted" for a linear symbol;
// - BCD Matrix: the Matrix 2 of 5 frame (start, stop, three bars and two spaces per digit and a
//   narrow gap after it) with each digit as binary-coded decimal, weights 1, 2, 4, 8 in the
//   order of the 2 of 5 table's 1, 2, 4, 7, and a fifth element for odd parity. Odd parity
//   keeps every digit from being all narrow and apart from Matrix 2 of 5, whose digits have two
//   wide elements.
constexpr const char* kTwoOfFiveDigits[10] = {"nnwwn", "wnnnw", "nwnnw", "wwnnn", "nnwnw",
                                              "wnwnn", "nwwnn", "nnnww", "wnnwn", "nwnwn"};
constexpr const char* kBcdDigits[10] = {"nnnnw", "wnnnn", "nwnnn", "wwnnw", "nnwnn",
                                        "wnwnw", "nwwnw", "wwwnn", "nnnwn", "wnnww"};

constexpr int32_t kTypeIndustrial = 1;
constexpr int32_t kTypeInverted = 2;
constexpr int32_t kTypeIata = 8;
constexpr int32_t kTypeMatrix = 16;
constexpr int32_t kTypeBcdMatrix = 128;
constexpr int32_t kTypeDataLogic = 256;

enum class Layout {
  BarsCarry,  // each digit is five bars, each followed by a narrow space
  Matrix,     // each digit is bar, space, bar, space, bar, then a narrow gap
};

struct Variant {
  int32_t type;
  const char* start;
  const char* stop;
  Layout layout;
  const char* const* digits;
  bool lightBars;
};

constexpr Variant kVariants[] = {
    {kTypeIndustrial, "wnwnnn", "wnnnw", Layout::BarsCarry, kTwoOfFiveDigits, false},
    {kTypeInverted, "wnwnnn", "wnnnw", Layout::BarsCarry, kTwoOfFiveDigits, true},
    {kTypeIata, "nnnn", "wnn", Layout::BarsCarry, kTwoOfFiveDigits, false},
    {kTypeMatrix, "wnnnnn", "wnnnn", Layout::Matrix, kTwoOfFiveDigits, false},
    {kTypeBcdMatrix, "wnnnnn", "wnnnn", Layout::Matrix, kBcdDigits, false},
    {kTypeDataLogic, "nnnn", "wnn", Layout::Matrix, kTwoOfFiveDigits, false},
};

// Fewer digits than this are too easily met in print that is no symbol.
constexpr size_t kLeastDigits = 3;
// Runs of the line are cut into candidate symbols where a space is at least this many narrow
// elements wide (a wide space is at most 3); a symbol read is then asked for quiet zones of its
// own on both sides, as wide as the symbologies publish them, measured in its own narrow width.
constexpr int kSegmentGapNarrows = 5;
constexpr double kQuietZoneNarrows = 10;
// Wide elements are 2 to 3 times as wide as narrow ones; below this ratio nothing is wide.
constexpr double kLeastWideRatio = 1.7;
// The narrow width is judged on this many elements from a symbol's first bar.
constexpr int kNarrowSample = 6;

size_t UnitOf(Layout layout) { return layout == Layout::BarsCarry ? 10 : 6; }

int DigitOf(const char* const* table, const char* letters) {
  for (int d = 0; d < 10; ++d)
    if (std::strncmp(table[d], letters, 5) == 0) return d;
  return -1;
}

// The five letters of the digit at `at`, its filling elements checked narrow.
bool DigitLetters(const std::string& classes, size_t at, Layout layout, char* letters) {
  for (size_t k = 0; k < 5; ++k) {
    if (layout == Layout::BarsCarry) {
      letters[k] = classes[at + 2 * k];
      if (classes[at + 2 * k + 1] != 'n') return false;
    } else {
      letters[k] = classes[at + k];
    }
  }
  return layout == Layout::BarsCarry || classes[at + 5] == 'n';
}

bool Decode(const std::string& classes, const Variant& v, std::string& digits) {
  const size_t startLength = std::strlen(v.start), stopLength = std::strlen(v.stop);
  if (classes.size() < startLength + stopLength) return false;
  if (classes.compare(0, startLength, v.start) != 0) return false;
  if (classes.compare(classes.size() - stopLength, stopLength, v.stop) != 0) return false;
  const size_t middle = classes.size() - startLength - stopLength, unit = UnitOf(v.layout);
  if (middle % unit != 0 || middle / unit < kLeastDigits) return false;
  digits.clear();
  for (size_t at = startLength; at < startLength + middle; at += unit) {
    char letters[5];
    if (!DigitLetters(classes, at, v.layout, letters)) return false;
    const int digit = DigitOf(v.digits, letters);
    if (digit < 0) return false;
    digits.push_back(static_cast<char>('0' + digit));
  }
  return true;
}

// Elements first .. last as narrow and wide: the two widths are found by splitting the widths
// where they part into two groups, so that neither print gain nor scale need be known.
bool Classify(const LineRuns& runs, int first, int last, std::string& classes, double& narrowWidth) {
  int least = runs.Width(first), most = least;
  for (int i = first; i <= last; ++i) {
    least = std::min(least, runs.Width(i));
    most = std::max(most, runs.Width(i));
  }
  double split = (least + most) / 2.0, narrow = least, wide = most;
  for (int round = 0; round < 4; ++round) {
    double narrowSum = 0, wideSum = 0;
    int narrowCount = 0, wideCount = 0;
    for (int i = first; i <= last; ++i) {
      const bool isWide = runs.Width(i) >= split;
      (isWide ? wideSum : narrowSum) += runs.Width(i);
      ++(isWide ? wideCount : narrowCount);
    }
    if (narrowCount == 0 || wideCount == 0) return false;
    narrow = narrowSum / narrowCount;
    wide = wideSum / wideCount;
    split = (narrow + wide) / 2;
  }
  if (wide < kLeastWideRatio * narrow) return false;
  narrowWidth = narrow;
  classes.clear();
  for (int i = first; i <= last; ++i) classes.push_back(runs.Width(i) >= split ? 'w' : 'n');
  return true;
}

int NarrowNear(const LineRuns& runs, int first) {
  int narrow = runs.Width(first);
  for (int i = first; i < std::min(runs.Count(), first + kNarrowSample); ++i) narrow = std::min(narrow, runs.Width(i));
  return narrow;
}

// The picture's edge is no quiet zone: what lies beyond it is unknown, and noise cut off there
// would otherwise pass for a symbol.
bool IsGap(const LineRuns& runs, int i, double narrow, double narrows) {
  return i >= 0 && i < runs.Count() && runs.Width(i) >= narrows * narrow;
}

// The elements from the bar `first` up to the last bar before the next quiet zone, matched
// against each pattern of that bar colour, read forwards and backwards.
void MatchSegment(const LineRuns& runs, int first, int last, bool lightBars, std::vector<LineHit>& hits) {
  std::string classes;
  double narrow = 0;
  if (!Classify(runs, first, last, classes, narrow)) return;
  if (!IsGap(runs, first - 1, narrow, kQuietZoneNarrows) || !IsGap(runs, last + 1, narrow, kQuietZoneNarrows)) return;
  const std::string backwards(classes.rbegin(), classes.rend());
  for (const Variant& v : kVariants) {
    if (v.lightBars != lightBars) continue;
    LineHit hit;
    hit.type = v.type;
    if (Decode(classes, v, hit.digits)) {
      hit.readStart = runs.edges[first];
      hit.readEnd = runs.edges[last + 1] - 1;
    } else if (Decode(backwards, v, hit.digits)) {
      hit.reversed = true;
      hit.readStart = runs.edges[last + 1] - 1;
      hit.readEnd = runs.edges[first];
    } else {
      continue;
    }
    hits.push_back(std::move(hit));
    return;
  }
}

void FindWithBarColour(const LineRuns& runs, bool lightBars, std::vector<LineHit>& hits) {
  const int count = runs.Count();
  int first = runs.Dark(0) != lightBars ? 0 : 1;
  while (first < count) {
    const int narrow = NarrowNear(runs, first);
    if (!IsGap(runs, first - 1, narrow, kSegmentGapNarrows)) {
      first += 2;
      continue;
    }
    int last = first;
    while (last + 2 < count && !IsGap(runs, last + 1, narrow, kSegmentGapNarrows)) last += 2;
    // A symbol ends in a space before the line does; one cut off by the edge is not read.
    if (!IsGap(runs, last + 1, narrow, kSegmentGapNarrows)) return;
    if (last > first) MatchSegment(runs, first, last, lightBars, hits);
    first = last + 2;
  }
}

}  // namespace

std::vector<LineHit> FindTwoOfFiveOnLine(const LineRuns& runs) {
  std::vector<LineHit> hits;
  if (runs.Count() < 3) return hits;
  FindWithBarColour(runs, false, hits);
  FindWithBarColour(runs, true, hits);
  return hits;
}

}  // namespace vxbarcode
