// Temporary folder and exclusively created temporary files.
#include <cmath>
#include <cstdio>

#include "engine/routines/random_generator.h"
#include "engine/routines/shared_routines.h"
#include "platform/kernel/environment.h"
#include "platform/kernel/files.h"
#include "platform/kernel/last_error.h"

namespace vx::engine {
namespace {

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// Gives up after this many names in use in a row: the folder is then not ours to fill.
constexpr int kMaxNameAttempts = 1000;

}  // namespace

std::string GetTempFolder() {
  std::string folder;
  for (const char* name : {"TMPDIR", "tmp", "temp"}) {
    folder = Trimmed(vx::GetEnvironmentVariable(name));
    if (!folder.empty()) break;
  }
  if (folder.empty()) folder = "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder != "/") folder += '/';
  return folder;
}

std::string GetTempFilePath() {
  for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
    const auto number = static_cast<long>(std::floor(static_cast<double>(RandomSingle()) * 100000000.0));
    const std::string path = GetTempFolder() + std::to_string(number);
    if (vx::CreateNewFile(path)) return path;
    if (vx::GetLastError() != vx::ERROR_FILE_EXISTS) return {};
  }
  return {};
}

void DeleteFileQuietly(const std::string& path) {
  if (!path.empty()) vx::DeleteFile(path);
}

std::string WriteFreshTempFile(const std::function<VexiroStatus(const std::string& path)>& write,
                               VexiroStatus& status) {
  std::string path = GetTempFilePath();
  if (path.empty()) {
    status = vexiro::CanNotCreateFile;
    return path;
  }
  status = write(path);
  if (status != vexiro::OK) {
    DeleteFileQuietly(path);
    path.clear();
  }
  return path;
}

}  // namespace vx::engine
