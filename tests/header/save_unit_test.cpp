// A save or a delete is all or nothing, whatever step fails, and another program's change is
// never overwritten without the user's word: driven through the window as a user does, with
// failures injected by triggers, a full disk and a second connection on the same file.

#include "header_fixture.h"

#include "ado/connection.h"
#include "ado/recordset.h"
#include "data/window_state.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "host/check_list.h"
#include "host/clsci_causali.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/grid_navigator.h"
#include "host/main_navigator.h"
#include "host/navigator.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/journals_page.h"

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace headertest {
namespace {

using causali::FRMCI_CAUSALI;
using host::DataFrame;

const QString Code = QStringLiteral("GIRO");

// Everything stored of GIRO, read straight from the file.
const char *const StoredQueries[] = {
    "SELECT * FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'GIRO'",
    "SELECT * FROM CI11_CONTROLLOCONTI WHERE CI11_CODCAUS_CI03 = 'GIRO' ORDER BY 2",
    "SELECT * FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03 = 'GIRO' ORDER BY 1",
    "SELECT * FROM CI06_RICERCACONTO WHERE CI06_CAUSALE_CI03 = 'GIRO' ORDER BY 2, 3, 5",
    "SELECT * FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'GIRO' ORDER BY 2",
    "SELECT * FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV ="
    " (SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'GIRO') ORDER BY 1",
};

// A second program on the same database.
class OtherProgram
{
public:
    explicit OtherProgram(const testsupport::TestDatabase &database)
        : m_raw(testsupport::rawConnection(database.connectionString()))
    {}
    void exec(const char *sql) const { m_raw->exec(QString::fromUtf8(sql)); }

private:
    std::unique_ptr<testsupport::RawSql> m_raw;
};

class SaveUnitTest : public HeaderTest
{
protected:
    void SetUp() override
    {
        HeaderTest::SetUp();
        showCode(Code);
    }
    QList<Rows> stored() const
    {
        QList<Rows> all;
        for (const char *query : StoredQueries)
            all << rows(QString::fromLatin1(query));
        return all;
    }
    DataFrame &frame() const { return *header().gclsFrameTestata(); }
    bool press(const char *key) { return user->press(&navigator(), QLatin1String(key)); }
    const ado::Connection &connection() const { return *window->state().connection; }
    void exec(const QString &sql) const { testsupport::execRaw(connection(), sql); }
    void refuse(const char *table, const char *event, const char *message) const
    {
        testsupport::refuseWrites(connection(), QLatin1String(table), QLatin1String(event),
                                  QLatin1String(message));
    }
    void allow(const char *table) const
    {
        testsupport::allowWrites(connection(), QLatin1String(table));
    }
    // A file database only: while `full`, the journals' insert makes the file grow past what
    // it may.
    void fillTheDisk(bool full) const
    {
        exec(full ? QStringLiteral("CREATE TEMP TRIGGER pieno AFTER INSERT ON main.CI05_PROPSEZ"
                                   " BEGIN INSERT INTO riempitivo VALUES (randomblob(2000000));"
                                   " END; PRAGMA max_page_count = 1")
                  : QStringLiteral("DROP TRIGGER pieno; PRAGMA max_page_count = 1073741823"));
    }
    // Changes the code on the header tab, in its checks and in its journals; `round` makes
    // each round's values differ from the last.
    void editEverywhere(int round)
    {
        window->tabStrip()->setTab(0);
        user->pickItem(header().CBO_TIPOQTAVAL, round % 2);
        window->tabStrip()->setTab(FRMCI_CAUSALI::TabChecks);
        user->toggleItem(checks().LIST_TIPIAVERE, 5);
        window->tabStrip()->setTab(FRMCI_CAUSALI::TabJournals);
        user->clickRow(journals().GRD_SEZIONALI, 0);
        user->typeInto(journals().TXT_SEZIONALE,
                       round % 2 ? QStringLiteral("CA") : QStringLiteral("MA"));
        ASSERT_TRUE(user->press(journals().GNV_SEZIONALI, QStringLiteral("Conferma")));
    }
    // What the window shows of those edits.
    QStringList shownEdits() const
    {
        return {header().CBO_TIPOQTAVAL->Text().toString(),
                checks().LIST_TIPIAVERE->isTicked(5) ? QStringLiteral("1") : QStringLiteral("0"),
                journals().TXT_SEZIONALE->Text().toString()};
    }
};

// Each step of a save failing in turn: nothing is stored, the edits stay as typed and pending,
// the user reads why in Italian, and the next "Conferma" stores everything.
TEST_F(SaveUnitTest, AFailingStepKeepsNothingAndTheEditsForTheNextConferma)
{
    struct Case
    {
        const char *table; // null: a full disk (a file database only)
        const char *event;
        const char *message;
    };
    std::vector<Case> cases = {
        {"CI03_CAUSALI", "UPDATE", "testata no"},
        {"CI11_CONTROLLOCONTI", "UPDATE", "controlli no"},
        {"CI10_PROPCONTICAUS", "INSERT", "proposta no"},
        {"CI05_PROPSEZ", "INSERT", "sezionali no"},
        {"CI99_DESLINGUA", "INSERT", "lingua no"},
        // The journals' pending rows going into their working table.
        {"\"#sezionali\"", "UPDATE", "copia no"},
    };
    if (!database.onServer()) {
        exec(QStringLiteral("CREATE TABLE riempitivo (x BLOB)"));
        cases.push_back({nullptr, nullptr, nullptr});
    }
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.table ? c.table : "disco pieno");
        const QList<Rows> before = stored();
        const QString cause = c.table ? QStringLiteral("(\"%1\")").arg(QLatin1String(c.message))
                                      : QStringLiteral("il disco è pieno");
        if (c.table)
            refuse(c.table, c.event, c.message);
        else
            fillTheDisk(true);
        editEverywhere(++round);
        const QStringList edits = shownEdits();

        dialogs->answerMessage(host::vbOK, QStringLiteral("La causale non è stata salvata"));
        press("Conferma");
        ASSERT_FALSE(dialogs->messageTexts().isEmpty());
        EXPECT_TRUE(dialogs->messageTexts().last().contains(cause))
            << dialogs->messageTexts().last().toStdString();
        EXPECT_EQ(stored(), before);
        EXPECT_EQ(shownEdits(), edits);
        EXPECT_TRUE(frame().isPending());
        EXPECT_EQ(frame().Status(), DataFrame::StatusBrowse);

        if (c.table)
            allow(c.table);
        else
            fillTheDisk(false);
        dialogs->clearShown();
        EXPECT_TRUE(press("Conferma"));
        EXPECT_TRUE(dialogs->messageTexts().isEmpty())
            << dialogs->messageTexts().join('\n').toStdString();
        EXPECT_NE(stored(), before);
        EXPECT_FALSE(frame().isPending());
        EXPECT_EQ(shownEdits(), edits);
        EXPECT_EQ(rows(QStringLiteral("SELECT CI03_INDREGVALQTA, CI11_FLGMAGAZ, CI05_SEZIONALE_CG68"
                                      " FROM CI03_CAUSALI JOIN CI11_CONTROLLOCONTI ON"
                                      " CI11_CODCAUS_CI03 = CI03_CODCAUS AND CI11_SEGNO = 2"
                                      " JOIN CI05_PROPSEZ ON CI05_CAUSALE_CI03 = CI03_CODCAUS AND"
                                      " CI05_DITTA_CG18 = 1 WHERE CI03_CODCAUS = 'GIRO'")),
                  (Rows{edits}));
    }
}

// Leaving a code whose save failed asks again; a "Sì" whose save fails again stays on the
// code with every edit, instead of moving on without them.
TEST_F(SaveUnitTest, AnAnswerWhoseSaveFailsDoesNotMoveOn)
{
    refuse("CI05_PROPSEZ", "INSERT", "no");
    editEverywhere(1);
    const QStringList edits = shownEdits();
    for (const char *key : {"Nuovo", "Successivo"}) {
        SCOPED_TRACE(key);
        dialogs->answerMessage(host::vbYes, QStringLiteral("Salvare le modifiche della causale"));
        dialogs->answerMessage(host::vbOK, QStringLiteral("La causale non è stata salvata"));
        press(key);
        EXPECT_EQ(frame().Status(), DataFrame::StatusBrowse);
        EXPECT_EQ(header().TXT_CAUSALE->Text().toString(), Code);
        EXPECT_EQ(shownEdits(), edits);
        EXPECT_TRUE(frame().isPending());
    }
}

// A delete failing at any step leaves the code with all its lists; once the cause is gone the
// delete takes everything away.
TEST_F(SaveUnitTest, AFailingStepOfADeleteKeepsTheWholeCode)
{
    const QList<Rows> before = stored();
    for (const char *table :
         {"CI11_CONTROLLOCONTI", "CI05_PROPSEZ", "CI99_DESLINGUA", "CI03_CAUSALI"}) {
        SCOPED_TRACE(table);
        refuse(table, "DELETE", "no");
        dialogs->answerMessage(host::vbYes, QStringLiteral("eliminazione"));
        dialogs->answerMessage(host::vbOK, QStringLiteral("La causale non è stata eliminata"));
        press("Elimina");
        EXPECT_EQ(stored(), before);
        EXPECT_EQ(header().TXT_CAUSALE->Text().toString(), Code);
        allow(table);
    }
    dialogs->answerMessage(host::vbYes, QStringLiteral("eliminazione"));
    EXPECT_TRUE(press("Elimina"));
    for (const Rows &r : stored())
        EXPECT_TRUE(r.isEmpty());
}

// Another program saves the code after this window showed it: the save writes nothing and
// asks; "Annulla" goes back to the edits, "Sì" writes them over the other version.
TEST_F(SaveUnitTest, AChangeByAnotherProgramIsNeverOverwrittenWithoutAsking)
{
    OtherProgram other(database);
    editEverywhere(1);
    const QStringList edits = shownEdits();
    other.exec("UPDATE CI10_PROPCONTICAUS SET CI10_PERC = 50 WHERE CI10_CODCAUS_CI03 = 'GIRO'");
    const QList<Rows> theirs = stored();

    dialogs->answerMessage(2, QStringLiteral("modificata da un altro utente"));
    press("Conferma");
    EXPECT_EQ(stored(), theirs);
    EXPECT_EQ(shownEdits(), edits);
    EXPECT_TRUE(frame().isPending());

    dialogs->answerMessage(0, QStringLiteral("Sovrascrivi: salva"));
    EXPECT_TRUE(press("Conferma"));
    EXPECT_EQ(rows(QStringLiteral("SELECT CI05_SEZIONALE_CG68 FROM CI05_PROPSEZ WHERE"
                                  " CI05_CAUSALE_CI03 = 'GIRO' AND CI05_DITTA_CG18 = 1")),
              (Rows{{QStringLiteral("CA")}}));
    // The proposal was not edited here: overwriting puts back what this window read.
    EXPECT_EQ(rows(QStringLiteral("SELECT DISTINCT CI10_PERC FROM CI10_PROPCONTICAUS WHERE"
                                  " CI10_CODCAUS_CI03 = 'GIRO'")),
              (Rows{{QStringLiteral("100")}}));

    // Saved again after their next change: showing the stored version drops the edits.
    other.exec("UPDATE CI05_PROPSEZ SET CI05_SEZIONALE_CG68 = 'PR' WHERE"
               " CI05_CAUSALE_CI03 = 'GIRO' AND CI05_DITTA_CG18 = 1");
    window->tabStrip()->setTab(0);
    user->pickItem(header().CBO_TIPOQTAVAL, 0);
    dialogs->answerMessage(1, QStringLiteral("modificata da un altro utente"));
    press("Conferma");
    EXPECT_FALSE(frame().isPending());
    EXPECT_EQ(rows(QStringLiteral("SELECT CI05_SEZIONALE_CG68 FROM \"#sezionali\" WHERE"
                                  " CI05_DITTA_CG18 = 1")),
              (Rows{{QStringLiteral("PR")}}));
}

// What a window shows is read when it shows it: a code another program changed after the
// window started shows that change, and saving it then is no conflict. A code deleted
// meanwhile is reported, not saved over.
TEST_F(SaveUnitTest, ACodeIsReadWhenShownAndADeletedOneIsReported)
{
    OtherProgram other(database);
    other.exec("UPDATE CI05_PROPSEZ SET CI05_SEZIONALE_CG68 = 'PR' WHERE"
               " CI05_CAUSALE_CI03 = 'CESE' AND CI05_DITTA_CG18 = 1");
    other.exec("UPDATE CI03_CAUSALI SET CI03_INDREGVALQTA = 1 WHERE CI03_CODCAUS = 'CESE'");
    showCode(QStringLiteral("CESE"));
    EXPECT_EQ(rows(QStringLiteral("SELECT CI05_SEZIONALE_CG68 FROM \"#sezionali\" WHERE"
                                  " CI05_DITTA_CG18 = 1")),
              (Rows{{QStringLiteral("PR")}}));
    EXPECT_EQ(header().CBO_TIPOQTAVAL->Text().toInt(), 1);
    window->tabStrip()->setTab(0);
    user->pickItem(header().CBO_TIPOQTAVAL, 0);
    EXPECT_TRUE(press("Conferma"));
    EXPECT_TRUE(dialogs->messageTexts().isEmpty());

    user->pickItem(header().CBO_TIPOQTAVAL, 1);
    other.exec("DELETE FROM CI11_CONTROLLOCONTI WHERE CI11_CODCAUS_CI03 = 'CESE'");
    other.exec("DELETE FROM CI05_PROPSEZ WHERE CI05_CAUSALE_CI03 = 'CESE'");
    other.exec("DELETE FROM CI10_PROPCONTICAUS WHERE CI10_CODCAUS_CI03 = 'CESE'");
    other.exec("DELETE FROM CI99_DESLINGUA WHERE CI99_PROVID_FW4A = 903 AND CI99_IDPROV ="
               " (SELECT CI03_IDPROV FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'CESE')");
    other.exec("DELETE FROM CI03_CAUSALI WHERE CI03_CODCAUS = 'CESE'");
    dialogs->answerMessage(1, QStringLiteral("eliminata da un altro utente"));
    press("Conferma");
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM CI03_CAUSALI WHERE"
                                    " CI03_CODCAUS = 'CESE'")),
              0);
    EXPECT_TRUE(frame().isPending());
}

// Two windows save the same code: the first save wins; the second finds the change, writes
// nothing and asks, and only its user's "Sovrascrivi" puts its version over the first.
TEST_F(SaveUnitTest, TwoWindowsSavingOneCodeGiveOneWinnerAndOneQuestion)
{
    host::Navigator otherNavigator;
    host::CLSCI_CAUSALI otherEntry;
    otherEntry.setClsGlobal(global.get());
    otherEntry.setActiveNavigator(&otherNavigator);
    otherEntry.setIsActive(true);
    otherEntry.setCanInsert(true);
    otherEntry.setCanDelete(true);
    otherEntry.setCanUpdate(true);
    otherEntry.setCaption(FRMCI_CAUSALI::DesignCaption);
    otherEntry.ShowForm();
    auto *other = dynamic_cast<FRMCI_CAUSALI *>(otherEntry.window()->widget());
    ASSERT_NE(other, nullptr);
    testsupport::UserDriver otherUser(other);
    ASSERT_TRUE(otherUser.press(other->mainNavigator(), QStringLiteral("Nuovo")));
    otherUser.typeInto(other->headerPanel()->TXT_CAUSALE, Code);
    other->tabStrip()->setTab(FRMCI_CAUSALI::TabChecks);
    otherUser.toggleItem(other->accountChecksPage()->LIST_TIPIAVERE, 5);
    const QString stored = QStringLiteral(
        "SELECT CI03_INDREGVALQTA, CI11_FLGMAGAZ FROM CI03_CAUSALI JOIN CI11_CONTROLLOCONTI ON"
        " CI11_CODCAUS_CI03 = CI03_CODCAUS AND CI11_SEGNO = 2 WHERE CI03_CODCAUS = 'GIRO'");

    user->activate();
    window->tabStrip()->setTab(0);
    user->pickItem(header().CBO_TIPOQTAVAL, 1);
    EXPECT_TRUE(press("Conferma"));
    EXPECT_EQ(rows(stored), (Rows{{QStringLiteral("1"), QStringLiteral("0")}}));

    otherUser.activate();
    dialogs->answerMessage(2, QStringLiteral("modificata da un altro utente"));
    otherUser.press(other->mainNavigator(), QStringLiteral("Conferma"));
    EXPECT_EQ(rows(stored), (Rows{{QStringLiteral("1"), QStringLiteral("0")}}));
    EXPECT_TRUE(other->headerPanel()->gclsFrameTestata()->isPending());

    // Overwriting puts the second window's whole version in place of the first's.
    dialogs->answerMessage(0, QStringLiteral("modificata da un altro utente"));
    otherUser.press(other->mainNavigator(), QStringLiteral("Conferma"));
    EXPECT_EQ(rows(stored), (Rows{{QStringLiteral("0"), QStringLiteral("1")}}));
    EXPECT_FALSE(other->headerPanel()->gclsFrameTestata()->isPending());
    otherEntry.setIsActive(false);
}

// The dialog of the other languages writes the descriptions itself: that is this user's
// change, not another program's, and the next save asks nothing about it.
TEST_F(SaveUnitTest, TheLanguageDialogsOwnWritesAreNoConflict)
{
    dialogs->answerLanguage([](ado::Connection &connection, int, const QVariant &rowId) {
        connection.Execute(QStringLiteral("UPDATE CI99_DESLINGUA SET CI99_DESCRIZIONE = 'Altro'"
                                          " WHERE CI99_IDPROV = %1 AND CI99_CODLINGUA_MG52 ="
                                          " 'ENG'")
                               .arg(rowId.toString()));
    });
    header().TXT_DCAUSALE->openLanguageDescriptions();
    window->tabStrip()->setTab(0);
    user->pickItem(header().CBO_TIPOQTAVAL, 1);
    EXPECT_TRUE(press("Conferma"));
    EXPECT_FALSE(frame().isPending());
    EXPECT_EQ(scalar(QStringLiteral("SELECT CI03_INDREGVALQTA FROM CI03_CAUSALI WHERE"
                                    " CI03_CODCAUS = 'GIRO'")),
              1);
}

// The language dialog reads the code again when it closes: edits not saved yet are asked about
// first, and kept when the user cancels.
TEST_F(SaveUnitTest, TheLanguageDialogAsksAboutUnsavedEditsFirst)
{
    editEverywhere(1);
    const QStringList edits = shownEdits();
    dialogs->answerMessage(host::vbCancel, QStringLiteral("Salvare le modifiche della causale"));
    header().TXT_DCAUSALE->openLanguageDescriptions();
    EXPECT_TRUE(dialogs->shownOf(testsupport::ScriptedDialogs::Kind::Language).empty());
    EXPECT_EQ(shownEdits(), edits);
    EXPECT_TRUE(frame().isPending());

    dialogs->answerMessage(host::vbYes, QStringLiteral("Salvare le modifiche della causale"));
    dialogs->answerLanguage();
    header().TXT_DCAUSALE->openLanguageDescriptions();
    EXPECT_EQ(dialogs->shownOf(testsupport::ScriptedDialogs::Kind::Language).size(), 1u);
    EXPECT_EQ(rows(QStringLiteral("SELECT CI05_SEZIONALE_CG68 FROM CI05_PROPSEZ WHERE"
                                  " CI05_CAUSALE_CI03 = 'GIRO' AND CI05_DITTA_CG18 = 1")),
              (Rows{{QStringLiteral("CA")}}));
}

// Undo on a code without account-type checks: the empty check rows have no edit to drop.
TEST_F(SaveUnitTest, UndoOnACodeWithoutChecksShowsNoError)
{
    showCode(QStringLiteral("CHIU"));
    window->tabStrip()->setTab(0);
    user->pickItem(header().CBO_TIPOQTAVAL, 1);
    EXPECT_TRUE(frame().isPending());
    EXPECT_TRUE(press("Annulla"));
    EXPECT_FALSE(frame().isPending());
    EXPECT_TRUE(dialogs->shown().empty());
}

// A database another program is writing: the save waits, then offers to try again, and
// succeeds once the other program is done.
TEST_F(SaveUnitTest, ASaveThatMeetsALockOffersToTryAgain)
{
    OtherProgram other(database);
    editEverywhere(1);
    if (database.onServer()) {
        exec(QStringLiteral("SET lock_timeout = 200"));
        other.exec("BEGIN; LOCK TABLE CI05_PROPSEZ IN EXCLUSIVE MODE");
    } else {
        sqlite3_busy_timeout(window->state().connection->handle(), 50);
        other.exec("BEGIN IMMEDIATE");
    }
    dialogs->answerMessage(host::vbCancel, QStringLiteral("in uso da un altro programma"));
    press("Conferma");
    EXPECT_TRUE(frame().isPending());
    other.exec("COMMIT");
    EXPECT_TRUE(press("Conferma"));
    EXPECT_EQ(rows(QStringLiteral("SELECT CI05_SEZIONALE_CG68 FROM CI05_PROPSEZ WHERE"
                                  " CI05_CAUSALE_CI03 = 'GIRO' AND CI05_DITTA_CG18 = 1")),
              (Rows{{QStringLiteral("CA")}}));
}

} // namespace
} // namespace headertest
