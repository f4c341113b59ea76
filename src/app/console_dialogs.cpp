#include "app/console_dialogs.h"

#include <QTextStream>

namespace app {

ConsoleDialogs::ConsoleDialogs(QTextStream &stream) : m_stream(stream) {}

int ConsoleDialogs::answerFor(int style)
{
    switch (style & 7) {
    case host::vbOKOnly:
        return host::vbOK;
    case host::vbAbortRetryIgnore:
        return host::vbAbort;
    case host::vbYesNo:
    case host::vbYesNoCancel:
        return host::vbNo;
    default:
        return host::vbCancel; // OK/Cancel, Retry/Cancel and unknown groups
    }
}

void ConsoleDialogs::write(const QString &title, const QString &text)
{
    // Message texts separate their lines with CR (VB) or CR LF: one line each here.
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_stream << "causali: " << (title.isEmpty() ? QString() : title + QStringLiteral(": ")) << flat
             << Qt::endl;
}

int ConsoleDialogs::message(const QString &text, int style, const QString &title)
{
    write(title, text);
    return answerFor(style);
}

int ConsoleDialogs::errorDialog(const QString &title, long number, const QString &description,
                                const QString &source, int style)
{
    Q_UNUSED(style);
    write(title,
          QStringLiteral("errore %1: %2").arg(number).arg(description)
              + (source.trimmed().isEmpty() ? QString()
                                            : QStringLiteral("\norigine: ") + source.trimmed()));
    return host::vbAbort;
}

int ConsoleDialogs::choose(const QString &text, const QString &title, const QStringList &answers,
                           int cancelIndex)
{
    write(title, text + QStringLiteral("\n[%1]").arg(answers.value(cancelIndex)));
    return cancelIndex;
}

QVariant ConsoleDialogs::lookup(const host::LookupRequest &request)
{
    write(request.title, QStringLiteral("elenco non mostrato (nessuno schermo)"));
    return QVariant();
}

std::optional<QString> ConsoleDialogs::inputText(const QString &prompt, const QString &title,
                                                 const QString &initial, int maxLength)
{
    Q_UNUSED(initial);
    Q_UNUSED(maxLength);
    write(title, prompt + QStringLiteral("\n[Annulla]"));
    return std::nullopt;
}

void ConsoleDialogs::editLanguageDescriptions(ado::Connection &connection, int entity,
                                              const QVariant &rowId)
{
    Q_UNUSED(connection);
    Q_UNUSED(entity);
    Q_UNUSED(rowId);
    write(QString(), QStringLiteral("descrizioni in lingua non modificabili senza schermo"));
}

} // namespace app
