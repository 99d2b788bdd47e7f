#include <gtest/gtest.h>

#include <cstdlib>

#include "common/common.h"

int main(int argc, char** argv) {
  SetFatalThrows(true);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
