// Dialogs of a run nobody attends: written out, answered so that nothing changes.

#include "app/console_dialogs.h"

#include <QTextStream>

#include <gtest/gtest.h>

TEST(ConsoleDialogs, AnswersChangeNothingAndTextsAreWritten)
{
    QString written;
    QTextStream stream(&written);
    app::ConsoleDialogs dialogs(stream);

    EXPECT_EQ(dialogs.message(QStringLiteral("Prima riga\rFunzione: CaricaCombo"),
                              host::vbOKOnly | host::vbExclamation, QStringLiteral("Attenzione")),
              host::vbOK);
    EXPECT_EQ(written, QStringLiteral("causali: Attenzione: Prima riga\nFunzione: CaricaCombo\n"));
    // "Save changes?" gets "No" even when "Sì" is the default button; an error gets "Interrompi".
    EXPECT_EQ(dialogs.message(QStringLiteral("Salvare?"), host::vbYesNoCancel, {}), host::vbNo);
    EXPECT_EQ(app::ConsoleDialogs::answerFor(host::vbYesNo | host::vbQuestion), host::vbNo);
    EXPECT_EQ(app::ConsoleDialogs::answerFor(host::vbOKCancel), host::vbCancel);
    EXPECT_EQ(dialogs.errorDialog(QStringLiteral("Contabilità analitica"), 3265,
                                  QStringLiteral("Elemento non trovato"),
                                  QStringLiteral("\r\nForm_Activate:\r\nCaricaCombo:"), 4370),
              host::vbAbort);
    EXPECT_TRUE(written.contains(QStringLiteral("errore 3265: Elemento non trovato\n"
                                                "origine: Form_Activate:\nCaricaCombo:")))
        << written.toStdString();
    EXPECT_FALSE(dialogs.lookup({QStringLiteral("Sezionali"), {}, {{"VE"}}, 0}).isValid());
}
