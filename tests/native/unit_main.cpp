#include <gtest/gtest.h>

#include "platform/child_mode.h"

int main(int argc, char** argv) {
  // The process tests start this very program as their child.
  if (vok::test::RunChildModeIfAsked(argc, argv)) return 0;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
