// The fuzz targets start from files the tests make. When VEXIRO_FUZZ_SEEDS names a folder, a test
// offering a fixture writes it there under the given name; otherwise offering does nothing.
#pragma once
#include <cstdlib>
#include <fstream>
#include <string>

namespace vxtest {

inline void OfferFuzzSeed(const std::string& name, const std::string& bytes) {
  const char* folder = std::getenv("VEXIRO_FUZZ_SEEDS");
  if (folder == nullptr || *folder == '\0') return;
  std::ofstream(std::string(folder) + "/" + name, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vxtest
