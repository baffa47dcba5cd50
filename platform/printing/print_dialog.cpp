// The print dialog, answered by the host's provider; without one it is cancelled, as a dialog
// nobody can see would be.
#include <mutex>

#include "platform/printing/printing.h"

namespace vx::printing {

namespace {

std::mutex& ProviderMutex() {
  static std::mutex mutex;
  return mutex;
}

PrintDialogProvider& Provider() {
  static PrintDialogProvider provider;
  return provider;
}

}  // namespace

void SetPrintDialogProvider(PrintDialogProvider provider) {
  std::lock_guard lock(ProviderMutex());
  Provider() = std::move(provider);
}

BOOL PrintDlg(PrintDialogRecord& record) {
  PrintDialogProvider provider;
  {
    std::lock_guard lock(ProviderMutex());
    provider = Provider();
  }
  return provider && provider(record) ? 1 : 0;
}

}  // namespace vx::printing
