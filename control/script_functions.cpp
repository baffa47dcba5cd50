#include "control/script_functions.h"

#include <algorithm>
#include <functional>

#include "control/com_errors.h"
#include "control/member_table.h"
#include "control/script_lexer.h"
#include "control/script_operators.h"

namespace vx::control {

namespace {

constexpr int kInvalidArgument = 5;
constexpr int kOverflow = 6;
constexpr int kTypeMismatch = 13;
constexpr int kInvalidUseOfNull = 94;

const char* RuntimeErrorText(int number) {
  switch (number) {
    case kInvalidArgument: return "Invalid procedure call or argument";
    case kOverflow: return "Overflow";
    case kTypeMismatch: return "Type mismatch";
    case kInvalidUseOfNull: return "Invalid use of Null";
    default: return "Application-defined or object-defined error";
  }
}

bool IsNull(const Variant& v) { return !v.Deref().IsArray() && v.Deref().Type() == VarType::Null; }

// A value as a text argument: Empty is "", a Boolean "True" or "False" as Basic shows it.
std::string TextOf(const Variant& value, std::string_view function) {
  const Variant& v = value.Deref();
  if (v.IsArray()) RaiseRuntimeError(function, kTypeMismatch, "an array is no text");
  if (v.Type() == VarType::Null) RaiseRuntimeError(function, kInvalidUseOfNull);
  if (v.Type() == VarType::Bool) return v.AsBool() ? "True" : "False";
  Variant text;
  if (FAILED(v.ChangeType(VarType::BStr, text))) RaiseRuntimeError(function, kTypeMismatch);
  return text.AsStr();
}

// A value converted as CLng and CDbl convert it (a Long rounds halves to even).
Variant Converted(const Variant& value, VarType to, std::string_view function) {
  if (value.Deref().IsArray()) RaiseRuntimeError(function, kTypeMismatch, "an array is no number");
  if (IsNull(value)) RaiseRuntimeError(function, kInvalidUseOfNull);
  Variant out;
  const HRESULT hr = value.ChangeType(to, out);
  if (hr == DISP_E_OVERFLOW) RaiseRuntimeError(function, kOverflow);
  if (FAILED(hr)) RaiseRuntimeError(function, kTypeMismatch, "\"" + TextOf(value, function) + "\" is no number");
  return out;
}

int32_t LongOf(const Variant& value, std::string_view function) {
  return Converted(value, VarType::I4, function).AsI4();
}

// Texts count in UTF-8 characters; a byte that starts no valid sequence counts as one, so
// nothing is ever cut or lost. The byte offset of the character after the one at `i`.
size_t NextCharacter(const std::string& s, size_t i) {
  const unsigned char lead = static_cast<unsigned char>(s[i]);
  size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
  if (i + length > s.size()) length = 1;
  for (size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) length = 1;
  return i + length;
}

// The byte offset `count` characters after byte `from`, or the end of the text.
size_t Advance(const std::string& s, size_t from, size_t count) {
  for (; count > 0 && from < s.size(); --count) from = NextCharacter(s, from);
  return from;
}

// The number of characters in the bytes [0, end).
size_t CharactersBefore(const std::string& s, size_t end) {
  size_t n = 0;
  for (size_t i = 0; i < end && i < s.size(); i = NextCharacter(s, i)) ++n;
  return n;
}

size_t CharacterCount(const std::string& s) { return CharactersBefore(s, s.size()); }

// The characters [from, from + count) of `s`, clipped to its end.
std::string Characters(const std::string& s, size_t from, size_t count) {
  const size_t begin = Advance(s, 0, from);
  return s.substr(begin, Advance(s, begin, count) - begin);
}

// Letters A to Z only: the bytes of other characters stay as they are, so UTF-8 text stays whole.
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Folded(std::string s, char (*fold)(char)) {
  for (char& c : s) c = fold(c);
  return s;
}

// A character count or position that Basic refuses when negative (or, for positions, below 1).
size_t Count(const Variant& value, std::string_view function, int32_t lowest) {
  const int32_t n = LongOf(value, function);
  if (n < lowest) RaiseRuntimeError(function, kInvalidArgument, std::to_string(n) + " is out of range");
  return static_cast<size_t>(n);
}

// Basic's comparison argument: 0 compares bytes, 1 compares letters in either case.
bool TextCompare(const Variant& value, std::string_view function) {
  const int32_t mode = LongOf(value, function);
  if (mode != 0 && mode != 1) RaiseRuntimeError(function, kInvalidArgument, "compare is 0 or 1");
  return mode == 1;
}

// The byte offset of `needle` in `haystack` from byte `from`, or npos.
// The text as a search sees it: folding keeps every byte where it was, so an offset found in
// the folded text is the offset in the text itself.
std::string Searched(const std::string& s, bool anyCase) { return anyCase ? Folded(s, AsciiLower) : s; }

Variant Len(const std::vector<Variant>& a) {
  if (IsNull(a[0])) return Variant::Null();
  return Variant::I4(static_cast<int32_t>(CharacterCount(TextOf(a[0], "Len"))));
}

Variant Left(const std::vector<Variant>& a) {
  const size_t n = Count(a[1], "Left", 0);
  if (IsNull(a[0])) return Variant::Null();
  return Variant::Str(Characters(TextOf(a[0], "Left"), 0, n));
}

Variant Right(const std::vector<Variant>& a) {
  const size_t n = Count(a[1], "Right", 0);
  if (IsNull(a[0])) return Variant::Null();
  const std::string s = TextOf(a[0], "Right");
  const size_t length = CharacterCount(s);
  return Variant::Str(Characters(s, length - std::min(n, length), n));
}

Variant Mid(const std::vector<Variant>& a) {
  const size_t start = Count(a[1], "Mid", 1);
  const size_t length = a.size() > 2 ? Count(a[2], "Mid", 0) : SIZE_MAX;
  if (IsNull(a[0])) return Variant::Null();
  return Variant::Str(Characters(TextOf(a[0], "Mid"), start - 1, length));
}

// InStr([start,] text, sought [, compare]): the position of `sought` from `start`, 0 when absent.
Variant InStr(const std::vector<Variant>& a) {
  const bool withStart = a.size() > 2;
  const size_t start = withStart ? Count(a[0], "InStr", 1) : 1;
  const Variant& textArg = a[withStart ? 1 : 0];
  const Variant& soughtArg = a[withStart ? 2 : 1];
  const bool anyCase = a.size() > 3 && TextCompare(a[3], "InStr");
  if (IsNull(textArg) || IsNull(soughtArg)) return Variant::Null();
  const std::string text = TextOf(textArg, "InStr"), sought = TextOf(soughtArg, "InStr");
  if (text.empty()) return Variant::I4(0);
  if (sought.empty()) return Variant::I4(static_cast<int32_t>(start));
  if (start > CharacterCount(text)) return Variant::I4(0);
  const size_t at = Searched(text, anyCase).find(Searched(sought, anyCase), Advance(text, 0, start - 1));
  return Variant::I4(at == std::string::npos ? 0 : static_cast<int32_t>(CharactersBefore(text, at) + 1));
}

// Replace(text, find, with [, start [, count [, compare]]]): as Basic, the result begins at
// `start`; count -1 replaces every occurrence.
Variant Replace(const std::vector<Variant>& a) {
  const std::string text = TextOf(a[0], "Replace"), sought = TextOf(a[1], "Replace"), with = TextOf(a[2], "Replace");
  const size_t start = a.size() > 3 ? Count(a[3], "Replace", 1) : 1;
  const int32_t count = a.size() > 4 ? LongOf(a[4], "Replace") : -1;
  if (count < -1) RaiseRuntimeError("Replace", kInvalidArgument, "count is -1 or more");
  const bool anyCase = a.size() > 5 && TextCompare(a[5], "Replace");
  const std::string rest = Characters(text, start - 1, SIZE_MAX);
  if (sought.empty() || count == 0) return Variant::Str(rest);
  const std::string searched = Searched(rest, anyCase), needle = Searched(sought, anyCase);
  std::string out;
  size_t from = 0;
  for (int32_t done = 0; count < 0 || done < count; ++done) {
    const size_t at = searched.find(needle, from);
    if (at == std::string::npos) break;
    CheckTextLength(out.size() + (at - from) + with.size(), "Replace");
    out.append(rest, from, at - from).append(with);
    from = at + sought.size();
  }
  // The text after the last replacement counts too: it alone can carry the result past the limit.
  CheckTextLength(out.size() + (rest.size() - from), "Replace");
  return Variant::Str(out.append(rest, from));
}

Variant Cased(const std::vector<Variant>& a, char (*fold)(char), std::string_view function) {
  if (IsNull(a[0])) return Variant::Null();
  return Variant::Str(Folded(TextOf(a[0], function), fold));
}

// Basic's Trim takes spaces only, not tabs or line ends.
Variant Trim(const std::vector<Variant>& a) {
  if (IsNull(a[0])) return Variant::Null();
  const std::string s = TextOf(a[0], "Trim");
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return Variant::Str("");
  return Variant::Str(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

struct Function {
  const char* name;
  const char* signature;
  size_t fewest, most;
  std::function<Variant(const std::vector<Variant>&, FolderWalk&)> call;
};

const std::vector<Function>& Functions() {
  static const std::vector<Function> functions = {
      {"Len", "Len(text)", 1, 1, [](auto& a, FolderWalk&) { return Len(a); }},
      {"Left", "Left(text, length)", 2, 2, [](auto& a, FolderWalk&) { return Left(a); }},
      {"Right", "Right(text, length)", 2, 2, [](auto& a, FolderWalk&) { return Right(a); }},
      {"Mid", "Mid(text, start [, length])", 2, 3, [](auto& a, FolderWalk&) { return Mid(a); }},
      {"InStr", "InStr([start,] text, sought [, compare])", 2, 4, [](auto& a, FolderWalk&) { return InStr(a); }},
      {"Replace", "Replace(text, find, with [, start [, count [, compare]]])", 3, 6,
       [](auto& a, FolderWalk&) { return Replace(a); }},
      {"LCase", "LCase(text)", 1, 1, [](auto& a, FolderWalk&) { return Cased(a, AsciiLower, "LCase"); }},
      {"UCase", "UCase(text)", 1, 1, [](auto& a, FolderWalk&) { return Cased(a, AsciiUpper, "UCase"); }},
      {"Trim", "Trim(text)", 1, 1, [](auto& a, FolderWalk&) { return Trim(a); }},
      {"CStr", "CStr(value)", 1, 1, [](auto& a, FolderWalk&) { return Variant::Str(TextOf(a[0], "CStr")); }},
      {"CLng", "CLng(value)", 1, 1, [](auto& a, FolderWalk&) { return Converted(a[0], VarType::I4, "CLng"); }},
      {"CDbl", "CDbl(value)", 1, 1, [](auto& a, FolderWalk&) { return Converted(a[0], VarType::R8, "CDbl"); }},
      {"Dir", "Dir([pattern])", 0, 1,
       [](auto& a, FolderWalk& walk) {
         return Variant::Str(a.empty() ? walk.Next() : walk.First(TextOf(a[0], "Dir")));
       }},
  };
  return functions;
}

const Function* FindFunction(std::string_view name) {
  const std::string key = FoldCase(name);
  for (const Function& f : Functions())
    if (FoldCase(f.name) == key) return &f;
  return nullptr;
}

std::string Arguments(size_t n) { return std::to_string(n) + (n == 1 ? " argument" : " arguments"); }

}  // namespace

[[noreturn]] void RaiseRuntimeError(std::string_view function, int number, std::string_view detail) {
  std::string message = std::string(function) + ": run-time error " + std::to_string(number) + ": " + RuntimeErrorText(number);
  if (!detail.empty()) message += " (" + std::string(detail) + ")";
  throw LineError(message);
}

bool IsScriptFunction(std::string_view name) { return FindFunction(name) != nullptr; }

const std::vector<std::string>& ScriptFunctionNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const Function& f : Functions()) all.emplace_back(f.name);
    return all;
  }();
  return names;
}

Variant CallScriptFunction(std::string_view name, const std::vector<Variant>& args, FolderWalk& walk) {
  const Function* f = FindFunction(name);
  if (!f) throw LineError("unknown function '" + std::string(name) + "'");
  if (args.size() < f->fewest || args.size() > f->most) {
    const std::string takes = f->fewest == f->most ? Arguments(f->fewest)
                                                   : std::to_string(f->fewest) + " to " + Arguments(f->most);
    throw LineError(std::string(f->name) + ": wrong number of arguments: " + std::to_string(args.size()) +
                    " given, it takes " + takes + ": " + f->signature);
  }
  for (const Variant& a : args)
    if (a.IsMissing()) throw LineError(std::string(f->name) + ": every argument needs a value: " + f->signature);
  return f->call(args, walk);
}

}  // namespace vx::control
