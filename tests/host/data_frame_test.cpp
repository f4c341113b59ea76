// The data frame driven through the sample form as a user drives it: the order of its events,
// what reaches the database and when, and what the user is told.

#include "sample_form.h"

#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/account_box.h"
#include "host/check_box.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/main_navigator.h"
#include "host/number_box.h"
#include "support/scripted_dialogs.h"
#include "support/user_driver.h"

#include <QLineEdit>
#include <QThread>

#include <gtest/gtest.h>

using host::DataFrame;
using hosttest::SampleDatabase;
using hosttest::SampleForm;
using testsupport::ScriptedDialogs;

namespace {

// Records the events of a frame as "Name(arguments)".
void record(DataFrame *frame, QStringList &log)
{
    host::connectHandler(frame, &DataFrame::BeforeAddNew, frame,
                         [&log](bool &) { log << "BeforeAddNew"; });
    QObject::connect(frame, &DataFrame::AfterAddNew, frame,
                     [&log](long r) { log << QStringLiteral("AfterAddNew(%1)").arg(r); });
    host::connectHandler(frame, &DataFrame::ValidateRecord, frame,
                         [&log](QObject *&, QString &) { log << "ValidateRecord"; });
    host::connectHandler(frame, &DataFrame::BeforeUpdate, frame,
                         [&log](bool &) { log << "BeforeUpdate"; });
    QObject::connect(frame, &DataFrame::AfterUpdate, frame,
                     [&log](long r) { log << QStringLiteral("AfterUpdate(%1)").arg(r); });
    host::connectHandler(frame, &DataFrame::BeforeDelete, frame,
                         [&log](bool &) { log << "BeforeDelete"; });
    QObject::connect(frame, &DataFrame::AfterDelete, frame,
                     [&log](long r) { log << QStringLiteral("AfterDelete(%1)").arg(r); });
    QObject::connect(frame, &DataFrame::AfterUndo, frame,
                     [&log](long r) { log << QStringLiteral("AfterUndo(%1)").arg(r); });
    QObject::connect(frame, &DataFrame::UpdateBatchAll, frame, [&log] { log << "UpdateBatchAll"; });
    QObject::connect(frame, &DataFrame::ChangeStatus, frame, [&log](long s, long r) {
        log << QStringLiteral("ChangeStatus(%1,%2)").arg(s).arg(r);
    });
}

class DataFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::application();
        form = std::make_unique<SampleForm>(db.connection());
        user = std::make_unique<testsupport::UserDriver>(form.get());
        form->header->SetStatus(DataFrame::StatusBrowse); // as the window does at start-up
        record(form->header, events);
        record(form->rows, rowEvents);
    }
    void TearDown() override { form.reset(); }

    ScriptedDialogs &dialogs() { return *guard; }
    QString text(host::CodeBox *box) const { return ado::NormalizzaStringa(box->Text()); }
    QVariant field(const QString &name) { return form->headerRecordset().Fields(name).Value(); }
    QString storedDescription(const QString &code) const
    {
        return ado::NormalizzaStringa(db.scalar(
            QStringLiteral("SELECT PT_DESCR FROM PROVE_TESTATA WHERE PT_CODICE = '%1'").arg(code)));
    }
    qlonglong storedRows(const QString &code) const
    {
        return db
            .scalar(
                QStringLiteral("SELECT COUNT(*) FROM PROVE_RIGHE WHERE PR_CODICE = '%1'").arg(code))
            .toLongLong();
    }
    bool enabled(const QString &key) const { return form->navigator->IsButtonEnabled(key); }
    // The enabled keys among the moving, confirming and deleting ones.
    QStringList enabledKeys() const
    {
        QStringList keys;
        for (const char *key :
             {"Primo", "Precedente", "Successivo", "Ultimo", "Conferma", "Annulla", "Elimina"})
            if (enabled(key))
                keys << key;
        return keys;
    }

    SampleDatabase db;
    testsupport::ScriptedDialogsGuard guard;
    std::unique_ptr<SampleForm> form;
    std::unique_ptr<testsupport::UserDriver> user;
    QStringList events;
    QStringList rowEvents;
};

TEST_F(DataFrameTest, NavigationShowsTheRowsAndSettlesAChangedRecord)
{
    EXPECT_EQ(text(form->codeBox), "AAAA");
    EXPECT_EQ(text(form->descriptionBox), "Prima prova");
    EXPECT_EQ(form->quantityBox->value().toInt(), 10);
    EXPECT_TRUE(form->activeCheck->isChecked());
    EXPECT_EQ(form->grid->model()->rowCount(), 2) << "the child follows the header";
    EXPECT_EQ(enabledKeys(), (QStringList{"Successivo", "Ultimo", "Elimina"}))
        << "nothing changed yet";

    user->press(form->navigator, "Successivo");
    EXPECT_EQ(events, QStringList{"ChangeStatus(0,1)"});
    EXPECT_EQ(text(form->codeBox), "BBBB");
    EXPECT_EQ(form->kindCombo->value().toInt(), 1);
    EXPECT_TRUE(ado::isNull(form->quantityBox->value()));
    EXPECT_EQ(form->grid->model()->rowCount(), 1);

    user->press(form->navigator, "Ultimo");
    EXPECT_EQ(text(form->codeBox), "CCCC");
    EXPECT_EQ(enabledKeys(), (QStringList{"Primo", "Precedente", "Elimina"}));

    // A changed record: "no" drops the edit before moving on.
    events.clear();
    user->typeInto(form->descriptionBox, "Cambiata");
    EXPECT_EQ(enabledKeys(),
              (QStringList{"Primo", "Precedente", "Conferma", "Annulla", "Elimina"}));
    dialogs().answerMessage(host::vbNo, "Salvare le modifiche della prova?");
    user->press(form->navigator, "Primo");
    EXPECT_EQ(events, (QStringList{"AfterUndo(-1)", "ChangeStatus(0,5)", "ChangeStatus(0,1)"}));
    EXPECT_EQ(text(form->codeBox), "AAAA");
    EXPECT_EQ(storedDescription("CCCC"), "Terza prova");

    // "Cancel" keeps the record and its edit.
    events.clear();
    user->typeInto(form->descriptionBox, "Ancora");
    dialogs().answerMessage(host::vbCancel, "Salvare le modifiche");
    user->press(form->navigator, "Successivo");
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(text(form->codeBox), "AAAA");
    EXPECT_EQ(text(form->descriptionBox), "Ancora");
    EXPECT_TRUE(form->header->RecordChanged());
}

TEST_F(DataFrameTest, InsertAndConfirmWriteTheRowAndReadBackTheIdentity)
{
    user->press(form->navigator, "Nuovo");
    EXPECT_EQ(events, (QStringList{"BeforeAddNew", "AfterAddNew(-1)", "ChangeStatus(2,4)"}));
    EXPECT_EQ(form->header->Status(), DataFrame::StatusNew);
    EXPECT_EQ(text(form->codeBox), "");
    EXPECT_EQ(form->kindCombo->value().toInt(), 0) << "the control's default value";
    EXPECT_FALSE(form->activeCheck->isChecked());
    EXPECT_TRUE(form->codeBox->isEnabled()) << "OptionD: the key is typed only in a new row";
    EXPECT_TRUE(form->codeBox->lineEdit()->hasFocus()) << "OptionC: focus to FirstControl";
    EXPECT_FALSE(enabled("Conferma"));
    EXPECT_FALSE(enabled("Elimina"));
    EXPECT_EQ(form->grid->model()->rowCount(), 0);

    user->typeInto(form->codeBox, "dddd");
    user->typeInto(form->descriptionBox, "Quarta prova");
    user->pickCode(form->kindCombo, 1);
    user->typeInto(form->quantityBox, "7");
    user->typeInto(form->accountBox, "03.01");
    user->toggle(form->activeCheck);
    EXPECT_TRUE(enabled("Conferma"));

    events.clear();
    user->press(form->navigator, "Conferma");
    EXPECT_EQ(events, (QStringList{"ValidateRecord", "BeforeUpdate", "AfterUpdate(-1)",
                                   "ChangeStatus(0,7)"}));
    EXPECT_EQ(form->header->Status(), DataFrame::StatusBrowse);
    EXPECT_FALSE(form->header->RecordChanged());
    EXPECT_FALSE(form->codeBox->isEnabled());
    EXPECT_EQ(db.scalar("SELECT PT_DESCR || '|' || PT_TIPO || '|' || PT_QUANTITA || '|' || PT_CONTO"
                        " || '|' || PT_ATTIVO || '|' || PT_IDPROV FROM PROVE_TESTATA WHERE "
                        "PT_CODICE = 'DDDD'")
                  .toString(),
              "Quarta prova|1|7|03.01|1|104");
    EXPECT_EQ(field("PT_IDPROV").toInt(), 104) << "the trigger's value is read back into the row";
    EXPECT_EQ(text(form->codeBox), "DDDD");
}

TEST_F(DataFrameTest, ConfirmIsRefusedWithAMessageAndTheRecordStaysInEdit)
{
    // A required field left empty: its caption is named and it takes the focus.
    user->press(form->navigator, "Nuovo");
    user->typeInto(form->codeBox, "EEEE");
    events.clear();
    dialogs().answerMessage(host::vbOK, "Il campo \"Descrizione\" è obbligatorio.");
    user->press(form->navigator, "Conferma");
    EXPECT_TRUE(events.isEmpty());
    EXPECT_TRUE(form->descriptionBox->lineEdit()->hasFocus());
    EXPECT_EQ(form->header->Status(), DataFrame::StatusNew);

    // A control handed back by ValidateRecord: the frame's message names it.
    QString personalized;
    const auto validation = host::connectHandler(form->header, &DataFrame::ValidateRecord,
                                                 form.get(),
                                                 [&](QObject *&control, QString &message) {
                                                     if (form->quantityBox->value().toInt() > 100) {
                                                         control = form->quantityBox;
                                                         message = personalized;
                                                     }
                                                 });
    user->typeInto(form->descriptionBox, "Quinta");
    user->typeInto(form->quantityBox, "500");
    dialogs().answerMessage(host::vbOK, "Il valore del campo \"Quantità\" non è valido.");
    user->press(form->navigator, "Conferma");
    EXPECT_TRUE(form->quantityBox->lineEdit()->hasFocus());
    personalized = "Quantità troppo alta";
    dialogs().answerMessage(host::vbOK, "Quantità troppo alta");
    user->press(form->navigator, "Conferma");
    EXPECT_FALSE(events.contains("BeforeUpdate"));
    QObject::disconnect(validation);

    // BeforeUpdate cancels: nothing is written, the values stay.
    host::connectHandler(form->header, &DataFrame::BeforeUpdate, form.get(),
                         [](bool &cancel) { cancel = true; });
    user->press(form->navigator, "Conferma");
    EXPECT_EQ(form->header->Status(), DataFrame::StatusNew);
    EXPECT_TRUE(form->header->RecordChanged());
    EXPECT_EQ(text(form->descriptionBox), "Quinta");
    EXPECT_TRUE(db.scalar("SELECT PT_CODICE FROM PROVE_TESTATA WHERE PT_CODICE = 'EEEE'")
                    .toString()
                    .isEmpty());
    EXPECT_EQ(dialogs().messageTexts().size(), 3);
}

// Events that answer through their arguments take only direct handlers of the frame's thread:
// any other connection stops the program at once, where it is written.
TEST_F(DataFrameTest, AnsweringEventsRefuseConnectionsThatWouldLoseTheAnswer)
{
    const auto cancel = [](bool &fbol_Cancel) { fbol_Cancel = true; };
    // The program stops at the wrong connection: a child process runs up to it.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(QObject::connect(form->header, &DataFrame::BeforeUpdate, form.get(), cancel),
                 "BeforeUpdate.*connectHandler")
        << "a plain connection could become queued without anybody noticing";
    EXPECT_DEATH(QObject::connect(form->header, &DataFrame::BeforeUpdate, form.get(), cancel,
                                  Qt::QueuedConnection),
                 "BeforeUpdate.*connectHandler");
    QThread elsewhere;
    QObject remote;
    remote.moveToThread(&elsewhere);
    EXPECT_THROW(host::connectHandler(form->header, &DataFrame::BeforeUpdate, &remote, cancel),
                 ado::RuntimeError);
    // Events without an answer connect as any signal does.
    const auto after = QObject::connect(form->header, &DataFrame::AfterUpdate, [](long) {});
    EXPECT_TRUE(after);

    // The refused handler on the other thread was not connected: the row is saved.
    user->press(form->navigator, "Nuovo");
    user->typeInto(form->codeBox, "GGGG");
    user->typeInto(form->descriptionBox, "Settima");
    user->press(form->navigator, "Conferma");
    EXPECT_EQ(storedDescription("GGGG"), "Settima");

    // A direct handler's cancel reaches the frame: the change is not written.
    host::connectHandler(form->header, &DataFrame::BeforeUpdate, cancel);
    user->typeInto(form->descriptionBox, "Ottava");
    user->press(form->navigator, "Conferma");
    EXPECT_EQ(storedDescription("GGGG"), "Settima");
    EXPECT_TRUE(form->header->RecordChanged());
}

TEST_F(DataFrameTest, AFailedWriteIsShownAndKeepsTheRecordInEdit)
{
    user->press(form->navigator, "Nuovo");
    user->typeInto(form->codeBox, "FFFF");
    user->typeInto(form->descriptionBox, "RIFIUTATA");
    events.clear();
    dialogs().answerMessage(host::vbOK, "rifiutata dal database");
    user->press(form->navigator, "Conferma");
    EXPECT_EQ(events, (QStringList{"ValidateRecord", "BeforeUpdate", "AfterUpdate(0)"}));
    EXPECT_TRUE(dialogs().messageTexts().last().contains("Impossibile salvare i dati della prova"));
    EXPECT_EQ(form->header->Status(), DataFrame::StatusNew);
    EXPECT_TRUE(form->header->RecordChanged());
    EXPECT_TRUE(enabled("Conferma"));

    user->typeInto(form->descriptionBox, "Ora va bene");
    user->press(form->navigator, "Conferma");
    EXPECT_EQ(form->header->Status(), DataFrame::StatusBrowse);
    EXPECT_EQ(storedDescription("FFFF"), "Ora va bene");
    EXPECT_EQ(form->headerRecordset().RecordCount(), 4) << "the failed insert left no extra row";

    // A stored row whose update fails: undo brings the stored values back.
    user->press(form->navigator, "Primo");
    user->typeInto(form->descriptionBox, "RIFIUTATA");
    dialogs().answerMessage(host::vbOK, "rifiutata dal database");
    user->press(form->navigator, "Conferma");
    EXPECT_EQ(text(form->descriptionBox), "RIFIUTATA");
    EXPECT_TRUE(form->header->RecordChanged());
    user->press(form->navigator, "Annulla");
    EXPECT_EQ(text(form->descriptionBox), "Prima prova");
    EXPECT_EQ(ado::NormalizzaStringa(field("PT_DESCR")), "Prima prova");
    EXPECT_EQ(storedDescription("AAAA"), "Prima prova");
}

TEST_F(DataFrameTest, DeleteAsksThenShowsTheNextRow)
{
    dialogs().answerMessage(host::vbNo, "Confermi l'eliminazione della prova?");
    user->press(form->navigator, "Elimina");
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(storedDescription("AAAA"), "Prima prova");

    const auto veto = host::connectHandler(form->header, &DataFrame::BeforeDelete, form.get(),
                                           [](bool &cancel) { cancel = true; });
    dialogs().answerMessage(host::vbYes);
    user->press(form->navigator, "Elimina");
    EXPECT_EQ(events, QStringList{"BeforeDelete"});
    EXPECT_EQ(storedDescription("AAAA"), "Prima prova");
    QObject::disconnect(veto);

    events.clear();
    dialogs().answerMessage(host::vbYes);
    user->press(form->navigator, "Elimina");
    EXPECT_EQ(events, (QStringList{"BeforeDelete", "AfterDelete(-1)", "ChangeStatus(0,6)"}));
    EXPECT_EQ(text(form->codeBox), "BBBB");
    EXPECT_EQ(storedDescription("AAAA"), "");

    // The last row: the previous one is shown; none left: a new row.
    user->press(form->navigator, "Ultimo");
    dialogs().answerMessage(host::vbYes);
    user->press(form->navigator, "Elimina");
    EXPECT_EQ(text(form->codeBox), "BBBB");
    events.clear();
    dialogs().answerMessage(host::vbYes);
    user->press(form->navigator, "Elimina");
    EXPECT_EQ(events, (QStringList{"BeforeDelete", "AfterDelete(-1)", "BeforeAddNew",
                                   "AfterAddNew(-1)", "ChangeStatus(2,6)"}));
    EXPECT_EQ(form->header->Status(), DataFrame::StatusNew);
    EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM PROVE_TESTATA").toInt(), 0);
}

TEST_F(DataFrameTest, UndoDropsEditsAndCancelsANewRow)
{
    user->typeInto(form->descriptionBox, "Cambiata");
    user->press(form->navigator, "Annulla");
    EXPECT_EQ(events, (QStringList{"AfterUndo(-1)", "ChangeStatus(0,5)"}));
    EXPECT_EQ(text(form->descriptionBox), "Prima prova");
    EXPECT_FALSE(form->header->RecordChanged());
    EXPECT_FALSE(enabled("Annulla"));

    user->press(form->navigator, "Successivo");
    user->press(form->navigator, "Nuovo");
    user->typeInto(form->codeBox, "GGGG");
    events.clear();
    user->press(form->navigator, "Annulla");
    EXPECT_EQ(events, (QStringList{"AfterUndo(-1)", "ChangeStatus(0,5)"}));
    EXPECT_EQ(text(form->codeBox), "BBBB") << "the row shown before the new one";
    EXPECT_EQ(form->headerRecordset().RecordCount(), 3);
    EXPECT_FALSE(form->headerRecordset().hasPendingChanges());
}

TEST_F(DataFrameTest, ConfirmPendingSavesDiscardsOrCancels)
{
    EXPECT_TRUE(form->header->ConfirmPending(true, true, true)) << "nothing pending: no question";

    user->typeInto(form->descriptionBox, "Cambiata");
    dialogs().answerMessage(host::vbCancel, "Salvare le modifiche della prova?");
    EXPECT_FALSE(form->header->ConfirmPending(true, true, true));
    EXPECT_EQ(dialogs().shown().back().style, host::vbYesNoCancel | host::vbQuestion);
    EXPECT_EQ(text(form->descriptionBox), "Cambiata");

    dialogs().answerMessage(host::vbNo);
    EXPECT_TRUE(form->header->ConfirmPending(true, true, false));
    EXPECT_EQ(dialogs().shown().back().style, host::vbYesNo | host::vbQuestion);
    EXPECT_EQ(text(form->descriptionBox), "Prima prova");
    EXPECT_EQ(storedDescription("AAAA"), "Prima prova");

    user->typeInto(form->descriptionBox, "Salvata");
    dialogs().answerMessage(host::vbYes);
    EXPECT_TRUE(form->header->ConfirmPending(true, true, true));
    EXPECT_EQ(storedDescription("AAAA"), "Salvata");

    user->typeInto(form->descriptionBox, "Senza domanda");
    EXPECT_TRUE(form->header->ConfirmPending(false, true, true));
    EXPECT_EQ(storedDescription("AAAA"), "Senza domanda");

    // A failing save answers false.
    user->typeInto(form->descriptionBox, "RIFIUTATA");
    dialogs().answerMessage(host::vbYes);
    dialogs().answerMessage(host::vbOK, "rifiutata dal database");
    EXPECT_FALSE(form->header->ConfirmPending(true, true, true));
    form->header->undo();

    // Without includeNewRow a new row is dropped without a question.
    user->press(form->navigator, "Nuovo");
    user->typeInto(form->codeBox, "HHHH");
    user->typeInto(form->descriptionBox, "Mai salvata");
    EXPECT_TRUE(form->header->ConfirmPending(true, false, true));
    EXPECT_EQ(form->header->Status(), DataFrame::StatusBrowse);
    EXPECT_EQ(storedDescription("HHHH"), "");
}

TEST_F(DataFrameTest, AStoredKeyOrASearchShowsThatRow)
{
    user->press(form->navigator, "Nuovo");
    events.clear();
    user->typeInto(form->codeBox, "bbbb");
    EXPECT_EQ(events, QStringList{"ChangeStatus(0,3)"});
    EXPECT_EQ(form->header->Status(), DataFrame::StatusBrowse);
    EXPECT_EQ(text(form->descriptionBox), "Seconda prova");
    EXPECT_EQ(form->headerRecordset().RecordCount(), 3) << "the new row was dropped";
    EXPECT_EQ(form->grid->model()->rowCount(), 1);

    events.clear();
    dialogs().answerLookup(QStringLiteral("CCCC"), QStringLiteral("Ricerca"));
    user->press(form->navigator, "Ricerca");
    EXPECT_EQ(events, QStringList{"ChangeStatus(0,2)"});
    EXPECT_EQ(text(form->codeBox), "CCCC");
    const auto lookups = dialogs().shownOf(ScriptedDialogs::Kind::Lookup);
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(lookups[0].lookup.captions.value(0), "Codice");
    ASSERT_EQ(lookups[0].lookup.rows.size(), 3u);
    EXPECT_EQ(ado::NormalizzaStringa(lookups[0].lookup.rows[1].value(0)), "BBBB");
    EXPECT_EQ(lookups[0].lookup.rows[1].value(1).toString(), "Seconda prova");
}

TEST_F(DataFrameTest, BatchRowsStayPendingUntilTheHeaderWritesThem)
{
    user->clickRow(form->grid, 1);
    EXPECT_EQ(rowEvents, QStringList{"ChangeStatus(0,1)"});
    EXPECT_EQ(text(form->noteBox), "seconda");

    rowEvents.clear();
    user->press(form->gridNavigator, "Nuovo");
    EXPECT_EQ(rowEvents, (QStringList{"BeforeAddNew", "AfterAddNew(-1)", "ChangeStatus(2,4)"}));
    user->typeInto(form->rowBox, "3");
    user->typeInto(form->noteBox, "terza");
    user->press(form->gridNavigator, "Conferma");
    EXPECT_EQ(form->rows->Status(), DataFrame::StatusBrowse);
    EXPECT_TRUE(form->rows->Modified());
    EXPECT_EQ(form->grid->model()->rowCount(), 3);
    EXPECT_EQ(storedRows("AAAA"), 2) << "batch mode: the row waits in the row set";

    user->clickRow(form->grid, 0);
    dialogs().answerMessage(host::vbYes, "Confermi l'eliminazione della riga?");
    user->press(form->gridNavigator, "Elimina");
    EXPECT_EQ(text(form->noteBox), "seconda");
    EXPECT_EQ(storedRows("AAAA"), 2);

    EXPECT_TRUE(enabled("Conferma")) << "the header sees its child's pending rows";
    rowEvents.clear();
    user->press(form->navigator, "Conferma");
    EXPECT_TRUE(rowEvents.contains("UpdateBatchAll"));
    EXPECT_FALSE(form->rows->Modified());
    EXPECT_EQ(storedRows("AAAA"), 2);
    EXPECT_EQ(db.scalar("SELECT PR_NOTA FROM PROVE_RIGHE WHERE PR_CODICE = 'AAAA' AND PR_RIGA = 3")
                  .toString(),
              "terza");
    EXPECT_TRUE(
        db.scalar("SELECT PR_NOTA FROM PROVE_RIGHE WHERE PR_CODICE = 'AAAA' AND PR_RIGA = 1")
            .toString()
            .isEmpty());

    // A header without rows: typing in the empty child starts a row there.
    user->press(form->navigator, "Ultimo");
    EXPECT_EQ(form->grid->model()->rowCount(), 0);
    user->typeInto(form->noteBox, "nuova");
    EXPECT_EQ(form->rows->Status(), DataFrame::StatusNew);
    EXPECT_EQ(text(form->noteBox), "nuova");
}

TEST_F(DataFrameTest, WindowWritesAndUpdateBlocks)
{
    ado::Recordset &rs = form->headerRecordset();
    // A value the window writes into the row shows in its control.
    rs.Fields(QStringLiteral("PT_DESCR")).setValue(QStringLiteral("Dalla finestra"));
    EXPECT_EQ(text(form->descriptionBox), "Dalla finestra");
    rs.CancelUpdate();

    // RefreshRow takes what the user typed into the row.
    user->typeInto(form->quantityBox, "42");
    EXPECT_EQ(rs.Fields(QStringLiteral("PT_QUANTITA")).Value().toInt(), 10);
    form->header->RefreshRow(true, true);
    EXPECT_EQ(rs.Fields(QStringLiteral("PT_QUANTITA")).Value().toInt(), 42);
    form->header->undo();

    // Moves between BeginUpdate and EndUpdate are not followed; EndUpdate shows where the row
    // set is (or comes back to the row shown when it was left at the end).
    events.clear();
    form->header->BeginUpdate();
    rs.MoveNext();
    EXPECT_EQ(text(form->codeBox), "AAAA");
    form->header->EndUpdate();
    EXPECT_EQ(text(form->codeBox), "BBBB");
    form->header->BeginUpdate();
    rs.MoveLast();
    rs.MoveNext();
    form->header->EndUpdate();
    EXPECT_EQ(text(form->codeBox), "BBBB");
    EXPECT_TRUE(events.isEmpty());
    EXPECT_THROW(form->header->EndUpdate(), ado::RuntimeError);
    EXPECT_THROW(form->header->SetStatus(1), ado::RuntimeError);
}

} // namespace
