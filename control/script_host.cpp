#include "control/script_host.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "control/com_errors.h"
#include "control/script_call_report.h"
#include "control/script_functions.h"
#include "control/script_lexer.h"
#include "control/script_names.h"
#include "control/script_operators.h"

namespace vx::control {

namespace {

bool IsKeyword(const std::string& name, const char* keyword) { return FoldCase(name) == keyword; }

// Words of the language itself: never a variable's name.
bool IsReserved(const std::string& key) {
  static const std::set<std::string> kReserved = {"and",   "array", "do",     "else",  "end",  "environ", "expect",
                                                  "false", "for",   "if",     "lbound", "loop", "mod",     "next",
                                                  "not",   "or",    "print",  "step",  "then", "to",      "true",
                                                  "ubound", "until", "while"};
  return kReserved.count(key) != 0;
}

// Basic's rules: up to four significant digits make an Integer and up to eight a Long, the top
// bit being the sign (&HFFFF is -1); a trailing & makes a Long of any (&HFFFF& is 65535).
Variant ParseHexLiteral(const std::string& text) {
  std::string_view digits(text);
  digits.remove_prefix(2);
  const bool asLong = digits.back() == '&';
  if (asLong) digits.remove_suffix(1);
  const size_t significant = digits.find_first_not_of('0');
  digits = significant == std::string_view::npos ? std::string_view("0") : digits.substr(significant);
  if (digits.size() > 8) throw LineError("overflow: " + text + " has more than eight hexadecimal digits");
  uint32_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (!asLong && digits.size() <= 4) return Variant::I2(static_cast<int16_t>(static_cast<uint16_t>(value)));
  return Variant::I4(static_cast<int32_t>(value));
}

Variant ParseNumberLiteral(const std::string& text) {
  if (text.size() > 2 && text[0] == '&') return ParseHexLiteral(text);
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

// The element type an array built by Array(...) takes: the narrowest of Byte, Long, Double and
// String that holds every value; the parameter it is passed to converts it further.
VarType ElementTypeFor(const std::vector<Variant>& values) {
  bool allBytes = true, fractional = false, text = false;
  for (const Variant& v : values) {
    switch (v.IsArray() ? VarType::Variant : v.Type()) {
      case VarType::UI1: break;
      case VarType::Empty:
      case VarType::I2:
      case VarType::I4:
      case VarType::Bool: allBytes = false; break;
      case VarType::R4:
      case VarType::R8:
      case VarType::Date: allBytes = false; fractional = true; break;
      case VarType::BStr: allBytes = false; text = true; break;
      default: throw LineError("type mismatch in Array");
    }
  }
  if (text) return VarType::BStr;
  if (fractional) return VarType::R8;
  return allBytes && !values.empty() ? VarType::UI1 : VarType::I4;
}

Variant MakeArray(const std::vector<Variant>& values) {
  SafeArray array;
  ArrayOf(ElementTypeFor(values), array);
  if (!ShapeArray(array, {ArrayDimension{0, static_cast<int32_t>(values.size())}}))
    throw LineError("Array has too many elements");
  for (size_t i = 0; i < values.size(); ++i)
    if (FAILED(StoreElement(array, i, values[i]))) throw LineError("type mismatch in Array");
  return Variant::Array(std::move(array));
}

// An array index: rounded half to even into a Long.
int32_t Subscript(const Variant& value) {
  Variant index;
  const HRESULT hr = value.ChangeType(VarType::I4, index);
  if (hr == DISP_E_OVERFLOW) throw LineError("subscript out of range");
  if (FAILED(hr)) throw LineError("type mismatch in subscript");
  return index.AsI4();
}

}  // namespace

// What a For line asks: the counter, its first value, its last and its step.
struct ForHeader {
  std::string key;
  Variant start, end, step;
};

// One line being parsed and run.
class ScriptLine {
 public:
  ScriptLine(ScriptHost& host, const std::vector<Token>& tokens, int number)
      : host_(host), tokens_(tokens), number_(number) {}

  void RunStatement() {
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
      const std::string key = AssignableKey(first);
      pos_ += 2;
      Variant value = Expression();
      ExpectEnd();
      host_.variables_[key] = value.Deref();
    } else {
      ++pos_;
      RunCallStatement(first);
    }
  }

  // `For name = start To end [Step step]`; the values are taken once, as numbers.
  ForHeader ParseFor() {
    pos_ = 1;
    if (!At(Tok::Name) || tokens_[pos_ + 1].kind != Tok::Assign) throw LineError("syntax error: For needs a counter");
    ForHeader h;
    h.key = AssignableKey(tokens_[pos_].text);
    pos_ += 2;
    h.start = ToNumber(Expression(), "For");
    TakeKeyword("to", "To");
    h.end = ToNumber(Expression(), "For");
    h.step = Variant::I2(1);
    if (AtKeyword("step")) {
      ++pos_;
      h.step = ToNumber(Expression(), "For");
    }
    ExpectEnd();
    return h;
  }

  // `If condition Then`
  bool Condition() {
    pos_ = 1;
    const Variant v = Expression();
    TakeKeyword("then", "Then");
    ExpectEnd();
    return Truth(v, "If");
  }

  // `Do While condition` or `Do Until condition`: whether the loop's body runs (again).
  bool LoopCondition() {
    pos_ = 1;
    const bool until = AtKeyword("until");
    if (!until && !AtKeyword("while")) throw LineError("syntax error: Do is followed by While or Until");
    ++pos_;
    const Variant v = Expression();
    ExpectEnd();
    return Truth(v, until ? "Do Until" : "Do While") != until;
  }

 private:
  bool At(Tok kind) const { return tokens_[pos_].kind == kind; }
  bool AtKeyword(const char* keyword) const { return At(Tok::Name) && IsKeyword(tokens_[pos_].text, keyword); }
  bool AtOperator(const char* op) const { return At(Tok::Operator) && tokens_[pos_].text == op; }
  void ExpectEnd() {
    if (!At(Tok::End)) throw LineError("syntax error: unexpected '" + tokens_[pos_].text + "'");
  }
  void Take(Tok kind, const char* what) {
    if (!At(kind)) throw LineError(std::string("syntax error: expected ") + what);
    ++pos_;
  }
  void TakeKeyword(const char* keyword, const char* spelled) {
    if (!AtKeyword(keyword)) throw LineError(std::string("syntax error: expected ") + spelled);
    ++pos_;
  }

  static bool Truth(const Variant& v, const char* what) {
    Variant b;
    if (FAILED(v.ChangeType(VarType::Bool, b))) throw LineError(std::string(what) + " needs a true or false value");
    return b.AsBool();
  }

  // A variable may take any name but a member's or a word of the language: assigning to a
  // member's name would hide the member from every later line.
  static std::string AssignableKey(const std::string& name) {
    const std::string key = FoldCase(name);
    if (IsReserved(key)) throw LineError("syntax error: '" + name + "' is a word of the language");
    if (const MemberDesc* m = MemberTable::Instance().Find(name))
      throw LineError("cannot assign to " + m->name + ": it is a member");
    if (IsScriptFunction(name)) throw LineError("cannot assign to " + name + ": it is a function");
    return key;
  }

  Variant* FindVariable(const std::string& key) {
    auto it = host_.variables_.find(key);
    return it == host_.variables_.end() ? nullptr : &it->second;
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

  // A failed expect shows what its comparisons compared: "(GetStat() is 10 FileNotFound)".
  void RunExpect() {
    const size_t start = pos_;
    noteComparisons_ = true;
    const Variant v = Expression();
    ExpectEnd();
    if (Truth(v, "expect")) return;
    std::string shown;
    for (const std::string& c : compared_) shown += (shown.empty() ? " (" : ", ") + c;
    throw LineError("expect failed: " + SourceFrom(start) + (shown.empty() ? "" : shown + ")"));
  }

  // `Member args` or `Member(args)` as a statement; the result is dropped.
  void RunCallStatement(const std::string& name) {
    const MemberDesc& m = MemberNamed(name);
    std::vector<Variant> positional;
    std::vector<NamedArgument> named;
    if (At(Tok::LParen) && ParenthesesCloseTheLine()) {
      ++pos_;
      Arguments(m, positional, named, Tok::RParen);
      Take(Tok::RParen, "')'");
    } else {
      Arguments(m, positional, named, Tok::End);
    }
    ExpectEnd();
    Call(m, positional, named);
  }

  // The member a name calls; a name that is something else, or nothing, fails the line.
  const MemberDesc& MemberNamed(const std::string& name) {
    if (const MemberDesc* m = MemberTable::Instance().Find(name)) return *m;
    if (FindVariable(FoldCase(name))) throw LineError("'" + name + "' is a variable, not a member");
    if (IsScriptFunction(name)) throw LineError(name + " is a function: use its value, as in x = " + name + "(...)");
    if (const ScriptConstant* c = FindScriptConstant(name))
      throw LineError("'" + name + "' is a constant of " + std::string(c->enumeration) + ", not a member");
    FailUnknown(name);
  }

  [[noreturn]] void FailUnknown(const std::string& name) const {
    std::vector<std::string_view> candidates = MemberAndConstantNames();
    for (const std::string& f : ScriptFunctionNames()) candidates.push_back(f);
    for (const auto& [key, value] : host_.variables_) candidates.push_back(key);
    const std::string near = ClosestName(name, candidates);
    throw LineError("unknown member or variable '" + name + "'" + (near.empty() ? "" : "; did you mean " + near + "?"));
  }

  bool ParenthesesCloseTheLine() const {
    const size_t close = ClosingParenthesis(pos_);
    return close < tokens_.size() && tokens_[close + 1].kind == Tok::End;
  }

  void Arguments(const MemberDesc& m, std::vector<Variant>& positional, std::vector<NamedArgument>& named, Tok end) {
    Nested inArguments(argumentDepth_);
    bool firstArg = true;
    while (!At(end)) {
      if (!firstArg) Take(Tok::Comma, "','");
      firstArg = false;
      if (At(Tok::Name) && tokens_[pos_ + 1].kind == Tok::NamedAssign) {
        std::string pname = tokens_[pos_].text;
        pos_ += 2;
        const int index = ParamIndex(m, pname);
        named.push_back({std::move(pname), Argument(index < 0 ? nullptr : &m.params[static_cast<size_t>(index)])});
      } else {
        if (!named.empty()) throw LineError("syntax error: a positional argument after a named one");
        const size_t index = positional.size();
        positional.push_back(Argument(index < m.params.size() ? &m.params[index] : nullptr));
      }
    }
  }

  // A bare variable goes by reference, so a member can fill it. A name that is no variable yet
  // becomes one only for a by-reference parameter, which fills it; anywhere else it is read as
  // a value, so a misspelt constant fails instead of passing as an empty variable.
  Variant Argument(const ParamDesc* param) {
    if (At(Tok::Name)) {
      const Token& next = tokens_[pos_ + 1];
      const bool bare = next.kind == Tok::Comma || next.kind == Tok::End || next.kind == Tok::RParen;
      const std::string& name = tokens_[pos_].text;
      const std::string key = FoldCase(name);
      const bool fills = param && param->byRef && !MemberTable::Instance().Find(name) && !IsScriptFunction(name);
      if (bare && !IsReserved(key) && (FindVariable(key) || fills)) {
        ++pos_;
        return Variant::RefTo(host_.variables_[key]);
      }
    }
    return Expression();
  }

  // Counts how deep the parser is inside argument lists and subscripts.
  struct Nested {
    explicit Nested(int& d) : depth(d) { ++depth; }
    ~Nested() { --depth; }
    int& depth;
  };

  // A hostile line of thousands of "-", "Not" or "(" must not exhaust the stack.
  struct Depth {
    explicit Depth(int& d) : depth(d) {
      if (++depth > kMaxNesting) throw LineError("syntax error: expression nested too deeply");
    }
    ~Depth() { --depth; }
    int& depth;
  };

  Variant Expression() { return Binary(0); }

  // The binary operators of one level of precedence, loosest first; the prefix Not stands between
  // And and the comparisons, the unary minus and ^ below the last level.
  struct Spelling {
    const char* text;  // an operator's characters, or a keyword in lower case
    BinaryOp op;
  };
  static constexpr std::initializer_list<Spelling> kLevels[] = {
      {{"or", BinaryOp::Or}},
      {{"and", BinaryOp::And}},
      {{"=", BinaryOp::Equal},
       {"<>", BinaryOp::NotEqual},
       {"<", BinaryOp::Less},
       {">", BinaryOp::Greater},
       {"<=", BinaryOp::LessEqual},
       {">=", BinaryOp::GreaterEqual}},
      {{"&", BinaryOp::Concat}},
      {{"+", BinaryOp::Add}, {"-", BinaryOp::Subtract}},
      {{"mod", BinaryOp::Modulo}},
      {{"\\", BinaryOp::IntDivide}},
      {{"*", BinaryOp::Multiply}, {"/", BinaryOp::Divide}},
  };
  static constexpr size_t kNotLevel = 2;
  static constexpr size_t kComparisonLevel = 2;

  // The operator of `level` at the current token, or null.
  const BinaryOp* OperatorAt(size_t level) const {
    const Token& t = tokens_[pos_];
    const bool symbol = t.kind == Tok::Operator || t.kind == Tok::Compare || t.kind == Tok::Assign;
    if (!symbol && t.kind != Tok::Name) return nullptr;
    for (const Spelling& s : kLevels[level])
      if (symbol ? t.text == s.text : FoldCase(t.text) == s.text) return &s.op;
    return nullptr;
  }

  Variant Binary(size_t level) {
    if (level == std::size(kLevels)) return Unary();
    if (level == kNotLevel) {
      Depth guard(nesting_);
      if (AtKeyword("not")) {
        ++pos_;
        return ApplyNot(Binary(level));
      }
      return BinaryChain(level);
    }
    return BinaryChain(level);
  }

  // Operands of one level, joined from left to right.
  Variant BinaryChain(size_t level) {
    const size_t start = pos_;
    Variant v = Binary(level + 1);
    while (const BinaryOp* op = OperatorAt(level)) {
      const size_t leftEnd = pos_++;
      const size_t rightStart = pos_;
      Variant right = Binary(level + 1);
      if (level == kComparisonLevel) NoteCompared(start, leftEnd, v, rightStart, pos_, right);
      v = ApplyBinary(*op, v, right);
    }
    return v;
  }

  // What a comparison of the line's own expression compared, for a failed expect: each side
  // that is not a literal or a constant, with its value.
  void NoteCompared(size_t leftStart, size_t leftEnd, const Variant& left, size_t rightStart, size_t rightEnd,
                    const Variant& right) {
    if (!noteComparisons_ || argumentDepth_ > 0) return;
    for (auto [from, to, value] : {std::tuple{leftStart, leftEnd, &left}, std::tuple{rightStart, rightEnd, &right}}) {
      if (IsLiteral(from, to)) continue;
      std::string shown = SourceBetween(from, to) + " is " + ValueText(*value);
      if (const std::string_view name = ConstantNameOfCall(from, to, *value); !name.empty()) shown += " " + std::string(name);
      if (std::find(compared_.begin(), compared_.end(), shown) == compared_.end()) compared_.push_back(std::move(shown));
    }
  }

  bool IsLiteral(size_t from, size_t to) const {
    if (from < to && AtOperatorToken(from, "-")) ++from;
    if (to != from + 1) return false;
    const Token& t = tokens_[from];
    if (t.kind == Tok::Number || t.kind == Tok::Text) return true;
    return t.kind == Tok::Name && !host_.variables_.count(FoldCase(t.text)) &&
           (FindScriptConstant(t.text) || IsReserved(FoldCase(t.text)));
  }

  bool AtOperatorToken(size_t i, const char* op) const { return tokens_[i].kind == Tok::Operator && tokens_[i].text == op; }

  // The constant that names the value of `Member(...)` when the member's result is an enumeration.
  std::string_view ConstantNameOfCall(size_t from, size_t to, const Variant& value) const {
    if (tokens_[from].kind != Tok::Name || host_.variables_.count(FoldCase(tokens_[from].text))) return {};
    const bool wholeCall = to == from + 1 || (tokens_[from + 1].kind == Tok::LParen && tokens_[to - 1].kind == Tok::RParen &&
                                              ClosingParenthesis(from + 1) == to - 1);
    const MemberDesc* m = MemberTable::Instance().Find(tokens_[from].text);
    if (!wholeCall || !m || !m->result || m->result->base != BaseType::Enum) return {};
    Variant number;
    if (FAILED(value.ChangeType(VarType::I4, number))) return {};
    return ConstantNameOf(m->result->enumName, number.AsI4());
  }

  size_t ClosingParenthesis(size_t open) const {
    int depth = 0;
    for (size_t i = open; i < tokens_.size(); ++i) {
      if (tokens_[i].kind == Tok::LParen) ++depth;
      if (tokens_[i].kind == Tok::RParen && --depth == 0) return i;
    }
    return tokens_.size();
  }

  Variant Unary() { return Signed(false); }

  // `-2 ^ 2` is -4: the power binds tighter than the sign before it. The right side of `^` may
  // carry its own sign (`2 ^ -1`) but takes no power of its own, so powers run left to right.
  Variant Signed(bool exponent) {
    Depth guard(nesting_);
    if (AtOperator("-")) {
      ++pos_;
      return Negate(Signed(exponent));
    }
    Variant v = Primary();
    while (!exponent && AtOperator("^")) {
      ++pos_;
      v = ApplyBinary(BinaryOp::Power, v, Signed(true));
    }
    return v;
  }

  Variant Primary() {
    const Token& t = tokens_[pos_];
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
    if (key == "ubound" || key == "lbound") return Bound(key == "ubound", name);
    if (key == "array") return BuildArray();
    if (key == "environ") return EnvironmentText();
    if (IsScriptFunction(name)) return FunctionValue(name);
    if (Variant* variable = FindVariable(key)) {
      if (At(Tok::LParen)) return Element(key, name);
      return *variable;
    }
    if (const MemberDesc* m = MemberTable::Instance().Find(name)) {
      std::vector<Variant> positional;
      std::vector<NamedArgument> named;
      if (At(Tok::LParen)) {
        ++pos_;
        Arguments(*m, positional, named, Tok::RParen);
        Take(Tok::RParen, "')'");
      }
      return Call(*m, positional, named);
    }
    if (const ScriptConstant* c = FindScriptConstant(name)) {
      if (At(Tok::LParen)) throw LineError("'" + name + "' is a constant of " + std::string(c->enumeration) + ", not an array");
      return Variant::I4(c->value);
    }
    FailUnknown(name);
  }

  // `Len(s)`, `Dir()` or just `Dir`: one of Basic's functions, its arguments taken as values.
  Variant FunctionValue(const std::string& name) {
    std::vector<Variant> args;
    if (At(Tok::LParen)) {
      Nested inArguments(argumentDepth_);
      ++pos_;
      while (!At(Tok::RParen)) {
        if (!args.empty()) Take(Tok::Comma, "','");
        args.push_back(Expression().Deref());
      }
      Take(Tok::RParen, "')'");
    }
    return CallScriptFunction(name, args, host_.folderWalk_);
  }

  // `a(i [, j [, k]])`, one index per dimension within its bounds.
  Variant Element(const std::string& key, const std::string& name) {
    Nested inSubscript(argumentDepth_);
    Take(Tok::LParen, "'('");
    std::vector<int32_t> indices;
    do {
      if (!indices.empty()) ++pos_;
      indices.push_back(Subscript(Expression()));
    } while (At(Tok::Comma));
    Take(Tok::RParen, "')'");
    // Looked up after the indices, which may have called a member that refilled the variable.
    const SafeArray* array = host_.variables_[key].ArrayPtr();
    if (!array) throw LineError("'" + name + "' is not an array");
    size_t flat = 0;
    if (!FlatIndex(*array, indices, flat)) throw LineError("subscript out of range in '" + name + "'");
    return ElementAt(*array, flat);
  }

  // `UBound(a [, dimension])` and `LBound(...)`; dimensions count from 1.
  Variant Bound(bool upper, const std::string& spelled) {
    Nested inArguments(argumentDepth_);
    Take(Tok::LParen, "'('");
    Variant held;
    const SafeArray* array = nullptr;
    const bool bareVariable = At(Tok::Name) && FindVariable(FoldCase(tokens_[pos_].text)) &&
                              (tokens_[pos_ + 1].kind == Tok::Comma || tokens_[pos_ + 1].kind == Tok::RParen);
    if (bareVariable) {
      array = FindVariable(FoldCase(tokens_[pos_++].text))->ArrayPtr();  // read in place, not copied
    } else {
      held = Expression();
      array = held.ArrayPtr();
    }
    int32_t dimension = 1;
    if (At(Tok::Comma)) {
      ++pos_;
      dimension = Subscript(Expression());
    }
    Take(Tok::RParen, "')'");
    if (!array) throw LineError("type mismatch in " + spelled + ": not an array");
    const std::vector<ArrayDimension>& dims = Dimensions(*array);
    if (dimension < 1 || static_cast<size_t>(dimension) > dims.size())
      throw LineError("subscript out of range in " + spelled);
    const ArrayDimension& d = dims[static_cast<size_t>(dimension) - 1];
    const int64_t bound = upper ? int64_t{d.lower} + d.count - 1 : d.lower;
    if (bound < INT32_MIN) return Variant::R8(static_cast<double>(bound));  // an empty array from the lowest Long
    return Variant::I4(static_cast<int32_t>(bound));
  }

  // `Environ(name)`: the process environment's value, "" when unset, so a script can take paths
  // and ports from whoever started it.
  Variant EnvironmentText() {
    Nested inArguments(argumentDepth_);
    Take(Tok::LParen, "'('");
    const Variant name = Expression().Deref();
    Take(Tok::RParen, "')'");
    if (name.Type() != VarType::BStr || name.IsArray()) throw LineError("type mismatch in Environ: not a text");
    const char* value = std::getenv(name.AsStr().c_str());
    return Variant::Str(value ? value : "");
  }

  // `Array(v1, v2, ...)`: a one-dimensional array from 0.
  Variant BuildArray() {
    Nested inArguments(argumentDepth_);
    Take(Tok::LParen, "'('");
    std::vector<Variant> values;
    while (!At(Tok::RParen)) {
      if (!values.empty()) Take(Tok::Comma, "','");
      values.push_back(Expression().Deref());
    }
    Take(Tok::RParen, "')'");
    return MakeArray(values);
  }

  // An array passed to an array parameter takes the parameter's element type; a variable passed
  // by reference is converted in place, so that what the member writes back lands in it.
  static void ConformArrays(const MemberDesc& m, std::vector<Variant>& positional, std::vector<NamedArgument>& named) {
    auto conform = [&](Variant& arg, int index) {
      if (index < 0 || static_cast<size_t>(index) >= m.params.size()) return;
      const ParamDesc& param = m.params[static_cast<size_t>(index)];
      if (!param.type.isArray) return;
      Variant& value = arg.Deref();
      const SafeArray* array = value.ArrayPtr();
      const VarType wanted = param.type.ValueType();
      if (!array || ElementType(*array) == wanted) return;
      SafeArray converted;
      if (HRESULT hr = ConvertArray(*array, wanted, converted); FAILED(hr))
        throw CallFailure(m, hr, static_cast<unsigned>(index), CallArguments{positional, named}, {});
      value = Variant::Array(std::move(converted));
    };
    for (size_t i = 0; i < positional.size(); ++i) conform(positional[i], static_cast<int>(i));
    for (NamedArgument& n : named) conform(n.value, ParamIndex(m, n.name));
  }

  Variant Call(const MemberDesc& m, std::vector<Variant>& positional, std::vector<NamedArgument>& named) {
    const CallArguments args{positional, named};
    CheckArgumentNames(m, args);
    ConformArrays(m, positional, named);
    Variant result;
    ExceptionInfo error;
    unsigned argErr = 0;
    const auto started = std::chrono::steady_clock::now();
    const HRESULT hr = host_.engine_.Invoke(m.Dispid(host_.engine_.Which()), positional, named, result, &error, &argErr);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - started;
    if (FAILED(hr)) {
      Trace(CallText(m, args) + " failed", took.count());
      throw CallFailure(m, hr, argErr, args, error);
    }
    if (!host_.options_.strict && !host_.options_.trace) return result;
    const std::optional<int32_t> status = LastStatus();
    const std::string statusText = status ? DescribeStatus(*status) : "unknown";
    Trace(CallText(m, args) + (m.result ? " = " + ValueText(result) : "") + ", status " + statusText, took.count());
    if (host_.options_.strict && status && *status != 0)
      throw LineError(m.name + ": status " + statusText + FileArguments(m, args));
    return result;
  }

  // The engine's last status, read without counting as a call of the script; none when the
  // engine cannot say.
  std::optional<int32_t> LastStatus() const {
    std::vector<Variant> none;
    std::vector<NamedArgument> noNames;
    Variant status, asLong;
    if (FAILED(host_.engine_.InvokeByName("GetStat", none, noNames, status))) return std::nullopt;
    if (FAILED(status.ChangeType(VarType::I4, asLong))) return std::nullopt;
    return asLong.AsI4();
  }

  void Trace(const std::string& call, double milliseconds) const {
    if (!host_.options_.trace) return;
    char took[32];
    std::snprintf(took, sizeof took, "%.3f ms", milliseconds);
    *host_.options_.trace << "trace: line " << number_ << ": " << call << ", " << took << '\n';
    host_.options_.trace->flush();
  }

  std::string SourceFrom(size_t tokenIndex) const { return SourceBetween(tokenIndex, tokens_.size()); }

  std::string SourceBetween(size_t tokenIndex, size_t end) const {
    std::string s;
    for (size_t i = tokenIndex; i < end && tokens_[i].kind != Tok::End; ++i) {
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
  int argumentDepth_ = 0;
  const std::vector<Token>& tokens_;
  int number_;
  size_t pos_ = 0;
  bool noteComparisons_ = false;       // in an expect, which shows them when it fails
  std::vector<std::string> compared_;
};

// A whole script: its lines tokenized, its blocks matched, then run from the first line with
// jumps between the lines of each block.
class ScriptProgram {
 public:
  ScriptProgram(ScriptHost& host, int firstNumber) : host_(host), nextNumber_(firstNumber) {}

  // Tokenizes a line and matches its block; a LineError names the line at fault.
  void Add(std::string_view source) {
    current_ = nextNumber_++;
    Line line{current_, Tokenize(source), Kind::Statement, 0};
    line.kind = KindOf(line.tokens);
    lines_.push_back(std::move(line));
    Match(lines_.size() - 1);
  }

  // A block still open at the end of the script.
  void Finish() {
    if (open_.empty()) return;
    const Line& line = lines_[open_.back()];
    current_ = line.number;
    throw LineError(line.kind == Kind::For ? "For without Next" : line.kind == Kind::Do ? "Do without Loop" : "If without End If");
  }

  void Run() {
    size_t pc = 0;
    while (pc < lines_.size()) {
      current_ = lines_[pc].number;
      pc = Step(pc);
    }
  }

  int CurrentNumber() const { return current_; }

 private:
  enum class Kind { Statement, For, Next, If, Else, EndIf, Do, Loop };
  struct Line {
    int number;
    std::vector<Token> tokens;
    Kind kind;
    size_t partner;  // For: its Next; Next: its For; If: its Else or End If; Else: its End If; Do: its Loop; Loop: its Do
  };
  struct Loop {
    std::string key;
    Variant end, step;
  };

  static bool Starts(const std::vector<Token>& t, size_t i, const char* keyword) {
    return t[i].kind == Tok::Name && IsKeyword(t[i].text, keyword);
  }

  static Kind KindOf(const std::vector<Token>& t) {
    if (Starts(t, 0, "for")) return Kind::For;
    if (Starts(t, 0, "next")) return Kind::Next;
    if (Starts(t, 0, "if")) return Kind::If;
    if (Starts(t, 0, "else")) return Kind::Else;
    if (Starts(t, 0, "end") && Starts(t, 1, "if")) return Kind::EndIf;
    if (Starts(t, 0, "do")) return Kind::Do;
    if (Starts(t, 0, "loop")) return Kind::Loop;
    return Kind::Statement;
  }

  void Match(size_t at) {
    Line& line = lines_[at];
    const std::vector<Token>& t = line.tokens;
    switch (line.kind) {
      case Kind::Statement: return;
      case Kind::For: open_.push_back(at); return;
      case Kind::Next: {
        if (open_.empty() || lines_[open_.back()].kind != Kind::For) throw LineError("Next without For");
        Line& loop = lines_[open_.back()];
        if (t[1].kind == Tok::Name) {
          if (FoldCase(t[1].text) != FoldCase(loop.tokens[1].text))
            throw LineError("Next " + t[1].text + " closes For " + loop.tokens[1].text);
          if (t[2].kind != Tok::End) throw LineError("syntax error: unexpected '" + t[2].text + "'");
        } else if (t[1].kind != Tok::End) {
          throw LineError("syntax error: unexpected '" + t[1].text + "'");
        }
        loop.partner = at;
        line.partner = open_.back();
        open_.pop_back();
        return;
      }
      case Kind::If:
        if (t.size() < 3 || !Starts(t, t.size() - 2, "then")) {
          throw LineError("syntax error: If ends its line with Then; its statements follow on the next lines");
        }
        open_.push_back(at);
        return;
      case Kind::Else: {
        if (t[1].kind != Tok::End) throw LineError("syntax error: Else stands alone on its line");
        if (open_.empty() || lines_[open_.back()].kind != Kind::If) throw LineError("Else without If");
        lines_[open_.back()].partner = at;
        open_.back() = at;  // the Else now waits for the End If
        return;
      }
      case Kind::Do: open_.push_back(at); return;
      case Kind::Loop: {
        if (t[1].kind != Tok::End) throw LineError("syntax error: Loop stands alone on its line");
        if (open_.empty() || lines_[open_.back()].kind != Kind::Do) throw LineError("Loop without Do");
        lines_[open_.back()].partner = at;
        line.partner = open_.back();
        open_.pop_back();
        return;
      }
      case Kind::EndIf: {
        if (t[2].kind != Tok::End) throw LineError("syntax error: unexpected '" + t[2].text + "'");
        if (open_.empty() || (lines_[open_.back()].kind != Kind::If && lines_[open_.back()].kind != Kind::Else))
          throw LineError("End If without If");
        lines_[open_.back()].partner = at;
        open_.pop_back();
        return;
      }
    }
  }

  // Runs the line at `pc`; the index of the next line to run.
  size_t Step(size_t pc) {
    const Line& line = lines_[pc];
    ScriptLine parsed(host_, line.tokens, line.number);
    switch (line.kind) {
      case Kind::Statement: parsed.RunStatement(); return pc + 1;
      case Kind::For: {
        ForHeader h = parsed.ParseFor();
        if (ApplyBinary(BinaryOp::Equal, h.step, Variant::I2(0)).AsBool())
          throw LineError("For with Step 0 never ends");
        host_.variables_[h.key] = h.start;
        const Variant& counter = host_.variables_[h.key];
        Loop& loop = loops_[pc] = Loop{std::move(h.key), std::move(h.end), std::move(h.step)};
        return Continues(counter, loop) ? pc + 1 : line.partner + 1;
      }
      case Kind::Next: {
        const Loop& loop = loops_.at(line.partner);
        Variant& counter = host_.variables_[loop.key];
        counter = ApplyBinary(BinaryOp::Add, counter, loop.step);
        return Continues(counter, loop) ? line.partner + 1 : pc + 1;
      }
      case Kind::If:
        return parsed.Condition() ? pc + 1 : line.partner + 1;
      case Kind::Else: return line.partner + 1;  // the Then part ran: skip to after End If
      case Kind::EndIf: return pc + 1;
      case Kind::Do: return parsed.LoopCondition() ? pc + 1 : line.partner + 1;
      case Kind::Loop: return line.partner;  // back to the Do, which asks again
    }
    return pc + 1;
  }

  static bool Continues(const Variant& counter, const Loop& loop) {
    const bool up = ApplyBinary(BinaryOp::Greater, loop.step, Variant::I2(0)).AsBool();
    return ApplyBinary(up ? BinaryOp::LessEqual : BinaryOp::GreaterEqual, counter, loop.end).AsBool();
  }

  ScriptHost& host_;
  int nextNumber_;
  int current_ = 0;
  std::vector<Line> lines_;
  std::vector<size_t> open_;  // the For, If and Else lines whose block is still open
  std::map<size_t, Loop> loops_;
};

bool ScriptHost::RunNumberedFrom(std::string_view script, int firstNumber) {
  ScriptProgram program(*this, firstNumber);
  try {
    while (!script.empty()) {
      const size_t eol = script.find('\n');
      std::string_view line = script.substr(0, eol);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      script = eol == std::string_view::npos ? std::string_view() : script.substr(eol + 1);
      program.Add(line);
    }
    program.Finish();
    program.Run();
    return true;
  } catch (const LineError& e) {
    error_ = "line " + std::to_string(program.CurrentNumber()) + ": " + e.what();
    return false;
  }
}

bool ScriptHost::RunLine(std::string_view line, int lineNumber) { return RunNumberedFrom(line, lineNumber); }

bool ScriptHost::Run(std::string_view script) { return RunNumberedFrom(script, 1); }

}  // namespace vx::control
