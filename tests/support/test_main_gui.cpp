#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "test_environment.h"

int main(int argc, char** argv) {
  quidora::testing::PinTestEnvironment();
  // Discovery runs this binary too, often without a display.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QT_SCALE_FACTOR", "1", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
