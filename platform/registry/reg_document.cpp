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

// The spelling two names share when they compare equal without case.
std::string Folded(std::string_view name) {
  std::string out(name);
  std::transform(out.begin(), out.end(), out.begin(), Fold);
  return out;
}

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
    // Every carriage return at the end goes, so that what is written is read back the same.
    while (line.ends_with('\r')) line.remove_suffix(1);
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

// One pass over the lines: every key and value is found by a hashed name, and a value continued
// over many lines is appended to in place, so parsing takes time linear in the text.
bool RegDocument::Parse(std::string_view text) {
  keys_.clear();
  index_.clear();
  // A registration file many times larger than the library's own entries is not one to edit.
  if (text.size() > limits::kMaxRegistryFileBytes) return false;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::vector<std::string_view> lines = Lines(text);
  if (lines.empty() || lines[0] != kHeader) return false;
  std::vector<RegKey> parsed;
  std::string line;
  bool continued = false;  // `line` holds a typed value whose last line ended in '\'
  bool quoted = false;     // `line` holds `="`, so a '\' at its end closes a text, not a line
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string_view part = lines[i];
    size_t searchFrom = 0;
    if (continued) {
      const size_t start = part.find_first_not_of(" \t");
      if (start == std::string_view::npos) return false;  // a continued value needs its next part
      part.remove_prefix(start);
      searchFrom = line.empty() ? 0 : line.size() - 1;
      line += part;
    } else {
      line.assign(part);
      quoted = false;
    }
    continued = false;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || !IsWellFormedPath(std::string_view(line).substr(1, line.size() - 2))) return false;
      parsed.push_back({line.substr(1, line.size() - 2), {}});
      continue;
    }
    if (line[0] != '"' && line[0] != '@') return false;
    quoted = quoted || line.find("=\"", searchFrom) != std::string::npos;
    if (line.back() == '\\' && !quoted) {
      line.pop_back();
      continued = true;
      continue;
    }
    RegValue value;
    if (parsed.empty() || !ParseValue(line, value)) return false;
    parsed.back().values.push_back(std::move(value));
  }
  if (continued) return false;
  AdoptParsedKeys(parsed);
  return true;
}

// A key named twice keeps both sections' values; a value named twice keeps the later one, in the
// place of the first.
void RegDocument::AdoptParsedKeys(std::vector<RegKey>& parsed) {
  std::vector<std::unordered_map<std::string, size_t>> names;
  for (RegKey& key : parsed) {
    CreateKey(key.path);
    const size_t at = index_.at(Folded(key.path));
    if (names.size() <= at) names.resize(at + 1);
    std::vector<RegValue>& values = keys_[at].values;
    for (RegValue& v : key.values) {
      const auto [entry, added] = names[at].try_emplace(Folded(v.name), values.size());
      if (added)
        values.push_back(std::move(v));
      else
        values[entry->second] = std::move(v);
    }
  }
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
  const auto found = index_.find(Folded(path));
  return found == index_.end() ? nullptr : &keys_[found->second];
}

void RegDocument::RebuildIndex() {
  index_.clear();
  for (size_t i = 0; i < keys_.size(); ++i) index_.emplace(Folded(keys_[i].path), i);
}

const RegKey* RegDocument::Find(std::string_view path) const { return const_cast<RegDocument*>(this)->Find(path); }

bool RegDocument::HasKey(std::string_view path) const {
  if (Find(path)) return true;
  return std::any_of(keys_.begin(), keys_.end(), [&](const RegKey& k) { return IsBelow(k.path, path); });
}

void RegDocument::CreateKey(std::string_view path) {
  if (index_.try_emplace(Folded(path), keys_.size()).second) keys_.push_back({std::string(path), {}});
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
  RebuildIndex();
  return true;
}

void RegDocument::ClearKey(std::string_view path) {
  std::erase_if(keys_, [&](const RegKey& k) { return IsBelow(k.path, path); });
  RebuildIndex();
  if (RegKey* key = Find(path)) key->values.clear();
}

}  // namespace vx::registry
