// The main of every test program that links the test support: Google Test's runner, then the
// application of the widget tests is destroyed while Qt is still whole. A run on the server
// without a test server is skipped as a whole, with the reason.

#include "support/server_db.h"
#include "support/test_database.h"
#include "support/user_driver.h"

#include <gtest/gtest.h>

namespace {

class TestServerRequired : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (testsupport::serverRun() && !testsupport::testServerAvailable())
            GTEST_SKIP() << testsupport::NoTestServer;
    }
};

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new TestServerRequired); // owned by Google Test
    const int result = RUN_ALL_TESTS();
    testsupport::releaseApplication();
    return result;
}
