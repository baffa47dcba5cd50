// dmtxread as the second opinion on DataMatrix symbols: what it reads on a page, with its sizes
// and corners.
#pragma once
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "recognition_test_support.h"

namespace vxtest::recognition {

// dmtxread -v prints the corners (x, y) of the symbol's bottom-left, bottom-right, top-right and
// top-left, in that order, with y counted from the top.
inline std::vector<std::pair<double, double>> DmtxCorners(const std::string& text) {
  std::vector<std::pair<double, double>> corners;
  const std::regex corner(R"(Corner \d: \(([-0-9.]+), ([-0-9.]+)\))");
  for (std::sregex_iterator it(text.begin(), text.end(), corner), end; it != end; ++it)
    corners.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
  return corners;
}

// One symbol as dmtxread reports it: its value, its rows and columns and its corners.
struct DmtxSymbol {
  std::string value;
  int32_t rows = 0, columns = 0;
  std::vector<std::pair<double, double>> corners;
};

// dmtxread's symbols on a page, in the order it found them: the values from its standard output,
// the details (-v) from its standard error, with the same least edge as the reader's.
inline std::vector<DmtxSymbol> DmtxreadSymbols(const std::string& page, int leastEdge) {
  const std::string options = "dmtxread -n -e " + std::to_string(leastEdge) + " ";
  std::istringstream values(RunTool(options + Quote(page)));
  const std::string details = RunTool("sh -c " + Quote(options + "-v " + Quote(page) + " 2>&1 >/dev/null"));
  std::vector<DmtxSymbol> symbols;
  const std::regex size(R"(Matrix Size: (\d+) x (\d+))");
  for (std::sregex_iterator it(details.begin(), details.end(), size), end; it != end; ++it) {
    DmtxSymbol symbol;
    symbol.rows = std::stoi((*it)[1]);
    symbol.columns = std::stoi((*it)[2]);
    std::getline(values, symbol.value);
    symbols.push_back(symbol);
  }
  const auto corners = DmtxCorners(details);
  for (size_t k = 0; k < corners.size() && k / 4 < symbols.size(); ++k) symbols[k / 4].corners.push_back(corners[k]);
  return symbols;
}

}  // namespace vxtest::recognition
