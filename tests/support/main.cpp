// Test programs start like a plain host: an ordinary main, no toolkit application.
// Tests that need the toolkit's threads or locales take a KivoUnit::Toolkit::Scope.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
