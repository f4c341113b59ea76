// FRMCI_CAUSALI: loading the satellites of the reason code in the header (ShowChild), emptying
// them (ClearChild) and giving the rows entered so far a new reason code (RefreshChild).

#include "editor/frmci_causali.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/sql_text.h"
#include "header/header_panel.h"
#include "host/code_box.h"
#include "host/data_frame.h"
#include "satellites/account_checks_page.h"
#include "satellites/child_sql.h"
#include "satellites/journals_page.h"
#include "satellites/page_support.h"
#include "satellites/proposal_page.h"
#include "satellites/search_sequence_page.h"

#include <ranges>

namespace causali {

namespace {

const QString JournalsKey = QStringLiteral("CI05_CAUSALE_CI03");
const QString SearchSequenceKey = QStringLiteral("CI06_CAUSALE_CI03");
const QString DevelopmentKey = QStringLiteral("CAUSALE");
const QString ChecksKey = QStringLiteral("CI11_CODCAUS_CI03");

// The two search-sequence sides, destination first, with the names of their frames.
struct SearchSequenceFrame
{
    int side;
    const char *frameName;
};
constexpr SearchSequenceFrame SearchSequenceFrames[] = {
    {SearchSequencePage::SideDest, "gclsFrameRicDest"},
    {SearchSequencePage::SideOrigine, "gclsFrameRicOrigine"}};

[[noreturn]] void raiseMissingFrame(const QString &frame)
{
    ado::raise(91, QStringLiteral("Variabile oggetto non impostata: %1 (i frame dei dati "
                                  "collegati non sono ancora configurati)")
                       .arg(frame));
}

} // namespace

void FRMCI_CAUSALI::ShowChild()
{
    ado::passUp(QStringLiteral("ShowChild"), [&] {
        routine(QStringLiteral("ShowChild"));
        const QString code = codiceCausale(*this);

        ado::Recordset *header = m_header->recordsetTestata();
        if (!header)
            raiseMissingFrame(QStringLiteral("gclsFrameTestata"));
        // A new code has no identifier yet, and so no description row.
        const QVariant idProv = header->Fields(QStringLiteral("CI03_IDPROV")).Value();
        const QString language = ado::isMissing(idProv)
                                     ? childsql::emptyLanguageText()
                                     : childsql::languageText(m_state.CodLingua, idProv);
        m_header->setSqlLingua(language);
        reopenFrame(m_header->gclsFrameDatiCausaliLingua(), m_header->recordsetLingua(), language,
                    QStringLiteral("gclsFrameDatiCausaliLingua"));

        const QString journals = childsql::journalsText(code);
        m_journals->setSqlSezionali(journals);
        reopenFrame(m_journals->gclsFrameSezionali(), m_journals->recordsetSezionali(), journals,
                    QStringLiteral("gclsFrameSezionali"));

        // Both search-sequence sides show the rows of the row type chosen.
        for (const auto &[side, frameName] : SearchSequenceFrames) {
            const QString text = childsql::searchSequenceText(code, side);
            m_search->setSqlText(side, text);
            reopenFrame(m_search->frame(side), m_search->recordset(side), text,
                        QLatin1StringView(frameName), m_search->rowTypeFilter());
        }

        const QString development = childsql::developmentText(code, m_state.pdc, m_state.pdcVds);
        m_proposal->setSqlSviluppo(development);
        reopenFrame(m_proposal->gclsFrameSviluppo(), m_proposal->recordsetSviluppo(), development,
                    QStringLiteral("gclsFrameSviluppo"));

        reopenChecks(childsql::checksText(code));
    });
}

void FRMCI_CAUSALI::ClearChild()
{
    ado::passUp(QStringLiteral("ClearChild"), [&] {
        routine(QStringLiteral("ClearChild"));
        reopenFrame(m_header->gclsFrameDatiCausaliLingua(), m_header->recordsetLingua(),
                    childsql::emptyLanguageText(), QStringLiteral("gclsFrameDatiCausaliLingua"));
        const QString search = childsql::emptySearchSequenceText();
        for (const auto &[side, frameName] : std::views::reverse(SearchSequenceFrames))
            reopenFrame(m_search->frame(side), m_search->recordset(side), search,
                        QLatin1StringView(frameName));
        reopenFrame(m_journals->gclsFrameSezionali(), m_journals->recordsetSezionali(),
                    childsql::emptyJournalsText(), QStringLiteral("gclsFrameSezionali"));
        reopenFrame(m_proposal->gclsFrameSviluppo(), m_proposal->recordsetSviluppo(),
                    childsql::emptyDevelopmentText(), QStringLiteral("gclsFrameSviluppo"));
        reopenChecks(childsql::emptyChecksText());
    });
}

void FRMCI_CAUSALI::RefreshChild()
{
    ado::passUp(QStringLiteral("RefreshChild"), [&] {
        routine(QStringLiteral("RefreshChild"));
        const QString code = codiceCausale(*this);

        const QString journals = childsql::journalsText(code);
        m_journals->setSqlSezionali(journals);
        rekey(m_journals->gclsFrameSezionali(), m_journals->recordsetSezionali(), journals,
              JournalsKey, code);

        for (const auto &[side, frameName] : SearchSequenceFrames) {
            const QString text = childsql::searchSequenceText(code, side);
            m_search->setSqlText(side, text);
            rekey(m_search->frame(side), m_search->recordset(side), text, SearchSequenceKey, code);
        }

        const QString development = childsql::developmentSourceText(code);
        m_proposal->setSqlSviluppo(development);
        rekey(m_proposal->gclsFrameSviluppo(), m_proposal->recordsetSviluppo(), development,
              DevelopmentKey, code);

        ado::Recordset *checks = m_checks->checkRecordset();
        if (!checks)
            raiseMissingFrame(QStringLiteral("il recordset dei controlli conti"));
        if (checks->RecordCount() > 0) {
            for (checks->MoveFirst(); !checks->isEOF(); checks->MoveNext())
                checks->Fields(ChecksKey).setValue(code);
            // Back on a row: EditMode and the lists' handlers need a current row.
            checks->MoveFirst();
        }
    });
}

// Closes the frame's row set, opens it again on `sql` over the same connection (filtered when
// a filter is given) and lets the frame take it up.
void FRMCI_CAUSALI::reopenFrame(host::DataFrame *frame, ado::Recordset *recordset,
                                const QString &sql, const QString &frameName, const QString &filter)
{
    if (!frame || !recordset)
        raiseMissingFrame(frameName);
    recordset->Close();
    recordset->Open(sql, nullptr, ado::adOpenUnspecified, ado::adLockUnspecified, -1);
    if (!filter.isEmpty())
        recordset->setFilter(filter);
    frame->setSqlText(sql);
}

// The account-type checks of the code (or none): re-read, shown in the lists, unchanged.
void FRMCI_CAUSALI::reopenChecks(const QString &sql)
{
    ado::Recordset *checks = m_checks->checkRecordset();
    if (!checks)
        raiseMissingFrame(QStringLiteral("il recordset dei controlli conti"));
    checks->Close();
    checks->Open(sql, &connectionOf(m_state), ado::adOpenUnspecified, ado::adLockUnspecified,
                 ado::adCmdText);
    m_checks->PopolaListe();
    m_state.AccountTypesChanged = false;
}

// Writes the code into the key column of every row of the frame's row set. The rows a
// search-sequence side hides behind its row-type filter are re-keyed too (the filter is lifted
// meanwhile and put back): each of them belongs to the reason code being entered. The frame
// ignores the row set while it changes and comes back to the row it showed.
void FRMCI_CAUSALI::rekey(host::DataFrame *frame, ado::Recordset *recordset,
                          const QString &sourceSql, const QString &keyColumn, const QString &code)
{
    if (!frame || !recordset)
        raiseMissingFrame(keyColumn);
    frame->setSourceSql(sourceSql);
    if (recordset->Clone()->RecordCount() < 1)
        return;
    FrameUpdateScope update(*frame);
    const QVariant filter = recordset->Filter();
    const bool onRow = !recordset->isBOF() && !recordset->isEOF();
    const QVariant shown = onRow ? recordset->Bookmark() : QVariant();
    recordset->setFilter(QVariant());
    for (recordset->MoveFirst(); !recordset->isEOF(); recordset->MoveNext())
        recordset->Fields(keyColumn).setValue(code);
    recordset->setFilter(filter);
    if (shown.isValid() && recordset->positionOf(shown) > 0)
        recordset->setBookmark(shown);
    update.end();
}

} // namespace causali
