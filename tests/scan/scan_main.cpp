// The scan suite's own main: it ends with _exit once the tests have run and their report is written.
// SANE's test backend stops its reader thread with an asynchronous cancel at the end of a scan; a
// reader cancelled while it held a C library lock (seen: the locale lock) leaves that lock held for
// ever, and a library's exit handler that takes it (p11-kit frees its locale) would then hang the
// process after every test had passed. Of what exit would do, only the suite's SANE configuration
// folder needs removing; it is removed here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "scan_test_support.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int failed = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(vxtest::scan::SuiteSaneFolder().path(), ec);
  std::fflush(nullptr);
  _exit(failed);
}
