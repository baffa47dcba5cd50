#include "two_of_five_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "check_characters.h"
#include "two_of_five.h"

namespace vxbarcode {
namespace {

// About this many lines are read across the picture, as the linear library's thorough mode
// does; a symbol must be read alike on enough of them (ReadOnEnoughLines).
constexpr int kLinesAcross = 256;
// Lines of one symbol may miss in between (a blot, a crease) and drift along by a skew.
constexpr int kMissedLines = 3;
constexpr int kDriftPixels = 4;

// One symbol followed from line to line: where it was first and last read.
struct Track {
  LineHit first;
  int firstLine = 0;
  LineHit last;
  int lastLine = 0;
  int lines = 0;
};

bool Continues(const Track& track, const LineHit& hit, int line) {
  if (track.first.type != hit.type || track.first.digits != hit.digits || track.first.reversed != hit.reversed)
    return false;
  return std::abs(hit.readStart - track.last.readStart) <= kDriftPixels + (line - track.lastLine);
}

bool Confirmed(const Track& track) {
  return ReadOnEnoughLines(track.lines, track.lastLine - track.firstLine,
                           std::abs(track.first.readEnd - track.first.readStart) + 1);
}

// Tracks no longer read on the last lines are done: moved aside, so that a page of many small
// symbols costs each new line only the symbols it may continue. Returns the symbols reported.
size_t Retire(std::vector<Track>& active, std::vector<Track>& done, int line, int step, size_t reported) {
  auto stale = [&](const Track& t) { return line - t.lastLine > kMissedLines * step; };
  for (const Track& track : active)
    if (stale(track)) {
      reported += Confirmed(track);
      done.push_back(track);
    }
  active.erase(std::remove_if(active.begin(), active.end(), stale), active.end());
  return reported;
}

void Follow(std::vector<Track>& tracks, const LineHit& hit, int line) {
  for (Track& track : tracks) {
    if (!Continues(track, hit, line)) continue;
    track.last = hit;
    track.lastLine = line;
    ++track.lines;
    return;
  }
  tracks.push_back(Track{hit, line, hit, line, 1});
}

std::array<int32_t, 2> PointAt(bool vertical, int line, int along) {
  return vertical ? std::array<int32_t, 2>{line, along} : std::array<int32_t, 2>{along, line};
}

// The reading direction in degrees clockwise from the picture's x axis, as the linear library
// measures it: from the middle of the symbol's start side to the middle of its stop side.
int OrientationOf(const std::array<int32_t, 8>& c) {
  const double dx = (c[2] + c[4]) - (c[0] + c[6]), dy = (c[3] + c[5]) - (c[1] + c[7]);
  return static_cast<int>(std::lround(std::atan2(dy, dx) * 180 / std::numbers::pi));
}

// Corner 1 is the symbol's own top-left: its top side is the first line read when rows are
// read forwards or columns backwards, else the last one.
FoundSymbol SymbolOf(const Track& track, bool vertical) {
  const bool topIsFirst = vertical == track.first.reversed;
  const LineHit& top = topIsFirst ? track.first : track.last;
  const LineHit& bottom = topIsFirst ? track.last : track.first;
  const int topLine = topIsFirst ? track.firstLine : track.lastLine;
  const int bottomLine = topIsFirst ? track.lastLine : track.firstLine;
  const std::array<int32_t, 2> points[4] = {PointAt(vertical, topLine, top.readStart),
                                            PointAt(vertical, topLine, top.readEnd),
                                            PointAt(vertical, bottomLine, bottom.readEnd),
                                            PointAt(vertical, bottomLine, bottom.readStart)};
  FoundSymbol found;
  found.value = track.first.digits;
  found.type = track.first.type;
  for (size_t k = 0; k < 4; ++k) {
    found.corners[2 * k] = points[k][0];
    found.corners[2 * k + 1] = points[k][1];
  }
  found.skew = SkewOfOrientation(OrientationOf(found.corners));
  found.checksum = TwoOfFiveCheckVerifies(found.value);
  return found;
}

void ReadLines(const DibPixels& pixels, bool vertical, std::vector<FoundSymbol>& found) {
  const int lineCount = vertical ? pixels.width : pixels.height;
  const int step = std::max(1, lineCount / kLinesAcross);
  std::vector<uint8_t> luminance;
  LineRuns runs;
  std::vector<Track> active, done;
  size_t reported = found.size();
  for (int line = 0; line < lineCount && reported < kMaxSymbols; line += step) {
    reported = Retire(active, done, line, step, reported);
    ReadLine(pixels, vertical, line, luminance, runs);
    for (const LineHit& hit : FindTwoOfFiveOnLine(runs)) Follow(active, hit, line);
  }
  done.insert(done.end(), active.begin(), active.end());
  for (const Track& track : done)
    if (Confirmed(track)) found.push_back(SymbolOf(track, vertical));
}

}  // namespace

std::vector<FoundSymbol> ReadTwoOfFive(const DibPixels& pixels, int32_t performance) {
  std::vector<FoundSymbol> found;
  ReadLines(pixels, false, found);
  if (performance == 1) ReadLines(pixels, true, found);
  return found;
}

}  // namespace vxbarcode
