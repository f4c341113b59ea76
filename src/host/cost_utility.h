#pragma once
// The cost-accounting utility object: the company's cost-accounting settings (its chart of
// accounts and its chart of expense items) and numbered messages of the cost-accounting module.

#include <QString>
#include <QStringList>
#include <QVariant>

namespace ado {
class Connection;
}

namespace host {

class Cinterface;

class CostUtility
{
public:
    // Kinds of numbered message: the icon and buttons they are shown with.
    enum MessageKind : int {
        InformationMessage = 1, // information, OK
        QuestionMessage = 2,    // question, Yes / No
        WarningMessage = 3,     // exclamation, OK
        ErrorMessage = 4,       // critical, OK
    };

    void Initialize();
    bool isInitialized() const { return m_initialized; }
    void setModuleInterface(Cinterface *module) { m_interface = module; }
    Cinterface *moduleInterface() const { return m_interface; }
    void setConnection(ado::Connection *connection) { m_connection = connection; }
    ado::Connection *connection() const { return m_connection; }
    void setApplicationTitle(const QString &title) { m_applicationTitle = title; }
    QString applicationTitle() const { return m_applicationTitle; }
    void setWindowData(const QVariant &data) { m_windowData = data; }
    QVariant windowData() const { return m_windowData; }

    // The cost-accounting chart of accounts of a company (CG25_PDCCONIND_PC01): Empty when the
    // company has none, is not found or has cost accounting off.
    QVariant costChart(int company) const;
    // The expense-item chart of a company (CG25_PDCVDS_PC01): "-1" when it has none.
    QVariant expenseItemChart(int company) const;

    // Shows message `number` of the host's dictionary (with `text`, when not empty, on a line
    // of its own after it) with the kind's icon and buttons; returns the answer. An unknown
    // kind raises 5.
    int ShowNumberedMessage(int kind, long number, const QString &text = {},
                            const QStringList &params = {}) const;

    // The key a journal decode works on: the typed code, right-trimmed and in capitals,
    // followed by the suffix.
    QString journalKey(const QString &journal, const QString &suffix) const;

    // Releases the module interface and the connection.
    void Terminate();

private:
    ado::Connection &requireConnection(const QString &source) const;
    QVariant companySetting(int company, const QString &column, const QString &source) const;

    Cinterface *m_interface = nullptr;
    ado::Connection *m_connection = nullptr;
    QString m_applicationTitle;
    QVariant m_windowData;
    bool m_initialized = false;
};

} // namespace host
