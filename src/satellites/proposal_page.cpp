#include "satellites/proposal_page.h"
#include "satellites/satellite_rules.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/sql_text.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "host/account_box.h"
#include "host/account_services.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/number_box.h"
#include "host/small_controls.h"
#include "satellites/account_checks_page.h"
#include "satellites/child_sql.h"
#include "satellites/editor_context.h"
#include "satellites/page_support.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace causali {

namespace {

const QString KeyColumn = QStringLiteral("PROG");
const QString CodeColumn = QStringLiteral("CAUSALE");
const QString SignColumn = QStringLiteral("SEGNO");
const QString PercentColumn = QStringLiteral("PERCENTUALE");
const QString ChartColumn = QStringLiteral("PDC");
const QString AccountColumn = QStringLiteral("CONTO");
const QString ItemChartColumn = QStringLiteral("PDCVDS");
const QString ItemColumn = QStringLiteral("VDS");
const QString CreditColumn = QStringLiteral("AVERE");
const QString DebitColumn = QStringLiteral("DARE");
const QString AccountDescription = QStringLiteral("CONTO_DES");
const QString ItemDescription = QStringLiteral("VDS_DES");
const QString NoTypeSelected = QStringLiteral("Nessun tipo selezionato nel folder controllo conti");

bool isButton(const QString &name, const char *button)
{
    return name == QLatin1String(button);
}

} // namespace

const QString ProposalPage::Caption = QStringLiteral("&Proposta di sviluppo registrazione");

ProposalPage::ProposalPage(EditorContext &context, QWidget *parent)
    : QWidget(parent), m_context(context), m_formatter(std::make_unique<host::AccountFormatter>())
{
    setObjectName(QStringLiteral("ProposalPage"));
    buildControls();
    wireControls();
}

ProposalPage::~ProposalPage()
{
    releaseFrame();
}

void ProposalPage::buildControls()
{
    GRD_SVILUPPO = named(new host::Grid(this), "GRD_SVILUPPO");
    GNV_SVILUPPO = named(new host::GridNavigator(this), "GNV_SVILUPPO");
    CMD_SU = named(new host::ToolButton(this), "CMD_SU");
    CMD_SU->setArrowType(Qt::UpArrow);
    CMD_SU->setToolTip(QStringLiteral("Sposta su"));
    CMD_SU->setEnabled(false); // on once a row is shown that can move
    CMD_GIU = named(new host::ToolButton(this), "CMD_GIU");
    CMD_GIU->setArrowType(Qt::DownArrow);
    CMD_GIU->setToolTip(QStringLiteral("Sposta giù"));
    CMD_GIU->setEnabled(false);

    auto *layout = new QGridLayout(this);
    layout->addWidget(GRD_SVILUPPO, 0, 0, 3, 1);
    layout->addWidget(CMD_SU, 0, 1);
    layout->addWidget(CMD_GIU, 1, 1);
    LBL_TOTALI = named(new QLabel(this), "LBL_TOTALI");
    layout->addWidget(LBL_TOTALI, 3, 0, 1, 2);
    layout->addWidget(GNV_SVILUPPO, 4, 0, 1, 2);
    layout->addWidget(buildFields(), 5, 0, 1, 2);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(0, 1);
}

QWidget *ProposalPage::buildFields()
{
    GRB_SVILUPPO = named(new QGroupBox(this), "GRB_SVILUPPO");

    CBO_SEGNO = named(new host::ComboBox(GRB_SVILUPPO), "CBO_SEGNO");
    CBO_SEGNO->setDataField(SignColumn);
    CBO_SEGNO->setCaption(QStringLiteral("Segno"));
    CBO_SEGNO->setDefaultValue(2);
    CBO_SEGNO->setMaxLength(10);
    LBL_SEGNO = named(labelFor(QStringLiteral("Segno"), CBO_SEGNO, GRB_SVILUPPO), "LBL_SEGNO");

    TXT_PERC = named(new host::NumberBox(GRB_SVILUPPO), "TXT_PERC");
    TXT_PERC->setDataField(PercentColumn);
    TXT_PERC->setCaption(QStringLiteral("% ripartizione"));
    TXT_PERC->setToolTip(QStringLiteral("Percentuale di ripartizione da utilizzare"));
    TXT_PERC->setIntegerDigits(3);
    TXT_PERC->setDecimals(2);
    TXT_PERC->setDisplayWidth(5);
    TXT_PERC->setDisplayFormat(QStringLiteral("##0.00;-##0.00;;"));
    LBL_PERC = named(labelFor(QStringLiteral("% ripartizione"), TXT_PERC, GRB_SVILUPPO),
                     "LBL_PERC");

    TXT_CONTO = named(new host::AccountBox(GRB_SVILUPPO), "TXT_CONTO");
    TXT_CONTO->setDataField(AccountColumn);
    TXT_CONTO->setCaption(QStringLiteral("Codice conto"));
    TXT_CONTO->setLookupEnabled(true);
    TXT_CONTO->setDecodeEnabled(true);
    TXT_CONTO->setDescriptionColumn(QStringLiteral("PC03_DESCR"));
    LBL_CONTO = named(labelFor(QStringLiteral("Codice conto"), TXT_CONTO, GRB_SVILUPPO),
                      "LBL_CONTO");

    TXT_VDS = named(new host::AccountBox(GRB_SVILUPPO), "TXT_VDS");
    TXT_VDS->setDataField(ItemColumn);
    TXT_VDS->setCaption(QStringLiteral("Codice voce di spesa"));
    TXT_VDS->setLookupEnabled(true);
    TXT_VDS->setDecodeEnabled(true);
    TXT_VDS->setDescriptionColumn(QStringLiteral("PC03_DESCR"));
    LBL_VDS = named(labelFor(QStringLiteral("Codice voce di spesa"), TXT_VDS, GRB_SVILUPPO),
                    "LBL_VDS");

    auto *fields = new QGridLayout(GRB_SVILUPPO);
    fields->addWidget(LBL_SEGNO, 0, 0);
    fields->addWidget(CBO_SEGNO, 0, 1, Qt::AlignLeft);
    fields->addWidget(LBL_PERC, 0, 2, Qt::AlignRight);
    fields->addWidget(TXT_PERC, 0, 3, Qt::AlignLeft);
    fields->addWidget(LBL_CONTO, 1, 0);
    fields->addWidget(TXT_CONTO, 1, 1, 1, 4);
    fields->addWidget(LBL_VDS, 2, 0);
    fields->addWidget(TXT_VDS, 2, 1, 1, 4);
    fields->setColumnStretch(4, 1);
    return GRB_SVILUPPO;
}

void ProposalPage::wireControls()
{
    connect(CBO_SEGNO, &host::ComboBox::BeforeItem, this, &ProposalPage::CBO_SEGNO_BeforeItem);
    connect(CBO_SEGNO, &host::ComboBox::AfterItem, this, &ProposalPage::CBO_SEGNO_AfterItem);
    host::connectHandler(GRD_SVILUPPO, &host::Grid::CellText, this,
                         &ProposalPage::GRD_SVILUPPO_CellText);
    host::connectHandler(GRD_SVILUPPO, &host::Grid::KeyDown, this,
                         &ProposalPage::GRD_SVILUPPO_KeyDown);
    connect(GNV_SVILUPPO, &host::GridNavigator::AfterButtonClick, this,
            &ProposalPage::GNV_SVILUPPO_AfterButtonClick);
    connect(CMD_SU, &host::ToolButton::Click, this, &ProposalPage::CMD_SU_Click);
    connect(CMD_GIU, &host::ToolButton::Click, this, &ProposalPage::CMD_GIU_Click);
    host::connectHandler(TXT_CONTO, &host::EditBox::StartDecode, this,
                         &ProposalPage::TXT_CONTO_StartDecode);
    host::connectHandler(TXT_CONTO, &host::EditBox::StartLookup, this,
                         &ProposalPage::TXT_CONTO_StartLookup);
    host::connectHandler(TXT_VDS, &host::EditBox::StartDecode, this,
                         &ProposalPage::TXT_VDS_StartDecode);
    host::connectHandler(TXT_VDS, &host::EditBox::StartLookup, this,
                         &ProposalPage::TXT_VDS_StartLookup);
}

void ProposalPage::wireFrame()
{
    host::DataFrame *frame = m_frame.get();
    connect(frame, &host::DataFrame::AfterAddNew, this,
            &ProposalPage::gclsFrameSviluppo_AfterAddNew);
    host::connectHandler(frame, &host::DataFrame::BeforeUpdate, this,
                         &ProposalPage::gclsFrameSviluppo_BeforeUpdate);
    host::connectHandler(frame, &host::DataFrame::ValidateRecord, this,
                         &ProposalPage::gclsFrameSviluppo_ValidateRecord);
    connect(frame, &host::DataFrame::ChangeStatus, this,
            &ProposalPage::gclsFrameSviluppo_ChangeStatus);
    connect(frame, &host::DataFrame::UpdateBatchAll, this,
            &ProposalPage::gclsFrameSviluppo_UpdateBatchAll);
}

// ------------------------------------------------------------------ set-up and release

void ProposalPage::INITGRD_SVILUPPO()
{
    runHandler(m_context, QStringLiteral("INITGRD_SVILUPPO"), {[this] {
                   host::GridColumnLayout layout;
                   layout.setKeyColumn(KeyColumn);
                   GRD_SVILUPPO->setColumnLayout(layout);
                   GRD_SVILUPPO->AddColumn(KeyColumn, QStringLiteral("Nr"), 1, 500, false);
                   GRD_SVILUPPO->AddColumn(CreditColumn, QStringLiteral("Avere"), 1, 1800, true);
                   GRD_SVILUPPO->AddColumn(DebitColumn, QStringLiteral("Dare"), 1, 1800, true);
                   GRD_SVILUPPO->AddColumn(AccountColumn, QStringLiteral("Conto"), 1, 1800, false);
                   GRD_SVILUPPO->AddColumn(AccountDescription, QStringLiteral("Descrizione"), 1,
                                           5700, true);
                   GRD_SVILUPPO->AddColumn(PercentColumn, QStringLiteral(" % "), 1, 800, true, 0,
                                           QStringLiteral("##0.00"));
                   GRD_SVILUPPO->AddColumn(ItemColumn, QStringLiteral("Vds"), 1, 1800, false);
                   GRD_SVILUPPO->AddColumn(ItemDescription, QStringLiteral("Descrizione"), 1, 5700,
                                           false);
                   GRD_SVILUPPO->ApplyLayout();
               }});
}

void ProposalPage::ConfigurazioneFrameSviluppo()
{
    ado::passUp(QStringLiteral("ConfigurazioneFrameSviluppo"), [this] {
        m_context.workingTables().PreparazioneTabellaSviluppo();
        ado::Connection &connection = connectionOf(m_context.state());
        releaseFrame();
        m_sql = childsql::emptyDevelopmentText(); // the column set of the frame, without rows
        m_recordset = openRecordset(m_context, m_sql);

        m_frame = makeChildFrame(m_context, {QStringLiteral("gclsFrameSviluppo"),
                                             m_recordset.get(),
                                             m_sql,
                                             KeyColumn,
                                             GNV_SVILUPPO,
                                             GRD_SVILUPPO,
                                             {CBO_SEGNO, TXT_PERC, TXT_CONTO, TXT_VDS},
                                             QString()});
        wireFrame();

        m_formatter->setConnection(&connection);
        m_accountLookup = std::make_unique<host::AccountLookupService>();
        m_accountDecode = std::make_unique<host::AccountDecodeService>();
        m_itemLookup = std::make_unique<host::ExpenseItemLookupService>();
        m_itemDecode = std::make_unique<host::ExpenseItemDecodeService>();
        for (host::LookupObject *service : std::initializer_list<host::LookupObject *>{
                 m_accountLookup.get(), m_accountDecode.get(), m_itemLookup.get(),
                 m_itemDecode.get()}) {
            service->setModuleInterface(m_context.ActiveInterface());
            service->setConnection(&connection);
        }
        TXT_CONTO->setConnection(&connection);
        TXT_VDS->setConnection(&connection);
        // The account is decoded against the types ticked for its side: again when they change.
        if (AccountChecksPage *checks = m_context.accountChecksPage())
            connect(checks, &AccountChecksPage::accountTypesUpdated, this,
                    &ProposalPage::decodeAccountAgain, Qt::UniqueConnection);

        addToHeaderFrame(m_context, m_frame.get());
        watchBalance();
    });
}

void ProposalPage::releaseFrame()
{
    causali::releaseFrame(m_frame, GRD_SVILUPPO, m_recordset);
    m_accountLookup.reset();
    m_accountDecode.reset();
    m_itemLookup.reset();
    m_itemDecode.reset();
    if (m_formatter)
        m_formatter->clear();
}

bool ProposalPage::hasExpenseChart() const
{
    const QString chart = valueText(m_context.state().pdcVds);
    return !chart.isEmpty() && chart != QLatin1String("-1");
}

// ------------------------------------------------------------------ frame events

void ProposalPage::gclsFrameSviluppo_AfterAddNew(long fenm_operationresult)
{
    if (fenm_operationresult != host::DataFrame::OperationSucceeded)
        return;
    qint32 last = 0;
    runHandler(
        m_context, QStringLiteral("gclsFrameSviluppo_AfterAddNew"),
        {
            [this] {
                const WindowState &state = m_context.state();
                ado::Recordset &rs = currentRecordset(m_frame.get());
                rs.Fields(CodeColumn).setValue(codiceCausale(m_context.headerView()));
                rs.Fields(ChartColumn).setValue(state.pdc);
                rs.Fields(ItemChartColumn).setValue(ado::ValueOrDefault(state.pdcVds, -1));
            },
            [&] {
                // The highest row number the frame holds (the new row has none yet).
                std::unique_ptr<ado::Recordset> clone = currentRecordset(m_frame.get()).Clone();
                last = 0;
                if (clone->RecordCount() > 0) {
                    clone->setSort(KeyColumn + QStringLiteral(" DESC"));
                    clone->MoveFirst();
                    last = ado::CLng(ado::ValueOrDefault(clone->Fields(KeyColumn).Value(), 0));
                }
            },
            [&] {
                // The working table holds every row of the code, also those of other charts that
                // the frame does not show: the new number must not repeat any of them.
                const QString code = codiceCausale(m_context.headerView());
                std::unique_ptr<ado::Recordset> stored =
                    connectionOf(m_context.state())
                        .Execute(
                            sql::lines({QStringLiteral("SELECT MAX(PROG) AS PROG"),
                                        QStringLiteral("FROM #SVILUPPO"),
                                        QStringLiteral("WHERE CAUSALE = ") + sql::quoted(code)}));
                if (stored && stored->State() == ado::adStateOpen && !stored->isEOF())
                    last = std::max<qint32>(
                        last, ado::CLng(ado::ValueOrDefault(stored->Fields(KeyColumn).Value(), 0)));
            },
            [&] { currentRecordset(m_frame.get()).Fields(KeyColumn).setValue(last + 1); },
        });
}

void ProposalPage::gclsFrameSviluppo_BeforeUpdate(bool &fbol_Cancel)
{
    if (fbol_Cancel)
        return;
    runHandler(m_context, QStringLiteral("gclsFrameSviluppo_BeforeUpdate"), {[this] {
                   // The account is shown in the grid column of its side.
                   ado::Recordset &rs = currentRecordset(m_frame.get());
                   const QVariant account = rs.Fields(AccountColumn).Value();
                   const bool credit = valueText(CBO_SEGNO->Text()) == QLatin1String("2");
                   rs.Fields(credit ? CreditColumn : DebitColumn).setValue(account);
                   rs.Fields(credit ? DebitColumn : CreditColumn).setValue(ado::Null());
               }});
}

// A row is refused on an account or item that its box does not accept: one the chart does not
// hold or, for the account, one of a type not ticked for the row's side on tab 2.
void ProposalPage::gclsFrameSviluppo_ValidateRecord(QObject *&fobj_Control,
                                                    QString &fstr_PersonalizedMessage)
{
    runHandler(m_context, QStringLiteral("gclsFrameSviluppo_ValidateRecord"),
               {
                   [&] {
                       refuseUnacceptedCode(TXT_CONTO,
                                            satellite_rules::accountRefusedMessage(
                                                ado::NormalizzaStringa(TXT_CONTO->Text())),
                                            fobj_Control, fstr_PersonalizedMessage);
                   },
                   [&] {
                       refuseUnacceptedCode(TXT_VDS,
                                            satellite_rules::itemNotFoundMessage(
                                                ado::NormalizzaStringa(TXT_VDS->Text())),
                                            fobj_Control, fstr_PersonalizedMessage);
                   },
               });
}

void ProposalPage::gclsFrameSviluppo_ChangeStatus(long fenm_status, long /*fenm_reason*/)
{
    runHandler(m_context, QStringLiteral("gclsFrameSviluppo_ChangeStatus"), {[&] {
                   if (fenm_status == host::DataFrame::StatusNew) {
                       CMD_SU->setEnabled(false);
                       CMD_GIU->setEnabled(false);
                   } else if (fenm_status == host::DataFrame::StatusBrowse) {
                       updateMoveButtons(m_frame.get(), CMD_SU, CMD_GIU);
                   }
               }});
}

void ProposalPage::gclsFrameSviluppo_UpdateBatchAll()
{
    runHandler(m_context, QStringLiteral("gclsFrameSviluppo_UpdateBatchAll"), {[this] {
                   if (!m_frame)
                       raiseMissing(QStringLiteral("Il frame della proposta di sviluppo"));
                   writePendingRows(*m_frame, GRD_SVILUPPO);
               }});
}

// ------------------------------------------------------------------ sign and moves

void ProposalPage::CBO_SEGNO_BeforeItem()
{
    m_previousSign = ado::NormalizzaStringa(CBO_SEGNO->Text());
}

// An account chosen for one side is not kept for the other.
void ProposalPage::CBO_SEGNO_AfterItem()
{
    runHandler(m_context, QStringLiteral("CBO_SEGNO_AfterItem"), {[this] {
                   if (ado::NormalizzaStringa(CBO_SEGNO->Text()) == m_previousSign || !m_frame)
                       return;
                   ado::Recordset &rs = currentRecordset(m_frame.get());
                   if (rs.isBOF() || rs.isEOF())
                       return;
                   rs.Fields(AccountColumn).setValue(ado::Null());
                   m_frame->RefreshRow(false, true);
               }});
}

void ProposalPage::CMD_SU_Click()
{
    exchangeWithNeighbour(m_context, QStringLiteral("CMD_SU_Click"), m_frame.get(), GRD_SVILUPPO,
                          false, {KeyColumn});
}

void ProposalPage::CMD_GIU_Click()
{
    exchangeWithNeighbour(m_context, QStringLiteral("CMD_GIU_Click"), m_frame.get(), GRD_SVILUPPO,
                          true, {KeyColumn});
}

// ------------------------------------------------------------------ grid and navigator

void ProposalPage::GRD_SVILUPPO_CellText(QString &text, const QString &column, const QVariant &row)
{
    const WindowState &state = m_context.state();
    const bool account = column == AccountColumn || column == AccountDescription;
    const bool item = column == ItemColumn || column == ItemDescription;
    if (!account && !(item && hasExpenseChart()))
        return;
    const QVariant chart = account ? state.pdc : state.pdcVds;
    const QVariant code = GRD_SVILUPPO->cellValue(row, account ? AccountColumn : ItemColumn);
    if (ado::NormalizzaStringa(code).isEmpty())
        return;
    if (column == AccountColumn || column == ItemColumn)
        text = m_formatter->format(chart, code);
    else
        text = m_formatter->description(chart, code);
}

void ProposalPage::GRD_SVILUPPO_KeyDown(int &keyCode, int shift)
{
    if (!isPlainEnter(keyCode, shift))
        return;
    runHandler(m_context, QStringLiteral("GRD_SVILUPPO_KeyDown"), {[&] {
                   keyCode = 0;
                   const QString nuovo = QLatin1String(host::GridNavigator::Nuovo);
                   if (CBO_SEGNO->isEnabled())
                       CBO_SEGNO->setFocus();
                   else if (GNV_SVILUPPO->IsButtonEnabled(nuovo))
                       GNV_SVILUPPO->FocusButton(nuovo);
               }});
}

void ProposalPage::GNV_SVILUPPO_AfterButtonClick(const QString &name)
{
    ado::ignoreErrors({[&] {
        const bool nuovo = isButton(name, host::GridNavigator::Nuovo);
        if (!nuovo && !isButton(name, host::GridNavigator::Conferma)
            && !isButton(name, host::GridNavigator::Elimina))
            return;
        // Unconfirmed edits of a stored code's header fields are settled first. Only the
        // header's own edits: the proposal's pending rows are saved with the header, not asked
        // about here. A new code is saved as a whole with "Conferma": asked about here, "No"
        // would throw the new code away with everything entered for it.
        host::DataFrame *header = m_context.headerFrame();
        if (header && header->Status() == host::DataFrame::StatusBrowse && header->RecordChanged())
            header->ConfirmPending(true, true, true);
        if (nuovo) {
            if (m_frame)
                m_frame->PrepareNewRow(true, true);
            if (CBO_SEGNO->isEnabled())
                CBO_SEGNO->setFocus();
            else
                focusAndRedraw(GRD_SVILUPPO);
        } else if (isButton(name, host::GridNavigator::Conferma)) {
            focusAfterConfirm(m_frame.get(), GRD_SVILUPPO);
        } else {
            focusButtonOrGrid(GNV_SVILUPPO, name, GRD_SVILUPPO, true);
        }
    }});
}

// ------------------------------------------------------------------ account boxes

void ProposalPage::decodeAccountAgain()
{
    if (ado::NormalizzaStringa(TXT_CONTO->Text()).isEmpty())
        return;
    runHandler(m_context, QStringLiteral("TXT_CONTO_Decode"), {[this] { TXT_CONTO->Decode(); }});
}

bool ProposalPage::signChosen() const
{
    const QString sign = valueText(CBO_SEGNO->Text());
    return sign == QLatin1String("1") || sign == QLatin1String("2");
}

host::AccountTypes ProposalPage::typesOfSign() const
{
    const QString sign = valueText(CBO_SEGNO->Text());
    if (!signChosen())
        ado::raise(5, QStringLiteral("Segno della riga non indicato: scegliere Dare o Avere"));
    AccountChecksPage *checks = m_context.accountChecksPage();
    if (!checks)
        raiseMissing(QStringLiteral("La pagina dei controlli conti"));
    return checks->selectedTypes(sign == QLatin1String("1") ? AccountChecksPage::SideDare
                                                            : AccountChecksPage::SideAvere);
}

void ProposalPage::TXT_CONTO_StartDecode(QString &sql, host::DecodeTargets &targets,
                                         QString &connectionText)
{
    runHandler(m_context, QStringLiteral("TXT_CONTO_StartDecode"), {[&] {
                   const QString typed = ado::NormalizzaStringa(TXT_CONTO->Text());
                   if (typed.isEmpty() || !signChosen())
                       return; // nothing to decode, or no side to decode it for
                   const host::AccountTypes types = typesOfSign();
                   if (std::none_of(types.begin(), types.end(), [](bool b) { return b; }))
                       return; // no type the account could be of: no description
                   if (!m_accountDecode)
                       raiseMissing(QStringLiteral("Il servizio di decodifica dei conti"));
                   m_accountDecode->prepare(m_context.state().pdc, types, typed, nullptr);
                   sql = m_accountDecode->sql();
                   targets = m_accountDecode->targets();
                   connectionText = m_context.connectionText();
               }});
}

void ProposalPage::TXT_CONTO_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                                         QString &title, QString &connectionText)
{
    runHandler(m_context, QStringLiteral("TXT_CONTO_StartLookup"), {[&] {
                   // The grid is empty and no row started: the accounts offered depend on the side.
                   if (!signChosen()) {
                       cancel = true;
                       m_context.MostraMessaggio(
                           QStringLiteral("Scegliere il segno della riga (Dare o "
                                          "Avere) prima di cercare il conto."),
                           host::vbOKOnly | host::vbInformation, QStringLiteral("Attenzione"),
                           QStringLiteral("TXT_CONTO_StartLookup"));
                       return;
                   }
                   const host::AccountTypes types = typesOfSign();
                   if (std::none_of(types.begin(), types.end(), [](bool b) { return b; })) {
                       cancel = true;
                       m_context.MostraMessaggio(
                           NoTypeSelected, host::vbOKOnly | host::vbExclamation,
                           QStringLiteral("Attenzione"), QStringLiteral("TXT_CONTO_StartLookup"));
                       return;
                   }
                   if (!m_accountLookup)
                       raiseMissing(QStringLiteral("Il servizio di ricerca dei conti"));
                   m_accountLookup->prepare(m_context.state().pdc, types);
                   sql = m_accountLookup->sql();
                   columns = m_accountLookup->columns();
                   title = m_accountLookup->title();
                   TXT_CONTO->setLookupName(m_accountLookup->lookupName());
                   connectionText = m_context.connectionText();
               }});
}

void ProposalPage::TXT_VDS_StartDecode(QString &sql, host::DecodeTargets &targets,
                                       QString &connectionText)
{
    runHandler(m_context, QStringLiteral("TXT_VDS_StartDecode"), {[&] {
                   const QString typed = ado::NormalizzaStringa(TXT_VDS->Text());
                   if (typed.isEmpty() || !hasExpenseChart())
                       return;
                   if (!m_itemDecode)
                       raiseMissing(
                           QStringLiteral("Il servizio di decodifica delle voci di spesa"));
                   m_itemDecode->prepare(m_context.state().pdcVds, typed, nullptr);
                   sql = m_itemDecode->sql();
                   targets = m_itemDecode->targets();
                   connectionText = m_context.connectionText();
               }});
}

void ProposalPage::TXT_VDS_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                                       QString &title, QString &connectionText)
{
    runHandler(m_context, QStringLiteral("TXT_VDS_StartLookup"), {[&] {
                   if (!hasExpenseChart()) {
                       cancel = true;
                       return;
                   }
                   if (!m_itemLookup)
                       raiseMissing(QStringLiteral("Il servizio di ricerca delle voci di spesa"));
                   m_itemLookup->prepare(m_context.state().pdcVds);
                   sql = m_itemLookup->sql();
                   columns = m_itemLookup->columns();
                   title = m_itemLookup->title();
                   TXT_VDS->setLookupName(m_itemLookup->lookupName());
                   connectionText = m_context.connectionText();
               }});
}

} // namespace causali
