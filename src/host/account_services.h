#pragma once
// Accounts of the charts of accounts (PC03_CONTI): the display form of an account code, which
// groups its digits as the chart's mask (PC01_MASCHERA) says, and account descriptions.

#include <QHash>
#include <QString>
#include <QVariant>

namespace ado {
class Connection;
}

namespace host {

// The code grouped by the mask: each '#' takes one character of the code, any other character
// of the mask is a separator written only when more of the code follows ("0101001" with
// "##.##.###" gives "01.01.001", "01" gives "01"). Characters beyond the mask are appended;
// an empty mask leaves the code as it is. Trailing blanks of the code are ignored.
QString formatAccount(const QString &code, const QString &mask);
// The code as stored, from a display form: the separators of the mask removed.
QString unformatAccount(const QString &text, const QString &mask);

// The chart number as SQL text; raises 13 (type mismatch) for a value that is not a number.
QString chartNumber(const QVariant &chart);
// The mask of a chart ("" when the chart does not exist or has none).
QString chartMask(ado::Connection &connection, const QVariant &chart);
// The description of an account of a chart ("" for an empty code or an unknown account).
QString accountDescription(ado::Connection &connection, const QVariant &chart,
                           const QVariant &account);

// The same services with the answers kept per connection (grids ask once per row shown).
class AccountFormatter
{
public:
    explicit AccountFormatter(ado::Connection *connection = nullptr) : m_connection(connection) {}
    void setConnection(ado::Connection *connection);
    ado::Connection *connection() const { return m_connection; }

    // Raise 3704 when no connection was given.
    QString format(const QVariant &chart, const QVariant &account);
    QString description(const QVariant &chart, const QVariant &account);
    void clear();
    int queriesRun() const { return m_queries; }

private:
    ado::Connection &requireConnection() const;

    ado::Connection *m_connection = nullptr;
    QHash<QString, QString> m_masks;
    QHash<QString, QString> m_descriptions;
    int m_queries = 0;
};

} // namespace host
