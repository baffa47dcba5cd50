#include "processing/barcode/barcode_encoder.h"

#include <array>
#include <cstring>

namespace vexiro {
namespace {

// Bar and space widths of the Code 128 values, bar first (0 .. 102 data, 103 .. 105 starts,
// 106 the stop with its seven elements).
constexpr std::array<const char*, 107> kCode128 = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213", "221312",
    "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132", "221231", "213212",
    "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211", "212123", "212321", "232121",
    "111323", "131123", "131321", "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331",
    "132131", "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131", "311123",
    "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111", "111224", "111422", "121124",
    "121421", "141122", "141221", "112214", "112412", "122114", "122411", "142112", "142211", "241211", "221114",
    "413111", "241112", "134111", "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112",
    "421211", "212141", "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};
constexpr int kStartB = 104, kStop = 106;

constexpr std::array<const char*, 10> kEanL = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                               "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::array<const char*, 10> kEanG = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                               "0111001", "0000101", "0010001", "0001001", "0010111"};
constexpr std::array<const char*, 10> kEanR = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                               "1001110", "1010000", "1000100", "1001000", "1110100"};
constexpr std::array<const char*, 10> kEanParity = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                                    "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};

constexpr const char* kCode39Set = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr int kCode39Space = 38;
constexpr std::array<const char*, 43> kCode39 = {
    "EEELLELEE", "LEELEEEEL", "EELLEEEEL", "LELLEEEEE", "EEELLEEEL", "LEELLEEEE", "EELLLEEEE", "EEELEELEL",
    "LEELEELEE", "EELLEELEE", "LEEEELEEL", "EELEELEEL", "LELEELEEE", "EEEELLEEL", "LEEELLEEE", "EELELLEEE",
    "EEEEELLEL", "LEEEELLEE", "EELEELLEE", "EEEELLLEE", "LEEEEEELL", "EELEEEELL", "LELEEEELE", "EEEELEELL",
    "LEEELEELE", "EELELEELE", "EEEEEELLL", "LEEEEELLE", "EELEEELLE", "EEEELELLE", "LLEEEEEEL", "ELLEEEEEL",
    "LLLEEEEEE", "ELEELEEEL", "LLEELEEEE", "ELLELEEEE", "ELEEEELEL", "LLEEEELEE", "ELLEEELEE", "ELELELEEE",
    "ELELEEELE", "ELEEELELE", "EEELELELE",
};
constexpr const char* kCode39Start = "1001011011010";
constexpr const char* kCode39Stop = "100101101101";

constexpr std::array<const char*, 10> kI25 = {"EELLE", "LEEEL", "ELEEL", "LLEEE", "EELEL",
                                              "LELEE", "ELLEE", "EEELL", "LEELE", "ELELE"};

int Digit(char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

// Alternating bar and space elements, bar first: narrow "E" one module, wide "L" two.
void AppendElements(std::string& out, const std::string& letters) {
  for (size_t i = 0; i < letters.size(); ++i) {
    const char module = i % 2 == 0 ? '1' : '0';
    out.append(letters[i] == 'L' ? 2 : 1, module);
  }
}

}  // namespace

std::string cBarCode::c128_Binaire(const std::string& text) const {
  std::string widths = kCode128[kStartB];
  long sum = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 32 || c > 126) return {};
    const int v = c - 32;
    widths += kCode128[static_cast<size_t>(v)];
    sum += static_cast<long>(i + 1) * v;
  }
  widths += kCode128[static_cast<size_t>((sum + kStartB) % 103)];
  widths += kCode128[kStop];
  std::string modules;
  for (size_t i = 0; i < widths.size(); ++i) modules.append(static_cast<size_t>(widths[i] - '0'), i % 2 == 0 ? '1' : '0');
  return modules;
}

std::string cBarCode::EAN13_Binaire(const std::string& digits) const {
  const char* parity = kEanParity[static_cast<size_t>(Digit(digits[0]))];
  std::string out = "101-";
  for (size_t i = 1; i <= 6; ++i)
    out += (parity[i - 1] == 'A' ? kEanL : kEanG)[static_cast<size_t>(Digit(digits[i]))];
  out += "+01010-";
  for (size_t i = 7; i <= 12; ++i) out += kEanR[static_cast<size_t>(Digit(digits[i]))];
  return out + "+101";
}

std::string cBarCode::Code39_Binaire(const std::string& text) const {
  std::string out = kCode39Start;
  for (char c : text) {
    AppendElements(out, kCode39[static_cast<size_t>(C39_CharIndex(c))]);
    out += '0';
  }
  return out + kCode39Stop;
}

std::string cBarCode::Code25i_Binaire(const std::string& digits) const {
  std::string letters = "EEEE";
  for (size_t i = 0; i + 1 < digits.size(); i += 2) {
    const char* bars = kI25[static_cast<size_t>(Digit(digits[i]))];
    const char* spaces = kI25[static_cast<size_t>(Digit(digits[i + 1]))];
    for (int k = 0; k < 5; ++k) letters += {bars[k], spaces[k]};
  }
  letters += "LEEE";
  std::string out;
  AppendElements(out, letters);
  return out;
}

std::string cBarCode::CalculNumControlCodeBarre(const std::string& digits) const {
  int sum = Digit(digits.empty() ? '0' : digits[0]);
  for (size_t i = 1; i < 12 && i < digits.size(); ++i) sum += Digit(digits[i]) * (i % 2 == 1 ? 3 : 1);
  return digits.substr(0, 12) + static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool cBarCode::CheckSumValideEAN13(const std::string& digits) const {
  return digits.size() == 13 && CalculNumControlCodeBarre(digits)[12] == digits[12];
}

std::string cBarCode::C39_Mod43(const std::string& text) const {
  int sum = 0;
  for (char c : text) sum += C39_CharIndex(c);
  return C39_IndexChar(sum % 43);
}

std::string cBarCode::calculCheckSum2of5(const std::string& digits) const {
  int odd = 0, even = 0;
  for (size_t k = 0; k < digits.size(); ++k) {
    const int d = Digit(digits[digits.size() - 1 - k]);
    (k % 2 == 0 ? odd : even) += d;
  }
  return std::string(1, static_cast<char>('0' + (10 - (3 * odd + even) % 10) % 10));
}

int cBarCode::C39_CharIndex(char c) const {
  const char* at = c ? std::strchr(kCode39Set, c) : nullptr;
  return at ? static_cast<int>(at - kCode39Set) : kCode39Space;
}

std::string cBarCode::C39_IndexChar(int value) const {
  if (value < 0 || value > 42) return {};
  return std::string(1, kCode39Set[value]);
}

}  // namespace vexiro
