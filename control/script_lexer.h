// The tokens of one line of a script: names (keywords among them), numbers (&H hexadecimal ones
// among them, with their prefix), texts in double quotes
// (a doubled quote stands for one), punctuation, the operators + - * / \ ^ & and the comparison
// operators; "#" and "'" start a comment.
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vx::control {

enum class Tok { End, Name, Number, Text, LParen, RParen, Comma, Assign, NamedAssign, Operator, Compare };

struct Token {
  Tok kind = Tok::End;
  std::string text;
};

// A failure of the line, reported as "line N: <message>".
struct LineError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Throws LineError for a character that belongs to no token or a text without its closing quote.
std::vector<Token> Tokenize(std::string_view line);

}  // namespace vx::control
