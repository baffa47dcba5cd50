#include "fault_guard.h"

#include <setjmp.h>
#include <signal.h>

namespace vximgplug {
namespace {

sigjmp_buf faultReturn;
volatile sig_atomic_t guarding = 0;

void OnFault(int signal) {
  if (!guarding) {
    ::signal(signal, SIG_DFL);
    raise(signal);
    return;
  }
  siglongjmp(faultReturn, 1);
}

void InstallOnce() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_handler = OnFault;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_NODEFER;
    sigaction(SIGSEGV, &action, nullptr);
    sigaction(SIGBUS, &action, nullptr);
    return true;
  }();
  (void)installed;
}

}  // namespace

bool ReadWithoutFault(const std::function<void()>& read) {
  InstallOnce();
  if (sigsetjmp(faultReturn, 1) != 0) {
    guarding = 0;
    return false;
  }
  guarding = 1;
  read();
  guarding = 0;
  return true;
}

}  // namespace vximgplug
