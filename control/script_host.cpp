#include "control/script_host.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "control/com_errors.h"
#include "control/script_lexer.h"

namespace vx::control {

namespace {

bool IsKeyword(const std::string& name, const char* keyword) { return FoldCase(name) == keyword; }

Variant ParseNumberLiteral(const std::string& text) {
  if (text.find_first_of(".eE") == std::string::npos) {
    int64_t v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec == std::errc() && p == text.data() + text.size()) {
      if (v <= INT16_MAX) return Variant::I2(static_cast<int16_t>(v));
      if (v <= INT32_MAX) return Variant::I4(static_cast<int32_t>(v));
    }
  }
  double d = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
  if (ec != std::errc() || p != text.data() + text.size()) throw LineError("syntax error: bad number " + text);
  return Variant::R8(d);
}

// Compares as the language does: texts by their characters, otherwise as numbers.
bool Compare(const Variant& a, const Variant& b, const std::string& op) {
  int order = 0;
  if (a.Deref().Type() == VarType::BStr && b.Deref().Type() == VarType::BStr) {
    order = a.Deref().AsStr().compare(b.Deref().AsStr());
  } else {
    Variant x, y;
    if (a.IsArray() || b.IsArray() || FAILED(a.ChangeType(VarType::R8, x)) || FAILED(b.ChangeType(VarType::R8, y)))
      throw LineError("type mismatch in comparison");
    order = x.AsR8() < y.AsR8() ? -1 : (x.AsR8() > y.AsR8() ? 1 : 0);
  }
  if (op == "=") return order == 0;
  if (op == "<>") return order != 0;
  if (op == "<") return order < 0;
  if (op == ">") return order > 0;
  if (op == "<=") return order <= 0;
  return order >= 0;
}

std::string HexCode(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(hr));
  return buf;
}

}  // namespace

// One line being parsed and run.
class ScriptLine {
 public:
  ScriptLine(ScriptHost& host, std::string_view source) : host_(host), tokens_(Tokenize(source)) {}

  void Run() {
    if (At(Tok::End)) return;
    if (!At(Tok::Name)) throw LineError("syntax error: a line starts with a name");
    const std::string first = tokens_[pos_].text;
    if (IsKeyword(first, "print")) {
      ++pos_;
      RunPrint();
    } else if (IsKeyword(first, "expect")) {
      ++pos_;
      RunExpect();
    } else if (tokens_[pos_ + 1].kind == Tok::Assign) {
      pos_ += 2;
      Variant value = Expression();
      ExpectEnd();
      host_.variables_[FoldCase(first)] = value.Deref();
    } else {
      ++pos_;
      RunCallStatement(first);
    }
  }

 private:
  bool At(Tok kind) const { return tokens_[pos_].kind == kind; }
  void ExpectEnd() {
    if (!At(Tok::End)) throw LineError("syntax error: unexpected '" + tokens_[pos_].text + "'");
  }
  void Take(Tok kind, const char* what) {
    if (!At(kind)) throw LineError(std::string("syntax error: expected ") + what);
    ++pos_;
  }

  void RunPrint() {
    std::string line;
    bool firstValue = true;
    while (!At(Tok::End)) {
      if (!firstValue) Take(Tok::Comma, "','");
      const Variant v = Expression();
      line += (firstValue ? "" : " ") + v.ToDisplayString();
      firstValue = false;
    }
    host_.out_ << line << '\n';
    host_.out_.flush();
  }

  void RunExpect() {
    const size_t start = pos_;
    const Variant v = Expression();
    ExpectEnd();
    Variant b;
    if (FAILED(v.ChangeType(VarType::Bool, b))) throw LineError("expect needs a true or false value");
    if (!b.AsBool()) throw LineError("expect failed: " + SourceFrom(start));
  }

  // `Member args` or `Member(args)` as a statement; the result is dropped.
  void RunCallStatement(const std::string& name) {
    std::vector<Variant> positional;
    std::vector<NamedArgument> named;
    if (At(Tok::LParen) && ParenthesesCloseTheLine()) {
      ++pos_;
      Arguments(positional, named, Tok::RParen);
      Take(Tok::RParen, "')'");
    } else {
      Arguments(positional, named, Tok::End);
    }
    ExpectEnd();
    Call(name, positional, named);
  }

  bool ParenthesesCloseTheLine() const {
    int depth = 0;
    for (size_t i = pos_; i < tokens_.size(); ++i) {
      if (tokens_[i].kind == Tok::LParen) ++depth;
      if (tokens_[i].kind == Tok::RParen && --depth == 0) return tokens_[i + 1].kind == Tok::End;
    }
    return false;
  }

  void Arguments(std::vector<Variant>& positional, std::vector<NamedArgument>& named, Tok end) {
    bool firstArg = true;
    while (!At(end)) {
      if (!firstArg) Take(Tok::Comma, "','");
      firstArg = false;
      if (At(Tok::Name) && tokens_[pos_ + 1].kind == Tok::NamedAssign) {
        std::string pname = tokens_[pos_].text;
        pos_ += 2;
        named.push_back({std::move(pname), Argument()});
      } else {
        if (!named.empty()) throw LineError("syntax error: a positional argument after a named one");
        positional.push_back(Argument());
      }
    }
  }

  // A bare variable goes by reference, so a member can fill it; so does a new name, which
  // becomes a variable holding nothing.
  Variant Argument() {
    if (At(Tok::Name)) {
      const Token& next = tokens_[pos_ + 1];
      const bool bare = next.kind == Tok::Comma || next.kind == Tok::End || next.kind == Tok::RParen;
      const std::string& name = tokens_[pos_].text;
      const std::string key = FoldCase(name);
      const bool isLiteral = key == "true" || key == "false";
      if (bare && !isLiteral && (host_.variables_.count(key) || !MemberTable::Instance().Find(name))) {
        ++pos_;
        return Variant::RefTo(host_.variables_[key]);
      }
    }
    return Expression();
  }

  Variant Expression() {
    Variant left = Unary();
    if (At(Tok::Compare) || At(Tok::Assign)) {
      const std::string op = tokens_[pos_++].text;
      const Variant right = Unary();
      return Variant::Bool(Compare(left, right, op));
    }
    return left;
  }

  Variant Unary() {
    // A hostile line of thousands of "-" or "(" must not exhaust the stack.
    struct Depth {
      explicit Depth(int& d) : depth(d) {
        if (++depth > kMaxNesting) throw LineError("syntax error: expression nested too deeply");
      }
      ~Depth() { --depth; }
      int& depth;
    } guard(nesting_);
    if (At(Tok::Minus)) {
      ++pos_;
      const Variant v = Unary();
      return Negate(v);
    }
    return Primary();
  }

  static Variant Negate(const Variant& v) {
    const Variant& x = v.Deref();
    switch (x.Type()) {
      case VarType::I2:
        return x.AsI2() == INT16_MIN ? Variant::I4(32768) : Variant::I2(static_cast<int16_t>(-x.AsI2()));
      case VarType::I4:
        if (x.AsI4() == INT32_MIN) return Variant::R8(2147483648.0);
        return Variant::I4(-x.AsI4());
      case VarType::R4: return Variant::R4(-x.AsR4());
      default: {
        Variant d;
        if (x.IsArray() || FAILED(x.ChangeType(VarType::R8, d))) throw LineError("type mismatch in '-'");
        return Variant::R8(-d.AsR8());
      }
    }
  }

  Variant Primary() {
    const Token t = tokens_[pos_];
    switch (t.kind) {
      case Tok::Number: ++pos_; return ParseNumberLiteral(t.text);
      case Tok::Text: ++pos_; return Variant::Str(t.text);
      case Tok::LParen: {
        ++pos_;
        Variant v = Expression();
        Take(Tok::RParen, "')'");
        return v;
      }
      case Tok::Name: return NameValue();
      default: throw LineError(t.kind == Tok::End ? "syntax error: expression expected" : "syntax error: unexpected '" + t.text + "'");
    }
  }

  Variant NameValue() {
    const std::string name = tokens_[pos_++].text;
    const std::string key = FoldCase(name);
    if (key == "true" || key == "false") return Variant::Bool(key == "true");
    std::vector<Variant> positional;
    std::vector<NamedArgument> named;
    if (At(Tok::LParen)) {
      ++pos_;
      Arguments(positional, named, Tok::RParen);
      Take(Tok::RParen, "')'");
      return Call(name, positional, named);
    }
    if (auto it = host_.variables_.find(key); it != host_.variables_.end()) return it->second;
    return Call(name, positional, named);
  }

  Variant Call(const std::string& name, std::vector<Variant>& positional, std::vector<NamedArgument>& named) {
    const MemberDesc* m = MemberTable::Instance().Find(name);
    if (!m) throw LineError("unknown member or variable '" + name + "'");
    Variant result;
    ExceptionInfo error;
    unsigned argErr = 0;
    const HRESULT hr = host_.engine_.InvokeByName(name, positional, named, result, &error, &argErr);
    if (hr == E_NOTIMPL) throw LineError(m->name + " is not implemented");
    if (hr == DISP_E_EXCEPTION)
      throw LineError(m->name + ": run-time error " + std::to_string(error.number) + ": " + error.description);
    if (FAILED(hr)) {
      std::string where;
      if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW || hr == DISP_E_PARAMNOTFOUND)
        where = argErr < m->params.size() ? " (" + m->params[argErr].name + ")" : "";
      if (hr == DISP_E_UNKNOWNNAME) where = " (no such parameter)";
      throw LineError(m->name + ": " + DescribeHResult(hr) + where + " " + HexCode(hr));
    }
    return result;
  }

  std::string SourceFrom(size_t tokenIndex) const {
    std::string s;
    for (size_t i = tokenIndex; i < tokens_.size() && tokens_[i].kind != Tok::End; ++i) {
      const Token& t = tokens_[i];
      std::string text = t.kind == Tok::Text ? "\"" + t.text + "\"" : t.text;
      const bool tight = t.kind == Tok::LParen || t.kind == Tok::RParen || t.kind == Tok::Comma ||
                         (i > tokenIndex && tokens_[i - 1].kind == Tok::LParen);
      if (!s.empty() && !tight) s += ' ';
      s += text;
      if (t.kind == Tok::Comma) s += ' ';
    }
    return s;
  }

  static constexpr int kMaxNesting = 256;

  ScriptHost& host_;
  int nesting_ = 0;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
};

bool ScriptHost::RunLine(std::string_view line, int lineNumber) {
  try {
    ScriptLine(*this, line).Run();
    return true;
  } catch (const LineError& e) {
    error_ = "line " + std::to_string(lineNumber) + ": " + e.what();
    return false;
  }
}

bool ScriptHost::Run(std::string_view script) {
  int number = 0;
  while (!script.empty()) {
    const size_t eol = script.find('\n');
    std::string_view line = script.substr(0, eol);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    script = eol == std::string_view::npos ? std::string_view() : script.substr(eol + 1);
    if (!RunLine(line, ++number)) return false;
  }
  return true;
}

}  // namespace vx::control
