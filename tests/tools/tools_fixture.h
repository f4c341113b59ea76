#pragma once
// The editor window of the header tests with its "Strumenti" menu, plus reads of a reason
// code's stored rows that tell two codes apart only by their code.

#include "header/header_fixture.h"

#include <QMap>

namespace toolstest {

using Rows = testsupport::Rows;

class ToolsTest : public headertest::HeaderTest
{
protected:
    void SetUp() override;

    // Every stored row of the code in each table that holds reason-code data, without the
    // code and row identifier, keyed by table (descriptions: every language).
    QMap<QString, Rows> storedData(const QString &code) const;
    // How many rows of any of those tables belong to the code.
    long long storedRowCount(const QString &code) const;
};

} // namespace toolstest
