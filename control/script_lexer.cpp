#include "control/script_lexer.h"

#include <cctype>

namespace vx::control {

std::vector<Token> Tokenize(std::string_view line) {
  std::vector<Token> tokens;
  size_t i = 0;
  auto peek = [&](size_t k) { return i + k < line.size() ? line[i + k] : '\0'; };
  while (i < line.size()) {
    const char c = line[i];
    if (std::isspace(static_cast<unsigned char>(c))) { ++i; continue; }
    if (c == '#' || c == '\'') break;  // the rest of the line is a comment
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      size_t j = i;
      while (j < line.size() && (std::isalnum(static_cast<unsigned char>(line[j])) || line[j] == '_')) ++j;
      tokens.push_back({Tok::Name, std::string(line.substr(i, j - i))});
      i = j;
    } else if (std::isdigit(static_cast<unsigned char>(c)) || (c == '.' && std::isdigit(static_cast<unsigned char>(peek(1))))) {
      size_t j = i;
      while (j < line.size() && (std::isdigit(static_cast<unsigned char>(line[j])) || line[j] == '.')) ++j;
      if (j < line.size() && (line[j] == 'e' || line[j] == 'E')) {
        size_t k = j + 1;
        if (k < line.size() && (line[k] == '+' || line[k] == '-')) ++k;
        if (k < line.size() && std::isdigit(static_cast<unsigned char>(line[k]))) {
          j = k;
          while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j]))) ++j;
        }
      }
      tokens.push_back({Tok::Number, std::string(line.substr(i, j - i))});
      i = j;
    } else if (c == '&' && (peek(1) == 'H' || peek(1) == 'h') && std::isxdigit(static_cast<unsigned char>(peek(2)))) {
      // &H1F: Basic's hexadecimal literal; a trailing & asks for a Long. The digits are judged
      // where the literal is read.
      size_t j = i + 2;
      while (j < line.size() && std::isxdigit(static_cast<unsigned char>(line[j]))) ++j;
      if (j < line.size() && line[j] == '&') ++j;
      tokens.push_back({Tok::Number, std::string(line.substr(i, j - i))});
      i = j;
    } else if (c == '"') {
      std::string text;
      ++i;
      for (;;) {
        if (i >= line.size()) throw LineError("syntax error: text without closing quote");
        if (line[i] == '"') {
          if (peek(1) == '"') { text += '"'; i += 2; continue; }
          ++i;
          break;
        }
        text += line[i++];
      }
      tokens.push_back({Tok::Text, std::move(text)});
    } else if (c == ':' && peek(1) == '=') {
      tokens.push_back({Tok::NamedAssign, ":="});
      i += 2;
    } else if (c == '<' || c == '>') {
      std::string op(1, c);
      if (peek(1) == '=' || (c == '<' && peek(1) == '>')) op += line[i + 1];
      tokens.push_back({Tok::Compare, op});
      i += op.size();
    } else if (c == '=') { tokens.push_back({Tok::Assign, "="}); ++i; }
    else if (c == '(') { tokens.push_back({Tok::LParen, "("}); ++i; }
    else if (c == ')') { tokens.push_back({Tok::RParen, ")"}); ++i; }
    else if (c == ',') { tokens.push_back({Tok::Comma, ","}); ++i; }
    else if (std::string_view("+-*/\\^&").find(c) != std::string_view::npos) { tokens.push_back({Tok::Operator, std::string(1, c)}); ++i; }
    else throw LineError(std::string("syntax error: unexpected character '") + c + "'");
  }
  tokens.push_back({Tok::End, ""});
  return tokens;
}

}  // namespace vx::control
