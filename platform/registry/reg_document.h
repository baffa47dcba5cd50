// The registry's contents as one text in the registration-file format: a first line
// "Windows Registry Editor Version 5.00", then one section per key, "[HKEY_CLASSES_ROOT\...]",
// followed by its values, `@="..."` for the default value and `"name"="..."` for named ones.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vx::registry {

struct RegValue {
  std::string name;  // "" for the default value
  std::string data;  // the text right of "=", kept as written: "\"text\"", "dword:00000001" ...
};

struct RegKey {
  std::string path;  // from its root, "HKEY_CLASSES_ROOT\\CLSID\\{...}", spelled as first made
  std::vector<RegValue> values;
};

class RegDocument {
 public:
  // False, leaving the document empty, when the text is not of the format (or larger than a
  // registry file the library would ever need).
  bool Parse(std::string_view text);
  // The same text for the same contents, whatever order they were made in: keys in tree order,
  // default values first, names compared without case. A key without values whose subkeys are
  // written is implied by them and not written itself.
  std::string Serialise() const;

  // Keys and value names compare without case, as the registry's do.
  bool HasKey(std::string_view path) const;
  void CreateKey(std::string_view path);
  // False when the key does not exist.
  bool SetString(std::string_view path, std::string_view name, std::string_view text);
  // The string value's text; false when the key or value is missing or the value is not a string.
  bool QueryString(std::string_view path, std::string_view name, std::string& text) const;
  // Removes the key and every key below it; false when there was no such key.
  bool DeleteTree(std::string_view path);
  // Removes the values and subkeys of an existing key, keeping the key.
  void ClearKey(std::string_view path);

 private:
  RegKey* Find(std::string_view path);
  const RegKey* Find(std::string_view path) const;
  void RebuildIndex();
  void AdoptParsedKeys(std::vector<RegKey>& parsed);
  std::vector<RegKey> keys_;
  std::unordered_map<std::string, size_t> index_;  // a key's path without case -> its place in keys_
};

// The registry's roots by their names; true when `path` begins with one of them.
bool IsRootedPath(std::string_view path);

}  // namespace vx::registry
