#include "isolated_load.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "bilevel_bitmap.h"

namespace vximgplug {
namespace {

constexpr int kTimeLimitMs = 20000;
constexpr uint32_t kMaxPalette = 256;
constexpr uint32_t kMaxProfileBytes = 64u << 20;

struct PixelHeader {
  int32_t type, width, height, bpp;
  uint32_t redMask, greenMask, blueMask;
  uint32_t dotsPerMetreX, dotsPerMetreY;
  uint32_t paletteCount, transparencyCount;
  uint32_t lineBytes;
  uint32_t iccBytes;
};

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Reads exactly `size` bytes before the deadline.
bool ReadAll(int fd, void* data, size_t size, std::chrono::steady_clock::time_point deadline) {
  auto* p = static_cast<uint8_t*>(data);
  while (size > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd pfd{fd, POLLIN, 0};
    const int ready = poll(&pfd, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

[[noreturn]] void RunChild(int fd, const std::function<FIBITMAP*()>& decode) {
  // A decoder that fails loudly (or a sanitizer reporting an absurd allocation) stays quiet.
  const int quiet = open("/dev/null", O_WRONLY);
  if (quiet >= 0) dup2(quiet, STDERR_FILENO);
  FIBITMAP* dib = decode();
  if (!dib) _exit(1);
  PixelHeader h{};
  h.type = FreeImage_GetImageType(dib);
  h.width = static_cast<int32_t>(FreeImage_GetWidth(dib));
  h.height = static_cast<int32_t>(FreeImage_GetHeight(dib));
  h.bpp = static_cast<int32_t>(FreeImage_GetBPP(dib));
  h.redMask = FreeImage_GetRedMask(dib);
  h.greenMask = FreeImage_GetGreenMask(dib);
  h.blueMask = FreeImage_GetBlueMask(dib);
  h.dotsPerMetreX = FreeImage_GetDotsPerMeterX(dib);
  h.dotsPerMetreY = FreeImage_GetDotsPerMeterY(dib);
  h.paletteCount = FreeImage_GetPalette(dib) ? FreeImage_GetColorsUsed(dib) : 0;
  h.transparencyCount = FreeImage_GetTransparencyCount(dib);
  h.lineBytes = FreeImage_GetLine(dib);
  const FIICCPROFILE* icc = FreeImage_GetICCProfile(dib);
  h.iccBytes = icc && icc->data && icc->size <= kMaxProfileBytes ? icc->size : 0;
  bool ok = WriteAll(fd, &h, sizeof h);
  if (ok && h.paletteCount) ok = WriteAll(fd, FreeImage_GetPalette(dib), h.paletteCount * sizeof(RGBQUAD));
  if (ok && h.transparencyCount) ok = WriteAll(fd, FreeImage_GetTransparencyTable(dib), h.transparencyCount);
  for (int y = 0; ok && y < h.height; ++y) ok = WriteAll(fd, FreeImage_GetScanLine(dib, y), h.lineBytes);
  if (ok && h.iccBytes) ok = WriteAll(fd, icc->data, h.iccBytes);
  _exit(ok ? 0 : 1);
}

struct DibDeleter {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};

FIBITMAP* Rebuild(int fd, std::chrono::steady_clock::time_point deadline) {
  PixelHeader h{};
  if (!ReadAll(fd, &h, sizeof h, deadline)) return nullptr;
  if (h.width <= 0 || h.height <= 0 || !DimensionsAcceptable(static_cast<uint64_t>(h.width), static_cast<uint64_t>(h.height)))
    return nullptr;
  if (h.type < FIT_BITMAP || h.type > FIT_RGBAF || h.bpp <= 0 || h.bpp > 128) return nullptr;
  if (h.paletteCount > kMaxPalette || h.transparencyCount > kMaxPalette || h.iccBytes > kMaxProfileBytes) return nullptr;
  std::unique_ptr<FIBITMAP, DibDeleter> dib(FreeImage_AllocateT(static_cast<FREE_IMAGE_TYPE>(h.type), h.width,
                                                                h.height, h.bpp, h.redMask, h.greenMask, h.blueMask));
  if (!dib || FreeImage_GetLine(dib.get()) != h.lineBytes) return nullptr;
  if (h.paletteCount) {
    RGBQUAD* palette = FreeImage_GetPalette(dib.get());
    if (!palette || FreeImage_GetColorsUsed(dib.get()) < h.paletteCount) return nullptr;
    if (!ReadAll(fd, palette, h.paletteCount * sizeof(RGBQUAD), deadline)) return nullptr;
  }
  if (h.transparencyCount) {
    std::vector<BYTE> table(h.transparencyCount);
    if (!ReadAll(fd, table.data(), table.size(), deadline)) return nullptr;
    FreeImage_SetTransparencyTable(dib.get(), table.data(), static_cast<int>(table.size()));
  }
  for (int y = 0; y < h.height; ++y) {
    if (!ReadAll(fd, FreeImage_GetScanLine(dib.get(), y), h.lineBytes, deadline)) return nullptr;
  }
  if (h.iccBytes) {
    std::vector<uint8_t> profile(h.iccBytes);
    if (!ReadAll(fd, profile.data(), profile.size(), deadline)) return nullptr;
    FreeImage_CreateICCProfile(dib.get(), profile.data(), static_cast<long>(profile.size()));
  }
  FreeImage_SetDotsPerMeterX(dib.get(), h.dotsPerMetreX);
  FreeImage_SetDotsPerMeterY(dib.get(), h.dotsPerMetreY);
  return dib.release();
}

}  // namespace

FIBITMAP* LoadInChildProcess(const std::function<FIBITMAP*()>& decode) {
  int fds[2];
  if (pipe(fds) != 0) return nullptr;
  Fd readEnd(fds[0]), writeEnd(fds[1]);
  const pid_t child = fork();
  if (child < 0) return nullptr;
  if (child == 0) {
    readEnd.Close();
    RunChild(writeEnd.get(), decode);
  }
  writeEnd.Close();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeLimitMs);
  FIBITMAP* dib = Rebuild(readEnd.get(), deadline);
  readEnd.Close();
  int status = 0;
  if (!dib) kill(child, SIGKILL);
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  const bool cleanExit = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (dib && !cleanExit) {
    FreeImage_Unload(dib);
    return nullptr;
  }
  return dib;
}

}  // namespace vximgplug
