// The scan suite's own main: it ends with _exit once the tests have run and their report is written.
// SANE's test backend stops its reader thread with an asynchronous cancel at the end of a scan; a
// reader cancelled while it held a C library lock (seen: the locale lock) leaves that lock held for
// ever, and a library's exit handler that takes it (p11-kit frees its locale) would then hang the
// process after every test had passed. Nothing of the suite's needs to run after the tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int failed = RUN_ALL_TESTS();
  std::fflush(nullptr);
  _exit(failed);
}
