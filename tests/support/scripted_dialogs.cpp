#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace testsupport {

namespace {

// The answer to a dialog nobody expected: the safest way out of it.
int cancelAnswer(int style)
{
    switch (style & 7) {
    case host::vbOKOnly:
        return host::vbOK;
    case host::vbAbortRetryIgnore:
        return host::vbAbort;
    case host::vbYesNo:
        return host::vbNo;
    default:
        return host::vbCancel;
    }
}

} // namespace

QString ScriptedDialogs::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Message:
        return QStringLiteral("message");
    case Kind::Error:
        return QStringLiteral("error dialog");
    case Kind::Lookup:
        return QStringLiteral("lookup");
    case Kind::Language:
        return QStringLiteral("language dialog");
    case Kind::Input:
        return QStringLiteral("text prompt");
    }
    return {};
}

void ScriptedDialogs::answerMessage(int answer, const QString &expectedText)
{
    m_queue.push_back({Kind::Message, answer, expectedText, {}});
}

void ScriptedDialogs::answerError(int answer, const QString &expectedText)
{
    m_queue.push_back({Kind::Error, answer, expectedText, {}});
}

void ScriptedDialogs::answerLookup(const QVariant &key, const QString &expectedTitle)
{
    m_queue.push_back({Kind::Lookup, key, expectedTitle, {}});
}

void ScriptedDialogs::answerInput(const QVariant &text, const QString &expectedPrompt)
{
    m_queue.push_back({Kind::Input, text, expectedPrompt, {}});
}

void ScriptedDialogs::answerLanguage(LanguageAction action)
{
    m_queue.push_back({Kind::Language, {}, {}, std::move(action)});
}

std::vector<ScriptedDialogs::Shown> ScriptedDialogs::shownOf(Kind kind) const
{
    std::vector<Shown> result;
    for (const auto &s : m_shown)
        if (s.kind == kind)
            result.push_back(s);
    return result;
}

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList texts;
    for (const auto &s : m_shown)
        if (s.kind == Kind::Message)
            texts << s.text;
    return texts;
}

std::optional<ScriptedDialogs::Answer> ScriptedDialogs::take(Kind kind, const QString &shownText)
{
    if (m_queue.empty()) {
        ADD_FAILURE() << "Unexpected " << kindName(kind).toStdString() << ": \""
                      << shownText.toStdString() << "\"";
        return std::nullopt;
    }
    if (m_queue.front().kind != kind) {
        ADD_FAILURE() << "Expected a " << kindName(m_queue.front().kind).toStdString() << " but a "
                      << kindName(kind).toStdString() << " was shown: \"" << shownText.toStdString()
                      << "\"";
        return std::nullopt;
    }
    Answer answer = std::move(m_queue.front());
    m_queue.pop_front();
    if (!answer.expectedText.isEmpty() && !shownText.contains(answer.expectedText))
        ADD_FAILURE() << "The " << kindName(kind).toStdString() << " shown \""
                      << shownText.toStdString() << "\" does not contain \""
                      << answer.expectedText.toStdString() << "\"";
    return answer;
}

int ScriptedDialogs::message(const QString &text, int style, const QString &title)
{
    Shown shown;
    shown.kind = Kind::Message;
    shown.text = text;
    shown.title = title;
    shown.style = style;
    m_shown.push_back(shown);
    const auto answer = take(Kind::Message, text);
    return answer ? answer->value.toInt() : cancelAnswer(style);
}

int ScriptedDialogs::choose(const QString &text, const QString &title, const QStringList &answers,
                            int cancelIndex)
{
    Shown shown;
    shown.kind = Kind::Message;
    shown.text = text + QLatin1Char('\n') + answers.join(QLatin1Char('|'));
    shown.title = title;
    m_shown.push_back(shown);
    const auto answer = take(Kind::Message, shown.text);
    return answer ? answer->value.toInt() : cancelIndex;
}

int ScriptedDialogs::errorDialog(const QString &title, long number, const QString &description,
                                 const QString &source, int style)
{
    Shown shown;
    shown.kind = Kind::Error;
    shown.text = description;
    shown.title = title;
    shown.style = style;
    shown.number = number;
    shown.source = source;
    m_shown.push_back(shown);
    const auto answer = take(Kind::Error, QStringLiteral("%1 %2").arg(number).arg(description));
    return answer ? answer->value.toInt() : host::vbAbort;
}

QVariant ScriptedDialogs::lookup(const host::LookupRequest &request)
{
    Shown shown;
    shown.kind = Kind::Lookup;
    shown.text = request.title;
    shown.title = request.title;
    shown.lookup = request;
    m_shown.push_back(shown);
    const auto answer = take(Kind::Lookup, request.title);
    return answer ? answer->value : QVariant();
}

std::optional<QString> ScriptedDialogs::inputText(const QString &prompt, const QString &title,
                                                  const QString &initial, int maxLength)
{
    Q_UNUSED(initial);
    Shown shown;
    shown.kind = Kind::Input;
    shown.text = prompt;
    shown.title = title;
    m_shown.push_back(shown);
    const auto answer = take(Kind::Input, prompt);
    if (!answer || !answer->value.isValid())
        return std::nullopt;
    // A person cannot type past the box's limit.
    const QString typed = answer->value.toString();
    return maxLength > 0 ? typed.left(maxLength) : typed;
}

void ScriptedDialogs::editLanguageDescriptions(ado::Connection &connection, int entity,
                                               const QVariant &rowId)
{
    Shown shown;
    shown.kind = Kind::Language;
    shown.entity = entity;
    shown.rowId = rowId;
    m_shown.push_back(shown);
    const auto answer = take(Kind::Language,
                             QStringLiteral("entity %1, row %2").arg(entity).arg(rowId.toString()));
    if (answer && answer->action)
        answer->action(connection, entity, rowId);
}

void ScriptedDialogs::verifyAllAnswersUsed()
{
    for (const auto &answer : m_queue)
        ADD_FAILURE() << "A queued answer to a " << kindName(answer.kind).toStdString()
                      << " was not used"
                      << (answer.expectedText.isEmpty()
                              ? std::string()
                              : " (expected \"" + answer.expectedText.toStdString() + "\")");
    m_queue.clear();
}

ScriptedDialogsGuard::ScriptedDialogsGuard()
{
    auto dialogs = std::make_unique<ScriptedDialogs>();
    m_dialogs = dialogs.get();
    m_previous = host::DialogService::install(std::move(dialogs));
}

ScriptedDialogsGuard::~ScriptedDialogsGuard()
{
    auto mine = host::DialogService::install(std::move(m_previous));
    if (mine.get() != m_dialogs) {
        // Whoever replaced ours owns (or has destroyed) it: nothing of it is left to check.
        ADD_FAILURE() << "The dialog service was replaced while a ScriptedDialogsGuard was active";
        return;
    }
    m_dialogs->verifyAllAnswersUsed();
}

} // namespace testsupport
