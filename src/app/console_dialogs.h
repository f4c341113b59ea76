#pragma once
// The dialog service of a run without anyone at the screen (offscreen, --screenshot): every
// message and error is written to a text stream instead of waiting for an answer that would
// never come, and each question gets the answer that changes nothing: "No" or "Annulla" to a
// question, "Interrompi" to an error, nothing picked from a list.

#include "host/dialogs.h"

class QTextStream;

namespace app {

class ConsoleDialogs : public host::DialogService
{
public:
    explicit ConsoleDialogs(QTextStream &stream);

    // The answer given to a message box of this VB style.
    static int answerFor(int style);

    int message(const QString &text, int style, const QString &title) override;
    int errorDialog(const QString &title, long number, const QString &description,
                    const QString &source, int style) override;
    int choose(const QString &text, const QString &title, const QStringList &answers,
               int cancelIndex) override;
    QVariant lookup(const host::LookupRequest &request) override;
    std::optional<QString> inputText(const QString &prompt, const QString &title,
                                     const QString &initial, int maxLength) override;
    void editLanguageDescriptions(ado::Connection &connection, int entity,
                                  const QVariant &rowId) override;

private:
    void write(const QString &title, const QString &text);

    QTextStream &m_stream;
};

} // namespace app
