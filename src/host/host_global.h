#pragma once
// The host's global services object, reached by a module through Cinterface::ClsGlobal: the
// connection string, the current company and its settings, the user's language, the message
// dictionary, the module that is current, and a few helpers every module uses.

#include "host/message_dictionary.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <memory>
#include <optional>

namespace ado {
class Connection;
class RuntimeError;
} // namespace ado

namespace host {

class Cinterface;

// The current company as its master data describes it.
struct Company
{
    int code = 0;
    QString name;                // CG16_RAGSOANAG, right-trimmed
    bool costAccounting = false; // CG25_FLGCONIND = 1
    QVariant costChart;          // CG25_PDCCONIND_PC01 (Null when none)
    QVariant expenseChart;       // CG25_PDCVDS_PC01 (-1 when the company has none)
};

class HostGlobal : public QObject
{
    Q_OBJECT
public:
    explicit HostGlobal(QObject *parent = nullptr);
    ~HostGlobal() override;

    QString connectionString() const { return m_connectionString; }
    void setConnectionString(const QString &text) { m_connectionString = text; }

    // Makes `company` the current company, reading it on a connection opened on
    // ConnectionString (or on the one given). Raises when the company does not exist.
    void selectCompany(int company);
    void selectCompany(ado::Connection &connection, int company);
    // The current company's code (0 before one is selected) and record (nullptr likewise).
    int companyCode() const { return m_company ? m_company->code : 0; }
    const Company *companyRecord() const { return m_company ? &*m_company : nullptr; }
    // A setting of the current company as text: "FLGCONIND" ("1" when cost accounting is on),
    // "PDCCONIND" (cost-accounting chart, "" when none), "PDCVDS" (expense-item chart, "-1"
    // when none), "RAGSOANAG" (name). "" without a current company; an unknown name raises.
    QString companySetting(const QString &name) const;

    QString languageCode() const { return m_languageCode; }
    void setLanguageCode(const QString &code) { m_languageCode = code; }

    MessageDictionary *messageDictionary() { return &m_messages; }
    const MessageDictionary *messageDictionary() const { return &m_messages; }

    QString applicationTitle() const { return m_messages.applicationTitle(); }
    void setApplicationTitle(const QString &title) { m_messages.setApplicationTitle(title); }
    QVariant applicationData() const { return m_applicationData; }
    void setApplicationData(const QVariant &data) { m_applicationData = data; }

    // Shows the error of a routine that reports its errors itself (abort/retry/ignore) and
    // returns the answer: 3, 4 or 5. The first form is called inside a catch block and shows
    // the error being handled.
    int ReportProcedureError(const QString &name);
    int ReportProcedureError(const QString &name, const ado::RuntimeError &error);

    // The module that is current in the host (the one the navigator serves), and its window.
    // Neither is owned; a module clears both when its window unloads.
    Cinterface *CurrentModule() const { return m_currentModule; }
    void setCurrentModule(Cinterface *module);
    QWidget *currentForm() const { return m_currentForm; }
    void setCurrentForm(QWidget *form) { m_currentForm = form; }
    // A module's window has unloaded: the host forgets it (it stops being current).
    void ReleaseModule(Cinterface *module);
    int releasedModuleCount() const { return m_releasedModules; }

    // Description of an account (or expense item) of a chart; "" when not found.
    QString accountDescription(ado::Connection &connection, const QVariant &chart,
                               const QVariant &account) const;

signals:
    void currentModuleChanged();
    void moduleReleased(host::Cinterface *module);

private:
    QString m_connectionString;
    std::optional<Company> m_company;
    QString m_languageCode = QStringLiteral("ITA");
    MessageDictionary m_messages;
    QVariant m_applicationData;
    Cinterface *m_currentModule = nullptr;
    QPointer<QWidget> m_currentForm;
    int m_releasedModules = 0;
};

} // namespace host
