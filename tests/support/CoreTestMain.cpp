#include <QCoreApplication>

#include <gtest/gtest.h>

// Tests of the core need no window: a QCoreApplication is all they get, so a
// widget that slipped into the core would fail here.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
