#pragma once
// Every question the module or the host asks the user goes through this service: message
// boxes, the abort/retry/ignore error dialog, the data frame's "save changes?" question, lookup
// lists and the dialog of descriptions in other languages. QtDialogs shows real Qt dialogs;
// tests install ScriptedDialogs (tests/support), which records what was shown and answers from
// a queue.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace ado {
class Connection;
}

namespace host {

// Answers, as VB's message box returns them.
enum MsgAnswer : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};
// Styles, as VB's message box takes them (buttons + icon + default button + modality).
enum MsgStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbSystemModal = 4096
};

// A list to pick one row from (lookups and searches).
struct LookupRequest
{
    QString title;
    QStringList captions;           // one per column, in column order
    std::vector<QVariantList> rows; // the candidate rows
    int keyColumn = 0;              // the column whose value is returned
};

class DialogService
{
public:
    virtual ~DialogService() = default;

    // A message box; returns a MsgAnswer.
    virtual int message(const QString &text, int style, const QString &title) = 0;
    // The error dialog: number, description and source of a run-time error; style as the
    // caller gives it (abort/retry/ignore). Returns 3, 4 or 5.
    virtual int errorDialog(const QString &title, long number, const QString &description,
                            const QString &source, int style) = 0;
    // A question whose answers are named on their own buttons (captions in order); returns
    // the index of the answer chosen, `cancelIndex` when the dialog is closed without one.
    virtual int choose(const QString &text, const QString &title, const QStringList &answers,
                       int cancelIndex) = 0;
    // Picks one row; returns the value of the key column, or an invalid QVariant on cancel.
    virtual QVariant lookup(const LookupRequest &request) = 0;
    // Asks for one line of text (a new code); `maxLength` 0 takes any length. Returns the
    // text typed, or nothing when the user cancels.
    virtual std::optional<QString> inputText(const QString &prompt, const QString &title,
                                             const QString &initial, int maxLength) = 0;
    // Edits the descriptions of one described row in every language (table CI99_DESLINGUA,
    // provenance `entity`, identifier `rowId`) directly in the database.
    virtual void editLanguageDescriptions(ado::Connection &connection, int entity,
                                          const QVariant &rowId) = 0;

    // The service in use (QtDialogs unless a test installed another one).
    static DialogService &instance();
    // Installs a service and returns the one it replaces (ownership passes both ways).
    static std::unique_ptr<DialogService> install(std::unique_ptr<DialogService> service);
};

} // namespace host
