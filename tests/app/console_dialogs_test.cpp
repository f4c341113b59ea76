// Dialogs of a run without a screen: written out, answered so that nothing changes.

#include "app/console_dialogs.h"

#include <QTextStream>

#include <gtest/gtest.h>

using host::MsgStyle;

TEST(ConsoleDialogs, AnswersLeaveThingsAsTheyAreAndTextsAreWritten)
{
    QString written;
    QTextStream stream(&written);
    app::ConsoleDialogs dialogs(stream);

    EXPECT_EQ(dialogs.message(QStringLiteral("Prima riga\rFunzione: CaricaCombo"),
                              host::vbOKOnly | host::vbExclamation, QStringLiteral("Attenzione")),
              host::vbOK);
    EXPECT_EQ(written, QStringLiteral("causali: Attenzione: Prima riga\nFunzione: CaricaCombo\n"));

    // "Save changes?" is answered "No", even when "Sì" is the default button.
    EXPECT_EQ(dialogs.message(QStringLiteral("Salvare?"), host::vbYesNoCancel, QString()), host::vbNo);
    EXPECT_EQ(dialogs.message(QStringLiteral("Eliminare?"), host::vbYesNo | host::vbQuestion, QString()),
              host::vbNo);
    EXPECT_EQ(app::ConsoleDialogs::answerFor(host::vbOKCancel), host::vbCancel);
    EXPECT_EQ(app::ConsoleDialogs::answerFor(host::vbRetryCancel), host::vbCancel);
    EXPECT_EQ(app::ConsoleDialogs::answerFor(host::vbAbortRetryIgnore), host::vbAbort);

    written.clear();
    EXPECT_EQ(dialogs.errorDialog(QStringLiteral("Contabilità analitica"), 3265,
                                  QStringLiteral("Elemento non trovato"),
                                  QStringLiteral("\r\nForm_Activate:\r\nCaricaCombo:"), 4370),
              host::vbAbort);
    EXPECT_TRUE(written.contains(QStringLiteral("errore 3265: Elemento non trovato")));
    EXPECT_TRUE(written.contains(QStringLiteral("origine: Form_Activate:\nCaricaCombo:")))
        << written.toStdString();

    host::LookupRequest request;
    request.title = QStringLiteral("Sezionali");
    request.rows = {{QStringLiteral("VE"), QStringLiteral("Vendite")}};
    EXPECT_FALSE(dialogs.lookup(request).isValid());
}
