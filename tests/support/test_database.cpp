#include "support/test_database.h"

#include "engine/server.h"

#include <QDir>
#include <QTemporaryDir>

#include <stdexcept>

namespace testsupport {

TestDatabase::TestDatabase()
    : m_dir(std::make_unique<QTemporaryDir>())
{
    if (!m_dir->isValid())
        throw std::runtime_error("TestDatabase: cannot create a temporary directory: "
                                 + m_dir->errorString().toStdString());
    m_path = QDir(m_dir->path()).absoluteFilePath(QStringLiteral("causali.db"));
    engine::createDemoDatabase(m_path);
}

TestDatabase::~TestDatabase() = default;

QString TestDatabase::path() const
{
    return m_path;
}

QString TestDatabase::connectionString() const
{
    return QStringLiteral("Data Source=") + m_path;
}

} // namespace testsupport
