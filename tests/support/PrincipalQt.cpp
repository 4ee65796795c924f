#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// The window's tests need one QApplication for the whole run, made before the first test, on the
// offscreen platform so that they run the same with or without a display.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
