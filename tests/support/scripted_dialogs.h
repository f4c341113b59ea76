#pragma once
// A dialog service for tests: records every dialog shown and answers from a queue of expected
// answers. A dialog with no answer queued, or of another kind than the next answer, fails the
// current test and is answered "cancel" (abort for the error dialog, nothing picked for a
// lookup). Install it with ScriptedDialogsGuard, which also checks at the end of the scope that
// every queued answer was used.

#include "host/dialogs.h"

#include <QString>
#include <QVariant>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace testsupport {

class ScriptedDialogs : public host::DialogService
{
public:
    enum class Kind { Message, Error, Lookup, Language, Input };

    // What one dialog showed.
    struct Shown
    {
        Kind kind = Kind::Message;
        QString text; // message text; error description; lookup title
        QString title;
        int style = 0;
        long number = 0; // error number
        QString source;  // error source
        host::LookupRequest lookup;
        int entity = 0; // language dialog: provenance and row identifier
        QVariant rowId;
    };

    using LanguageAction =
        std::function<void(ado::Connection &, int entity, const QVariant &rowId)>;

    // Queue the answer to the next dialog. `expectedText`, when given, must be contained in the
    // text the dialog shows (message text, error description or lookup title).
    void answerMessage(int answer, const QString &expectedText = {});
    void answerError(int answer, const QString &expectedText = {});
    // An invalid value answers as a cancelled lookup.
    void answerLookup(const QVariant &key, const QString &expectedTitle = {});
    // The text typed into the next text prompt; an invalid value cancels it.
    void answerInput(const QVariant &text, const QString &expectedPrompt = {});
    // What the dialog does while open (writing rows, as the user would): nothing by default.
    void answerLanguage(LanguageAction action = {});

    const std::vector<Shown> &shown() const { return m_shown; }
    std::vector<Shown> shownOf(Kind kind) const;
    // Texts of the messages shown, in order.
    QStringList messageTexts() const;
    int pendingAnswers() const { return int(m_queue.size()); }
    // Forgets what was shown (the queue stays).
    void clearShown() { m_shown.clear(); }
    // Fails the current test for every answer still queued, and drops them.
    void verifyAllAnswersUsed();

    int message(const QString &text, int style, const QString &title) override;
    int errorDialog(const QString &title, long number, const QString &description,
                    const QString &source, int style) override;
    // Answered from the message queue: the answer is the index of the button chosen.
    int choose(const QString &text, const QString &title, const QStringList &answers,
               int cancelIndex) override;
    QVariant lookup(const host::LookupRequest &request) override;
    std::optional<QString> inputText(const QString &prompt, const QString &title,
                                     const QString &initial, int maxLength) override;
    void editLanguageDescriptions(ado::Connection &connection, int entity,
                                  const QVariant &rowId) override;

    static QString kindName(Kind kind);

private:
    struct Answer
    {
        Kind kind;
        QVariant value;
        QString expectedText;
        LanguageAction action;
    };
    // The next answer when it is of `kind`; otherwise fails the test and returns nothing.
    std::optional<Answer> take(Kind kind, const QString &shownText);

    std::deque<Answer> m_queue;
    std::vector<Shown> m_shown;
};

// Installs a ScriptedDialogs for the scope; restores the previous service at the end and fails
// the test when queued answers were not used.
class ScriptedDialogsGuard
{
public:
    ScriptedDialogsGuard();
    ~ScriptedDialogsGuard();
    ScriptedDialogsGuard(const ScriptedDialogsGuard &) = delete;
    ScriptedDialogsGuard &operator=(const ScriptedDialogsGuard &) = delete;

    ScriptedDialogs &dialogs() { return *m_dialogs; }
    ScriptedDialogs *operator->() { return m_dialogs; }
    ScriptedDialogs &operator*() { return *m_dialogs; }

private:
    ScriptedDialogs *m_dialogs; // owned by the dialog service slot while installed
    std::unique_ptr<host::DialogService> m_previous;
};

} // namespace testsupport
