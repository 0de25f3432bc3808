// Fallback main() for GoogleTest programs that use Qt: the linker takes it
// from the tx_testsupport archive only when no test file defines main().
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
