#pragma once
// Shared pieces of the control tests: an active window to put controls in and a scratch
// database reached through ado::Connection.

#include "ado/connection.h"
#include "support/sql_rows.h"
#include "support/user_driver.h"

#include <QApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace controlstest {

// A shown, active window whose controls are stacked from the top.
class Form
{
public:
    Form()
    {
        testsupport::application();
        window = std::make_unique<QWidget>();
        layout = new QVBoxLayout(window.get());
    }

    template<typename Control>
    Control *add(const QString &name)
    {
        auto *control = new Control(window.get());
        control->setObjectName(name);
        layout->addWidget(control);
        return control;
    }

    // Shows and activates the window; focus events need an active window.
    bool activate()
    {
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        return QTest::qWaitForWindowActive(window.get());
    }

    std::unique_ptr<QWidget> window;
    QVBoxLayout *layout = nullptr;
};

// A database file made with raw SQLite calls, opened through the data-access layer.
class ScratchDb
{
public:
    explicit ScratchDb(const char *schemaSql)
    {
        const QString path = dir.filePath(QStringLiteral("controls.db"));
        testsupport::createDatabaseFile(path, schemaSql);
        connection.Open(QStringLiteral("Data Source=%1").arg(path));
    }

    QTemporaryDir dir;
    ado::Connection connection;
};

// Models with descriptions, for decodes and lookups.
inline const char *const ModelsSchema =
    "CREATE TABLE MODELLI (CODICE TEXT PRIMARY KEY, DESCR TEXT);"
    "INSERT INTO MODELLI VALUES ('M1', 'Modello uno');"
    "INSERT INTO MODELLI VALUES ('M2', 'Modello due');"
    "INSERT INTO MODELLI VALUES ('M3', NULL);";

} // namespace controlstest

// Readable QString values in assertion messages.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
