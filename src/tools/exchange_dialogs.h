#pragma once
// The window's dialogs for the exchange of codes with a file: the export (a file, optionally
// some codes) and the import (a file, optionally a check without writing). Each shows its
// report in a read-only text view. Both work on a connection of their own to the database, so
// the window's working copy and its transaction are never touched; after a written import the
// window reads its codes again (`codesWritten`).

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace causali {

class FileExchangeDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Mode { Export, Import };

    // `connectionString` names the database ("Data Source=PATH"); `knownLanguages` are the
    // language codes descriptions may use (import; empty: any); `userLanguage` the user's.
    FileExchangeDialog(Mode mode, QString connectionString, QWidget *parent = nullptr);

    void setKnownLanguages(const QStringList &languages) { m_languages = languages; }
    void setUserLanguage(const QString &language) { m_userLanguage = language; }
    // The codes offered for the export (the one shown in the window, for instance).
    void setCodes(const QStringList &codes);

    // Entry points for the "Strumenti" menu: the dialog, modal; true when the import wrote.
    static void runExport(QWidget *parent, const QString &connectionString,
                          const QStringList &codes = {});
    static bool runImport(QWidget *parent, const QString &connectionString,
                          const QStringList &knownLanguages, const QString &userLanguage);

    QLineEdit *fileBox() const { return m_file; }
    QLineEdit *codesBox() const { return m_codes; }
    QCheckBox *dryRunBox() const { return m_dryRun; }
    QPushButton *runButton() const { return m_run; }
    QPlainTextEdit *reportView() const { return m_report; }
    bool written() const { return m_written; }

signals:
    void codesWritten();

private:
    void browse();
    void run();
    QString exportFile(const QString &path);
    QString importFile(const QString &path);

    Mode m_mode;
    QString m_connectionString;
    QStringList m_languages;
    QString m_userLanguage = QStringLiteral("ITA");
    QLineEdit *m_file = nullptr;
    QLineEdit *m_codes = nullptr;
    QCheckBox *m_dryRun = nullptr;
    QPushButton *m_run = nullptr;
    QPlainTextEdit *m_report = nullptr;
    bool m_written = false;
};

} // namespace causali
