// The end-to-end tests run the whole program in this process: one QApplication for the run, on
// the platform ctest sets (offscreen), with the look the program uses.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/WindowLook.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  useClassicLook();
  return RUN_ALL_TESTS();
}
