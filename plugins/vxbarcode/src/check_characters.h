// Whether a symbol's last data character is the check character of the ones before it, for the
// symbologies whose check character is optional. A reader cannot know whether the printer meant
// one; it reports a check only where the characters verify.
#pragma once
#include <string>

namespace vxbarcode {

// Modulo 43 over the values of the characters before the last one.
bool Code39CheckVerifies(const std::string& text);
// Modulo 16 over the values of all characters, start and stop included; the check character
// stands before the stop character.
bool CodabarCheckVerifies(const std::string& text);
// The 2 of 5 family's modulo 10: the digits before the last weighted 3 and 1 alternately from
// the right, as Interleaved 2 of 5 computes it.
bool TwoOfFiveCheckVerifies(const std::string& digits);

}  // namespace vxbarcode
