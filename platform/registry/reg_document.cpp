#include "platform/registry/reg_document.h"

#include <algorithm>
#include <cctype>

#include "platform/input_limits.h"

namespace vx::registry {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                       "HKEY_CURRENT_CONFIG"};

char Fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

// Tree order: a key before its subkeys, siblings by name without case ('\' sorts before any
// character of a name).
bool KeyBefore(const RegKey& a, const RegKey& b) {
  return std::lexicographical_compare(a.path.begin(), a.path.end(), b.path.begin(), b.path.end(), [](char x, char y) {
    const int fx = x == '\\' ? -1 : static_cast<unsigned char>(Fold(x));
    const int fy = y == '\\' ? -1 : static_cast<unsigned char>(Fold(y));
    return fx < fy;
  });
}

bool ValueBefore(const RegValue& a, const RegValue& b) {
  return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                      [](char x, char y) { return Fold(x) < Fold(y); });
}

bool IsBelow(std::string_view path, std::string_view ancestor) {
  return path.size() > ancestor.size() && path[ancestor.size()] == '\\' && SameText(path.substr(0, ancestor.size()), ancestor);
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// Reads a quoted text at the start of `s`; `rest` is what follows its closing quote.
bool Unquote(std::string_view s, std::string& text, std::string_view& rest) {
  if (s.empty() || s[0] != '"') return false;
  text.clear();
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '"') {
      rest = s.substr(i + 1);
      return true;
    }
    if (s[i] == '\\' && ++i == s.size()) return false;
    text += s[i];
  }
  return false;
}

bool IsWellFormedPath(std::string_view path) {
  if (!IsRootedPath(path) || path.back() == '\\') return false;
  return path.find("\\\\") == std::string_view::npos;
}

// One value line, `@=...` or `"name"=...`; the data is either a quoted text or a typed form
// ("dword:...", "hex(2):...") kept as written.
bool ParseValue(std::string_view line, RegValue& value) {
  std::string_view rest;
  if (line.starts_with("@")) {
    value.name.clear();
    rest = line.substr(1);
  } else if (!Unquote(line, value.name, rest)) {
    return false;
  }
  if (!rest.starts_with("=") || rest.size() < 2) return false;
  value.data = std::string(rest.substr(1));
  if (value.data[0] != '"') return value.data != "-" && value.data.find(':') != std::string::npos;
  std::string text;
  std::string_view after;
  return Unquote(value.data, text, after) && after.empty();
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

bool IsRootedPath(std::string_view path) {
  for (std::string_view root : kRoots)
    if (SameText(path, root) || IsBelow(path, root)) return true;
  return false;
}

bool RegDocument::Parse(std::string_view text) {
  keys_.clear();
  // A registration file many times larger than the library's own entries is not one to edit.
  if (text.size() > limits::kMaxRegistryFileBytes) return false;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::vector<std::string_view> lines = Lines(text);
  if (lines.empty() || lines[0] != kHeader) return false;
  std::vector<RegKey> parsed;
  std::string pending;  // a typed value continued over lines ending in '\'
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string line(lines[i]);
    if (!pending.empty()) {
      const size_t start = line.find_first_not_of(" \t");
      if (start == std::string::npos) return false;  // a continued value needs its next part
      line = pending + line.substr(start);
      pending.clear();
    }
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || !IsWellFormedPath(std::string_view(line).substr(1, line.size() - 2))) return false;
      parsed.push_back({line.substr(1, line.size() - 2), {}});
      continue;
    }
    if (line[0] != '"' && line[0] != '@') return false;
    if (line.back() == '\\' && line.find("=\"") == std::string::npos) {
      pending = line.substr(0, line.size() - 1);
      continue;
    }
    RegValue value;
    if (parsed.empty() || !ParseValue(line, value)) return false;
    parsed.back().values.push_back(std::move(value));
  }
  if (!pending.empty()) return false;
  for (RegKey& key : parsed) {
    CreateKey(key.path);
    for (RegValue& v : key.values) {
      RegKey* target = Find(key.path);
      auto same = std::find_if(target->values.begin(), target->values.end(), [&](const RegValue& x) { return SameText(x.name, v.name); });
      if (same != target->values.end()) *same = std::move(v);
      else target->values.push_back(std::move(v));
    }
  }
  return true;
}

std::string RegDocument::Serialise() const {
  std::vector<RegKey> keys = keys_;
  std::sort(keys.begin(), keys.end(), KeyBefore);
  std::string out = std::string(kHeader) + "\n";
  for (size_t i = 0; i < keys.size(); ++i) {
    RegKey& key = keys[i];
    const bool implied = key.values.empty() && i + 1 < keys.size() && IsBelow(keys[i + 1].path, key.path);
    if (implied) continue;
    out += "\n[" + key.path + "]\n";
    std::sort(key.values.begin(), key.values.end(), ValueBefore);
    for (const RegValue& v : key.values) out += (v.name.empty() ? std::string("@") : Quote(v.name)) + "=" + v.data + "\n";
  }
  return out;
}

RegKey* RegDocument::Find(std::string_view path) {
  auto found = std::find_if(keys_.begin(), keys_.end(), [&](const RegKey& k) { return SameText(k.path, path); });
  return found == keys_.end() ? nullptr : &*found;
}

const RegKey* RegDocument::Find(std::string_view path) const { return const_cast<RegDocument*>(this)->Find(path); }

bool RegDocument::HasKey(std::string_view path) const {
  if (Find(path)) return true;
  return std::any_of(keys_.begin(), keys_.end(), [&](const RegKey& k) { return IsBelow(k.path, path); });
}

void RegDocument::CreateKey(std::string_view path) {
  if (!Find(path)) keys_.push_back({std::string(path), {}});
}

bool RegDocument::SetString(std::string_view path, std::string_view name, std::string_view text) {
  if (!HasKey(path)) return false;
  CreateKey(path);
  RegKey* key = Find(path);
  const std::string data = Quote(text);
  for (RegValue& v : key->values) {
    if (SameText(v.name, name)) {
      v.data = data;
      return true;
    }
  }
  key->values.push_back({std::string(name), data});
  return true;
}

bool RegDocument::QueryString(std::string_view path, std::string_view name, std::string& text) const {
  const RegKey* key = Find(path);
  if (!key) return false;
  for (const RegValue& v : key->values) {
    std::string_view rest;
    if (SameText(v.name, name)) return Unquote(v.data, text, rest) && rest.empty();
  }
  return false;
}

bool RegDocument::DeleteTree(std::string_view path) {
  if (!HasKey(path)) return false;
  std::erase_if(keys_, [&](const RegKey& k) { return SameText(k.path, path) || IsBelow(k.path, path); });
  return true;
}

void RegDocument::ClearKey(std::string_view path) {
  std::erase_if(keys_, [&](const RegKey& k) { return IsBelow(k.path, path); });
  if (RegKey* key = Find(path)) key->values.clear();
}

}  // namespace vx::registry
