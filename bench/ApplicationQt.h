#pragma once

#include <QApplication>
#include <cstdlib>

namespace zef30 {

// The one Qt application of the benchmarks' process, made on first use on the offscreen
// platform (unless one is chosen): every benchmark of the window shares it.
inline QApplication& Application() {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char nom[] = "zef30-bench";
  static char* argv[] = {nom, nullptr};
  static QApplication application(argc, argv);
  return application;
}

}  // namespace zef30
