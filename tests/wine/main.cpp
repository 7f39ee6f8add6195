// The Wine test program's entry: runs every test, then prints one summary
// line that the driver script checks besides the exit code (under Wine a
// program that cannot start also exits with a non-zero code).
#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  const ::testing::UnitTest& run = *::testing::UnitTest::GetInstance();
  int failed = run.failed_test_count();
  // A failure outside any test (a global set-up, say) still counts.
  if (result != 0 && failed == 0) failed = 1;
  if (run.skipped_test_count() > 0) std::printf("%d skipped\n", run.skipped_test_count());
  std::printf("%d passed, %d failed\n", run.successful_test_count(), failed);
  std::fflush(stdout);
  return failed == 0 && run.successful_test_count() > 0 ? 0 : 1;
}
