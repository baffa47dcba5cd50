#include "engine/documents/replacing_write.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/routines/random_generator.h"
#include "engine/routines/shared_routines.h"

namespace vx::engine {
namespace {

constexpr int kMaxNameAttempts = 100;

// A hidden name in the target's folder (the rename must not cross file systems), created
// exclusively so that no other writer shares it.
std::string CreateSibling(const std::string& target) {
  const std::filesystem::path path(target);
  if (!path.has_filename()) return {};
  for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
    const auto number = static_cast<long>(std::floor(static_cast<double>(RandomSingle()) * 100000000.0));
    std::filesystem::path sibling = path;
    sibling.replace_filename("." + path.filename().string() + "." + std::to_string(number) + ".part");
    if (std::FILE* f = std::fopen(sibling.c_str(), "wbx")) {
      std::fclose(f);
      return sibling.string();
    }
    std::error_code ec;
    if (!std::filesystem::exists(sibling, ec)) return {};  // not a name clash: the folder refuses
  }
  return {};
}

}  // namespace

ReplacingWrite::ReplacingWrite(const std::string& target) : target_(target), path_(CreateSibling(target)) {}

ReplacingWrite::~ReplacingWrite() { Abandon(); }

VexiroStatus ReplacingWrite::Commit() {
  if (path_.empty()) return vexiro::CanNotCreateFile;
  std::error_code ec;
  std::filesystem::rename(path_, target_, ec);
  if (ec) {
    Abandon();
    return vexiro::CanNotCreateFile;
  }
  path_.clear();
  return vexiro::OK;
}

void ReplacingWrite::Abandon() {
  DeleteFileQuietly(path_);
  path_.clear();
}

}  // namespace vx::engine
