// Start-up and shut-down of the imaging platform, counted per engine of the thread.
#include "engine/gdiplus_lifetime.h"

#include "engine/thread_state.h"

#include <exception>
#include <mutex>

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

}  // namespace

GdiplusThreadState::~GdiplusThreadState() { MarkThreadStateEnded(); }

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
    if (!st.GdiplusStarted) StartPlatformForThread(st);
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
      ReleaseAllImages();
      if (st.GdiplusToken != 0) gdiplus::GdiplusShutdown(st.GdiplusToken);
      st.GdiplusToken = 0;
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
