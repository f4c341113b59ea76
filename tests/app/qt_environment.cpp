// The application object of this test program. It is made before the first test and deleted
// after the last one, inside the test run: testsupport::application() would otherwise make one
// that is only deleted among the program's static objects, after Qt's own have gone, and the
// program would crash on its way out.

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (QCoreApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_application = std::make_unique<QApplication>(m_argc, m_argv);
    }

    void TearDown() override { m_application.reset(); }

private:
    int m_argc = 1;
    char m_name[10] = "app_tests";
    char *m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] const ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
