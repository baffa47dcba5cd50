// Start-up and shut-down of the imaging platform, counted per engine of the thread.
#include "engine/gdiplus_lifetime.h"

#include <exception>
#include <mutex>
#include <vector>

#include "engine/documents/multipage_document.h"
#include "engine/documents/page_file_writer.h"
#include "engine/image_graphics.h"
#include "engine/plugin/api.h"
#include "engine/save/encoder_table.h"
#include "engine/image_store.h"
#include "engine/runtime_error.h"
#include "engine/routines/shared_routines.h"
#include "engine/thread_state.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/kernel/environment.h"
#include "platform/user/user.h"

namespace vx::engine {
namespace {

// The title message boxes carry when a member gives none: the library's own name.
constexpr const char* kDefaultTitle = "Vexiro4S";

void ShowLifetimeError(const char* what, const std::exception& failure) {
  const RuntimeError e = ToRuntimeError(failure);
  vx::MessageBox(0, std::string(what) + std::to_string(e.Number()) + ". Error: " + e.Description(), kDefaultTitle, MB_OK);
}

// Whether the platform already works in this process: a 1 x 1 bitmap can be made.
bool ProbePlatform() {
  gdiplus::GpBitmap* probe = nullptr;
  if (gdiplus::GdipCreateBitmapFromScan0(1, 1, 0, gdiplus::PixelFormat24bppRGB, nullptr, &probe) != gdiplus::Ok) return false;
  gdiplus::GdipDisposeImage(probe);
  return true;
}

// The threads of a process share one platform. A thread whose probe finds the platform running
// (because another thread of this library started it) takes no start-up of its own, so the
// thread that started it must not stop it while others still use it: the start-ups the library
// took are given back only when the last thread using the platform ends its last engine. A
// platform the host started itself is never among them and stays running.
class PlatformUsers {
 public:
  static PlatformUsers& Process() {
    // Never destroyed: threads may end their use while the program's statics are torn down.
    static PlatformUsers* users = new PlatformUsers;
    return *users;
  }
  // Held across a thread's start and across a thread's leaving, so that no thread probes a
  // platform that the last other user is just shutting down.
  std::unique_lock<std::mutex> Lock() { return std::unique_lock(mutex_); }

  void Join(uint32_t token) {
    ++threads_;
    if (token != 0) tokens_.push_back(token);
  }
  void Leave() {
    if (--threads_ > 0) return;
    for (uint32_t token : tokens_) gdiplus::GdiplusShutdown(token);
    tokens_.clear();
  }

 private:
  std::mutex mutex_;
  int32_t threads_ = 0;
  std::vector<uint32_t> tokens_;
};

// Ends the thread's use of the platform on every way out of its shut-down, also when releasing
// its images fails, so a failed release never keeps the platform up for good.
class ThreadLeavesPlatform {
 public:
  explicit ThreadLeavesPlatform(GdiplusThreadState& st) : st_(st) {}
  ~ThreadLeavesPlatform() {
    const auto lock = PlatformUsers::Process().Lock();
    PlatformUsers::Process().Leave();
    st_.GdiplusToken = 0;
  }
  ThreadLeavesPlatform(const ThreadLeavesPlatform&) = delete;
  ThreadLeavesPlatform& operator=(const ThreadLeavesPlatform&) = delete;

 private:
  GdiplusThreadState& st_;
};

void StartPlatformForThread(GdiplusThreadState& st) {
  st.GdiplusStarted = true;
  const bool running = ProbePlatform();
  gdiplus::Status status = gdiplus::Ok;
  if (!running) {
    const gdiplus::GdiplusStartupInput input;
    uint32_t token = 0;
    status = gdiplus::GdiplusStartup(&token, &input, nullptr);
    st.GdiplusToken = status == gdiplus::Ok ? token : 0;
  }
  if (!running && status != gdiplus::Ok) {
    st.GdiplusStarted = false;
    return;
  }
  try {
    BuildEncoderTable();
    st.GdiplusVersion = GetFileVersionString("gdiplus.dll");
  } catch (...) {
    // A start that cannot finish gives its platform start back rather than leaking it.
    if (st.GdiplusToken != 0) gdiplus::GdiplusShutdown(st.GdiplusToken);
    st.GdiplusToken = 0;
    throw;
  }
}

void JoinPlatformForThread(GdiplusThreadState& st) {
  const auto lock = PlatformUsers::Process().Lock();
  StartPlatformForThread(st);
  if (st.GdiplusStarted) PlatformUsers::Process().Join(st.GdiplusToken);
}

}  // namespace

GdiplusThreadState::~GdiplusThreadState() {
  MarkThreadStateEnded();
  // Engines that outlive the thread's state never reach their shut-down: the thread's use of the
  // platform ends here instead.
  if (GdiplusStarted) {
    GdiplusStarted = false;
    ThreadLeavesPlatform leave(*this);
  }
}

GdiplusThreadState& ThreadGdiplusState() {
  thread_local GdiplusThreadState state;
  return state;
}

void WireSubsystems() {
  static std::once_flag wired;
  std::call_once(wired, [] {
    InstallVximgplugReleaseHooks();
    SetPageFileWriter(&WriteDocumentPageFile);
    SetPageSelector(&SelectPageOfDocument);
    SetLentDCReleaser(&ReturnLentDCAndGraphics);
  });
}

void Main() {
  GdiplusThreadState& st = ThreadGdiplusState();
  st.SafeForScripting = true;
  st.SafeForInitializing = true;
}

void RunMainOnce() {
  GdiplusThreadState& st = ThreadGdiplusState();
  if (st.MainRan) return;
  st.MainRan = true;
  Main();
}

bool StartGdiPlus() {
  GdiplusThreadState& st = ThreadGdiplusState();
  ++st.GdiplusRefCount;
  try {
    if (!st.GdiplusStarted) JoinPlatformForThread(st);
    // Read again at every construction until found, so a plug-in installed later is seen.
    if (BasicVal(st.VximgplugVersion) == 0) st.VximgplugVersion = GetFileVersionString("vximgplug.dll");
  } catch (const std::exception& e) {
    st.GdiplusStarted = false;
    ShowLifetimeError("Error starting GDI+. Err no: ", e);
  }
  return st.GdiplusStarted;
}

void StopGdiPlus() {
  // The thread's state was torn down first (the thread or program is ending, and its images went
  // with the store); nothing is left to count down or release.
  if (ThreadStateEnded()) return;
  GdiplusThreadState& st = ThreadGdiplusState();
  --st.GdiplusRefCount;
  try {
    if (st.GdiplusStarted && st.GdiplusRefCount == 0) {
      st.GdiplusStarted = false;
      // The thread's start-up, if it took one, is given back when the process's last user ends.
      const ThreadLeavesPlatform leave(st);
      ReleaseAllImages();
    }
  } catch (const std::exception& e) {
    st.GdiplusStarted = false;
    ShowLifetimeError("Error shutting down GDI+. Err no: ", e);
  }
}

std::string GetFileVersionString(const std::string& moduleName) {
  try {
    const std::optional<FileVersion> v = GetFileVersionInfo(moduleName);
    if (!v) return "Unknown";
    return std::to_string(v->major) + "." + std::to_string(v->minor) + "." + std::to_string(v->build) + "." +
           std::to_string(v->revision);
  } catch (const std::exception&) {
    return "Undefined";
  }
}

double GdiplusVersionValue() { return BasicVal(ThreadGdiplusState().GdiplusVersion); }

}  // namespace vx::engine
