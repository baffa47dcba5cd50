#include "two_of_five_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "check_characters.h"
#include "symbol_outline.h"
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

// The symbol's box from the first line that read it.
FoundSymbol SymbolOf(const DibPixels& pixels, const Track& track, bool vertical) {
  const SymbolOutline outline =
      OutlineOf(pixels, LineReading{vertical, track.firstLine, track.first.readStart, track.first.readEnd});
  FoundSymbol found;
  found.value = track.first.digits;
  found.type = track.first.type;
  found.corners = outline.corners;
  found.skew = SkewOfTurn(outline.turn);
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
    if (Confirmed(track)) found.push_back(SymbolOf(pixels, track, vertical));
}

}  // namespace

std::vector<FoundSymbol> ReadTwoOfFive(const DibPixels& pixels, bool vertical) {
  std::vector<FoundSymbol> found;
  ReadLines(pixels, vertical, found);
  return found;
}

}  // namespace vxbarcode
