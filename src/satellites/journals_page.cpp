#include "satellites/journals_page.h"
#include "satellites/satellite_rules.h"

#include "ado/constants.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/lookups.h"
#include "data/sql_text.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/control_types.h"
#include "host/cost_utility.h"
#include "host/data_frame.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/lookup_services.h"
#include "satellites/child_sql.h"
#include "satellites/editor_context.h"
#include "satellites/page_support.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace causali {

namespace {

const QString KeyColumn = QStringLiteral("CI05_DITTA_CG18");
const QString CodeColumn = QStringLiteral("CI05_CAUSALE_CI03");
const QString JournalColumn = QStringLiteral("CI05_SEZIONALE_CG68");
const QString CompanyNameColumn = QStringLiteral("DESCR_DITTA");
const QString JournalNameColumn = QStringLiteral("DESCR_SEZIONALE");

// A company code of a row or of the combo; the empty item (and Null) is no company.
int companyOf(const QVariant &value)
{
    return int(ado::CLng(ado::ValueOrDefault(value, satellite_rules::NoCompany)));
}

} // namespace

const QString JournalsPage::Caption = QStringLiteral("Se&zionali di default");

JournalsPage::JournalsPage(EditorContext &context, QWidget *parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("JournalsPage"));
    buildControls();
    wireControls();
}

JournalsPage::~JournalsPage()
{
    releaseFrame();
}

void JournalsPage::buildControls()
{
    GRD_SEZIONALI = named(new host::Grid(this), "GRD_SEZIONALI");
    GNV_SEZIONALI = named(new host::GridNavigator(this), "GNV_SEZIONALI");
    GRB_SEZIONALI = named(new QGroupBox(this), "GRB_SEZIONALI");

    CBO_DITTA = named(new host::ComboBox(GRB_SEZIONALI), "CBO_DITTA");
    CBO_DITTA->setDataField(KeyColumn);
    CBO_DITTA->setCaption(QStringLiteral("Ditta"));
    CBO_DITTA->setToolTip(QStringLiteral("Codice ditta"));
    CBO_DITTA->setRequired(true);
    CBO_DITTA->setDefaultValue(-1);
    CBO_DITTA->setMaxLength(40); // wide enough for "code - name" of a company
    LBL_DITTA = named(labelFor(QStringLiteral("Ditta"), CBO_DITTA, GRB_SEZIONALI), "LBL_DITTA");

    TXT_SEZIONALE = named(new host::CodeBox(GRB_SEZIONALI), "TXT_SEZIONALE");
    TXT_SEZIONALE->setDataField(JournalColumn);
    TXT_SEZIONALE->setCaption(QStringLiteral("Sezionale"));
    TXT_SEZIONALE->setToolTip(QStringLiteral("Codice sezionale"));
    TXT_SEZIONALE->setMaxLength(2);
    TXT_SEZIONALE->setDisplayWidth(2);
    TXT_SEZIONALE->setUpperCase(true);
    TXT_SEZIONALE->setRequired(true);
    TXT_SEZIONALE->setLookupEnabled(true);
    TXT_SEZIONALE->setDecodeEnabled(true);
    TXT_SEZIONALE->setCharacterSet(host::EditBox::AnyCharacters);
    LBL_SEZIONALE = named(labelFor(QStringLiteral("Sezionale"), TXT_SEZIONALE, GRB_SEZIONALI),
                          "LBL_SEZIONALE");

    TXT_DSEZIONALE = named(new host::CodeBox(GRB_SEZIONALI), "TXT_DSEZIONALE");
    TXT_DSEZIONALE->setMaxLength(40);
    TXT_DSEZIONALE->setDecodeEnabled(false);
    TXT_DSEZIONALE->setEnabled(false);

    auto *fields = new QGridLayout(GRB_SEZIONALI);
    fields->addWidget(LBL_DITTA, 0, 0);
    fields->addWidget(CBO_DITTA, 0, 1, 1, 2, Qt::AlignLeft);
    fields->addWidget(LBL_SEZIONALE, 1, 0);
    fields->addWidget(TXT_SEZIONALE, 1, 1, Qt::AlignLeft);
    fields->addWidget(TXT_DSEZIONALE, 1, 2);
    fields->setColumnStretch(2, 1);

    auto *page = new QVBoxLayout(this);
    page->addWidget(GRD_SEZIONALI, 1);
    page->addWidget(GNV_SEZIONALI);
    page->addWidget(GRB_SEZIONALI);
    setTabOrder(GRD_SEZIONALI, CBO_DITTA);
    setTabOrder(CBO_DITTA, TXT_SEZIONALE);
    setTabOrder(TXT_SEZIONALE, GNV_SEZIONALI);
}

void JournalsPage::wireControls()
{
    connect(CBO_DITTA, &host::ComboBox::AfterItem, this, &JournalsPage::CBO_DITTA_AfterItem);
    // The journal is described for the row's company: again when another company shows.
    connect(CBO_DITTA, &host::ComboBox::ChangeRow, this, [this] {
        if (ado::NormalizzaStringa(TXT_SEZIONALE->Text()).isEmpty())
            return;
        runHandler(m_context, QStringLiteral("TXT_SEZIONALE_Decode"),
                   {[this] { TXT_SEZIONALE->Decode(); }});
    });
    host::connectHandler(GRD_SEZIONALI, &host::Grid::CellText, this,
                         &JournalsPage::GRD_SEZIONALI_CellText);
    host::connectHandler(GRD_SEZIONALI, &host::Grid::KeyDown, this,
                         &JournalsPage::GRD_SEZIONALI_KeyDown);
    connect(GNV_SEZIONALI, &host::GridNavigator::AfterButtonClick, this,
            &JournalsPage::GNV_SEZIONALI_AfterButtonClick);
    host::connectHandler(TXT_SEZIONALE, &host::EditBox::KeyDown, this,
                         &JournalsPage::TXT_SEZIONALE_KeyDown);
    host::connectHandler(TXT_SEZIONALE, &host::EditBox::StartDecode, this,
                         &JournalsPage::TXT_SEZIONALE_StartDecode);
    host::connectHandler(TXT_SEZIONALE, &host::EditBox::StartLookup, this,
                         &JournalsPage::TXT_SEZIONALE_StartLookup);
}

void JournalsPage::wireFrame()
{
    host::DataFrame *frame = m_frame.get();
    connect(frame, &host::DataFrame::AfterAddNew, this,
            &JournalsPage::gclsFrameSezionali_AfterAddNew);
    host::connectHandler(frame, &host::DataFrame::BeforeUpdate, this,
                         &JournalsPage::gclsFrameSezionali_BeforeUpdate);
    connect(frame, &host::DataFrame::ChangeStatus, this,
            &JournalsPage::gclsFrameSezionali_ChangeStatus);
    connect(frame, &host::DataFrame::UpdateBatchAll, this,
            &JournalsPage::gclsFrameSezionali_UpdateBatchAll);
    host::connectHandler(frame, &host::DataFrame::ValidateRecord, this,
                         &JournalsPage::gclsFrameSezionali_ValidateRecord);
}

// ------------------------------------------------------------------ set-up and release

void JournalsPage::INITGRD_SEZIONALI()
{
    host::GridColumnLayout layout;
    layout.setKeyColumn(QString());
    GRD_SEZIONALI->setColumnLayout(layout);
    GRD_SEZIONALI->AddColumn(KeyColumn, QStringLiteral("Ditta"), 1, 870, true, 0,
                             QStringLiteral("0"));
    GRD_SEZIONALI->AddColumn(CompanyNameColumn, QStringLiteral("Rag. sociale"), 1, 4105, true);
    GRD_SEZIONALI->AddColumn(JournalColumn, QStringLiteral("Sezionale"), 1, 870, true);
    GRD_SEZIONALI->AddColumn(JournalNameColumn, QStringLiteral("Descrizione"), 1, 4105, true);
    GRD_SEZIONALI->ApplyLayout();
}

void JournalsPage::ConfigurazioneFrameSezionali()
{
    ado::passUp(QStringLiteral("ConfigurazioneFrameSezionali"), [this] {
        m_context.workingTables().PreparazioneTabellaSezionali();
        ado::Connection &connection = connectionOf(m_context.state());
        releaseFrame();
        m_sql = childsql::emptyJournalsText(); // the column set of the frame, without rows
        m_recordset = openRecordset(m_context, m_sql);

        m_frame = makeChildFrame(m_context, {QStringLiteral("gclsFrameSezionali"),
                                             m_recordset.get(),
                                             m_sql,
                                             KeyColumn,
                                             GNV_SEZIONALI,
                                             GRD_SEZIONALI,
                                             {CBO_DITTA, TXT_SEZIONALE},
                                             QStringLiteral("del sezionale")});
        wireFrame();

        TXT_SEZIONALE->setConnection(&connection);
        addToHeaderFrame(m_context, m_frame.get());
    });
}

void JournalsPage::releaseFrame()
{
    causali::releaseFrame(m_frame, GRD_SEZIONALI, m_recordset);
}

// ------------------------------------------------------------------ frame events

void JournalsPage::gclsFrameSezionali_AfterAddNew(long fenm_operationresult)
{
    if (fenm_operationresult != host::DataFrame::OperationSucceeded)
        return;
    runHandler(m_context, QStringLiteral("gclsFrameSezionali_AfterAddNew"), {[this] {
                   currentRecordset(m_frame.get())
                       .Fields(CodeColumn)
                       .setValue(codiceCausale(m_context.headerView()));
               }});
}

// The row shows the company's name and the journal's description as they are when the row
// is confirmed, whatever the grid showed before.
void JournalsPage::gclsFrameSezionali_BeforeUpdate(bool &fbol_Cancel)
{
    if (fbol_Cancel)
        return;
    runHandler(m_context, QStringLiteral("gclsFrameSezionali_BeforeUpdate"), {[this] {
                   const qint16 company = ado::CInt(CBO_DITTA->Text());
                   const QString journal = ado::NormalizzaStringa(TXT_SEZIONALE->Text());
                   Lookups &lookups = m_context.lookups();
                   const QString companyName = lookups.DescrizioneDitta(company);
                   const QString journalName = lookups.DescrizioneSezionale(company, journal);
                   ado::Recordset &rs = currentRecordset(m_frame.get());
                   rs.Fields(CompanyNameColumn).setValue(companyName);
                   rs.Fields(JournalNameColumn).setValue(journalName);
               }});
}

void JournalsPage::gclsFrameSezionali_ChangeStatus(long fenm_status, long /*fenm_reason*/)
{
    runHandler(m_context, QStringLiteral("gclsFrameSezionali_ChangeStatus"), {[&] {
                   // The company of a stored row is its key: it is chosen only for a new row.
                   if (fenm_status == host::DataFrame::StatusBrowse) {
                       CBO_DITTA->setEnabled(false);
                       CBO_DITTA->setRequired(false);
                   } else if (fenm_status == host::DataFrame::StatusNew) {
                       CBO_DITTA->setEnabled(true);
                       CBO_DITTA->setRequired(true);
                   }
               }});
}

void JournalsPage::gclsFrameSezionali_UpdateBatchAll()
{
    runHandler(m_context, QStringLiteral("gclsFrameSezionali_UpdateBatchAll"), {[this] {
                   if (!m_frame)
                       raiseMissing(QStringLiteral("Il frame dei sezionali"));
                   writePendingRows(*m_frame, GRD_SEZIONALI);
               }});
}

void JournalsPage::gclsFrameSezionali_ValidateRecord(QObject *&fobj_Control,
                                                     QString &fstr_PersonalizedMessage)
{
    runHandler(m_context, QStringLiteral("gclsFrameSezionali_ValidateRecord"),
               {
                   [&] {
                       // The empty item (-1) stands for "no company chosen".
                       if (ado::CDbl(ado::NormalizzaNumero(CBO_DITTA->Text()))
                           == satellite_rules::NoCompany)
                           fobj_Control = CBO_DITTA;
                   },
                   [&] {
                       // One default journal per company: a second row for a company is refused here,
                       // when the row is confirmed, never while the company is being chosen.
                       if (fobj_Control || !companyHasAnotherRow())
                           return;
                       fobj_Control = CBO_DITTA;
                       fstr_PersonalizedMessage = satellite_rules::companyRepeatedMessage(
                           CBO_DITTA->currentText().trimmed());
                   },
                   [&] {
                       refuseUnacceptedCode(TXT_SEZIONALE,
                                            satellite_rules::journalNotFoundMessage(
                                                ado::NormalizzaStringa(TXT_SEZIONALE->Text()),
                                                ado::NormalizzaStringa(CBO_DITTA->Text())),
                                            fobj_Control, fstr_PersonalizedMessage);
                   },
               });
}

// Another row of the code (not the one being confirmed) has the company of CBO_DITTA.
bool JournalsPage::companyHasAnotherRow() const
{
    ado::Recordset &rs = currentRecordset(m_frame.get());
    const QVariant current = rs.Bookmark();
    std::unique_ptr<ado::Recordset> rows = rs.Clone();
    QList<int> others;
    if (rows->RecordCount() > 0) {
        for (rows->MoveFirst(); !rows->isEOF(); rows->MoveNext()) {
            if (rows->Bookmark() != current)
                others << companyOf(rows->Fields(KeyColumn).Value());
        }
    }
    return satellite_rules::companyTaken(others, companyOf(CBO_DITTA->value()));
}

// ------------------------------------------------------------------ control events

// The journals offered and described are those of the row's company; before a company is
// chosen, those of the host's current company (the services' default).
QVariant JournalsPage::chosenCompany() const
{
    const QVariant company = CBO_DITTA->value();
    if (ado::isMissing(company) || ado::CDbl(company) == -1.0)
        return QVariant();
    return company;
}

void JournalsPage::CBO_DITTA_AfterItem()
{
    runHandler(
        m_context, QStringLiteral("CBO_DITTA_AfterItem"), {[this] {
            // The grid row of a new row shows the company at once. Choosing a company that has
            // a row already keeps the new row (no jump to that row): the duplicate is refused when
            // the row is confirmed.
            if (m_frame && m_frame->Status() == host::DataFrame::StatusNew)
                m_frame->RefreshRow(false, true);
        }});
}

void JournalsPage::GRD_SEZIONALI_CellText(QString &text, const QString &column,
                                          const QVariant & /*row*/)
{
    if (column == KeyColumn && text == QLatin1String("-1"))
        text.clear();
}

void JournalsPage::GRD_SEZIONALI_KeyDown(int &keyCode, int shift)
{
    if (!isPlainEnter(keyCode, shift))
        return;
    runHandler(
        m_context, QStringLiteral("GRD_SEZIONALI_KeyDown"), {[&] {
            keyCode = 0;
            if (CBO_DITTA->isEnabled())
                CBO_DITTA->setFocus();
            else if (TXT_SEZIONALE->isEnabled())
                TXT_SEZIONALE->setFocus();
            else if (GNV_SEZIONALI->IsButtonEnabled(QLatin1String(host::GridNavigator::Nuovo)))
                GNV_SEZIONALI->FocusButton(QLatin1String(host::GridNavigator::Nuovo));
        }});
}

void JournalsPage::GNV_SEZIONALI_AfterButtonClick(const QString &name)
{
    ado::ignoreErrors({[&] {
        if (name == QLatin1String(host::GridNavigator::Nuovo)) {
            if (CBO_DITTA->isEnabled())
                CBO_DITTA->setFocus();
            else
                focusAndRedraw(GRD_SEZIONALI);
        } else if (name == QLatin1String(host::GridNavigator::Conferma)) {
            focusAfterConfirm(m_frame.get(), GRD_SEZIONALI);
        } else if (name == QLatin1String(host::GridNavigator::Elimina)) {
            focusButtonOrGrid(GNV_SEZIONALI, name, GRD_SEZIONALI, true);
        }
    }});
}

void JournalsPage::TXT_SEZIONALE_KeyDown(int &keyCode, int shift)
{
    if (!isPlainEnter(keyCode, shift))
        return;
    runHandler(m_context, QStringLiteral("TXT_SEZIONALE_KeyDown"), {[&] {
                   keyCode = 0;
                   QCoreApplication::processEvents();
                   if (!m_frame)
                       return;
                   if (m_frame->Status() == host::DataFrame::StatusBrowse)
                       focusButtonOrGrid(GNV_SEZIONALI,
                                         QLatin1String(host::GridNavigator::Conferma),
                                         GRD_SEZIONALI, false);
                   else if (m_frame->Status() == host::DataFrame::StatusNew)
                       GNV_SEZIONALI->FocusButton(QLatin1String(host::GridNavigator::Nuovo));
               }});
}

void JournalsPage::TXT_SEZIONALE_StartDecode(QString &sql, host::DecodeTargets &targets,
                                             QString &connectionText)
{
    runHandler(m_context, QStringLiteral("TXT_SEZIONALE_StartDecode"), {[&] {
                   host::JournalDecodeService *decode = m_context.journalDecode();
                   if (!decode)
                       raiseMissing(QStringLiteral("Il servizio di decodifica dei sezionali"));
                   host::CostUtility *cost = m_context.costUtility();
                   if (!cost)
                       raiseMissing(
                           QStringLiteral("L'oggetto di utilità della contabilità analitica"));
                   decode->prepare(
                       cost->journalKey(ado::NormalizzaStringa(TXT_SEZIONALE->Text()), QString()),
                       chosenCompany());
                   sql = decode->sql();
                   targets = decode->targets();
                   // The description the service leaves to the window goes to TXT_DSEZIONALE.
                   for (host::DecodeTarget &target : targets) {
                       if (!target.box)
                           target.box = TXT_DSEZIONALE;
                   }
                   connectionText = m_context.connectionText();
               }});
}

void JournalsPage::TXT_SEZIONALE_StartLookup(bool & /*cancel*/, QString &sql,
                                             host::ColumnTable &columns, QString &title,
                                             QString &connectionText)
{
    runHandler(m_context, QStringLiteral("TXT_SEZIONALE_StartLookup"), {[&] {
                   host::JournalLookupService *lookup = m_context.journalLookup();
                   if (!lookup)
                       raiseMissing(QStringLiteral("Il servizio di ricerca dei sezionali"));
                   lookup->prepare(chosenCompany());
                   sql = lookup->sql();
                   columns = lookup->columns();
                   title = lookup->title();
                   TXT_SEZIONALE->setLookupName(lookup->lookupName());
                   connectionText = m_context.connectionText();
               }});
}

} // namespace causali
