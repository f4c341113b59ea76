// The main of every test program that links the test support: Google Test's runner, then the
// application of the widget tests is destroyed while Qt is still whole.

#include "support/user_driver.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    testsupport::releaseApplication();
    return result;
}
