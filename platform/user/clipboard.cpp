// The process-wide clipboard. Like the Windows one it must be opened by a thread before its data
// can be read or changed, and one thread at a time holds it open. Data placed on it belongs to it:
// replacing or emptying frees the old data with the deleter of its format.
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/kernel/global_memory.h"
#include "platform/kernel/last_error.h"
#include "platform/user/user.h"

namespace vx {

namespace {

using Deleter = std::function<void(HANDLE32)>;
using PendingFrees = std::vector<std::pair<Deleter, HANDLE32>>;

struct Clipboard {
  std::mutex mutex;
  std::optional<std::thread::id> openedBy;
  HWND owner = 0;
  std::map<UINT, HANDLE32> data;
  std::map<UINT, Deleter> deleters;

  bool IsOpenHere() const { return openedBy == std::this_thread::get_id(); }

  Deleter DeleterOf(UINT format) const {
    auto it = deleters.find(format);
    if (it != deleters.end()) return it->second;
    return [](HANDLE32 handle) { GlobalFree(handle); };
  }
};

Clipboard& TheClipboard() {
  static Clipboard clipboard;
  return clipboard;
}

// Deleters run after the clipboard's lock is dropped, so one may touch the clipboard itself.
void RunFrees(PendingFrees& frees) {
  for (auto& [deleter, handle] : frees) deleter(handle);
}

bool RequireOpen(const Clipboard& clipboard) {
  if (clipboard.IsOpenHere()) return true;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return false;
}

}  // namespace

BOOL OpenClipboard(HWND owner) {
  Clipboard& clipboard = TheClipboard();
  std::lock_guard lock(clipboard.mutex);
  if (clipboard.openedBy && !clipboard.IsOpenHere()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE_;
  }
  clipboard.openedBy = std::this_thread::get_id();
  clipboard.owner = owner;
  return TRUE_;
}

BOOL CloseClipboard() {
  Clipboard& clipboard = TheClipboard();
  std::lock_guard lock(clipboard.mutex);
  if (!RequireOpen(clipboard)) return FALSE_;
  clipboard.openedBy.reset();
  clipboard.owner = 0;
  return TRUE_;
}

BOOL EmptyClipboard() {
  Clipboard& clipboard = TheClipboard();
  PendingFrees frees;
  {
    std::lock_guard lock(clipboard.mutex);
    if (!RequireOpen(clipboard)) return FALSE_;
    for (const auto& [format, handle] : clipboard.data) frees.emplace_back(clipboard.DeleterOf(format), handle);
    clipboard.data.clear();
  }
  RunFrees(frees);
  return TRUE_;
}

HANDLE32 SetClipboardData(UINT format, HANDLE32 data) {
  Clipboard& clipboard = TheClipboard();
  PendingFrees frees;
  {
    std::lock_guard lock(clipboard.mutex);
    if (!RequireOpen(clipboard)) return 0;
    // No delayed rendering: a null handle would promise data nobody can render later.
    if (format == 0 || data == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    HANDLE32& slot = clipboard.data[format];
    if (slot != 0 && slot != data) frees.emplace_back(clipboard.DeleterOf(format), slot);
    slot = data;
  }
  RunFrees(frees);
  return data;
}

HANDLE32 GetClipboardData(UINT format) {
  Clipboard& clipboard = TheClipboard();
  std::lock_guard lock(clipboard.mutex);
  if (!RequireOpen(clipboard)) return 0;
  auto it = clipboard.data.find(format);
  return it == clipboard.data.end() ? 0 : it->second;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  Clipboard& clipboard = TheClipboard();
  std::lock_guard lock(clipboard.mutex);
  return clipboard.data.count(format) != 0 ? TRUE_ : FALSE_;
}

void SetClipboardFormatDeleter(UINT format, std::function<void(HANDLE32)> deleter) {
  Clipboard& clipboard = TheClipboard();
  std::lock_guard lock(clipboard.mutex);
  if (deleter) {
    clipboard.deleters[format] = std::move(deleter);
  } else {
    clipboard.deleters.erase(format);
  }
}

}  // namespace vx
