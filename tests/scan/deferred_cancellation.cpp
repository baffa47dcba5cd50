// SANE's test backend runs its reader in a thread that asks for asynchronous cancellation and is
// cancelled whenever a scan ends early. A thread cancelled inside the allocator, the dynamic loader
// or the locale code leaves their lock held for ever, and the next test that needs it hangs. This
// suite's executable exports its own pthread_setcanceltype, which the backend (loaded later) binds
// to: every request is turned into deferred cancellation, so the reader ends at its next read,
// write or sleep, where it holds no such lock. The scans themselves run as before.
#include <dlfcn.h>
#include <pthread.h>

extern "C" int pthread_setcanceltype(int /*type*/, int* oldType) {
  using SetCancelType = int (*)(int, int*);
  static const auto next = reinterpret_cast<SetCancelType>(dlsym(RTLD_NEXT, "pthread_setcanceltype"));
  return next(PTHREAD_CANCEL_DEFERRED, oldType);
}
