// The header panel: its controls and their layout, the texts its row sets are opened on, and
// the configuration of the header frame (ConfigurazioneFrame).

#include "header/header_panel.h"

#include "header/save_unit.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/sql_text.h"
#include "data/window_state.h"
#include "host/check_box.h"
#include "host/cinterface.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/handler_connection.h"
#include "host/lookup_services.h"
#include "host/main_navigator.h"
#include "host/recordset_factory.h"
#include "satellites/account_checks_page.h"
#include "satellites/child_sql.h"
#include "satellites/editor_context.h"
#include "satellites/journals_page.h"
#include "satellites/page_support.h"
#include "satellites/proposal_page.h"
#include "satellites/search_sequence_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace causali {

namespace {

constexpr int ComboCharacters = 28;
constexpr int DescriptionCharacters = 40;
// Description boxes start this wide and take the room the window gives them, so that the
// window keeps its design width (732 pixels) instead of growing to fit 40 characters.
constexpr int DescriptionMinimumCharacters = 12;
constexpr int CodeDescriptionMinimumCharacters = 20;

host::CodeBox *codeBox(QWidget *parent, const char *name, const QString &field,
                       const QString &caption, const QString &tag, int maxLength)
{
    auto *box = new host::CodeBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setDataField(field);
    box->setCaption(caption);
    box->setToolTip(tag);
    box->setMaxLength(maxLength);
    return box;
}

// A code box as wide as its display width: the room left in its row goes to the description.
void keepCompact(host::EditBox *box, int characters)
{
    box->setDisplayWidth(characters);
    box->lineEdit()->setMaximumWidth(box->lineEdit()->minimumWidth());
}

// A box that shows the description of the code beside it: never typed into, never bound.
host::CodeBox *descriptionBox(QWidget *parent, const char *name)
{
    auto *box = new host::CodeBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(DescriptionCharacters);
    box->setDisplayWidth(DescriptionMinimumCharacters);
    box->setDecodeEnabled(false);
    box->setEnabled(false);
    return box;
}

host::ComboBox *comboBox(QWidget *parent, const char *name, const QString &field,
                         const QString &caption, const QString &tag, int defaultCode)
{
    auto *combo = new host::ComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setDataField(field);
    combo->setCaption(caption);
    combo->setToolTip(tag);
    combo->setDefaultValue(defaultCode);
    combo->setMaxLength(ComboCharacters);
    return combo;
}

host::CheckBox *checkBox(QWidget *parent, const char *name, const QString &field,
                         const QString &tag)
{
    auto *check = new host::CheckBox(parent);
    check->setObjectName(QLatin1String(name));
    check->setDataField(field);
    check->setCaption(tag);
    check->setToolTip(tag);
    check->setDefaultValue(0);
    return check;
}

QLabel *namedLabel(const char *name, const QString &text, QWidget *buddy, QWidget *parent)
{
    QLabel *label = labelFor(text, buddy, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

// One row of the page: the label, then the row's controls from the left. A row that ends
// with a description box lets it stretch to the right edge.
void addRow(QGridLayout *grid, QLabel *label, std::initializer_list<QWidget *> controls,
            QWidget *description = nullptr)
{
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    auto *line = new QHBoxLayout;
    for (QWidget *control : controls)
        line->addWidget(control);
    if (description)
        line->addWidget(description, 1);
    else
        line->addStretch(1);
    grid->addLayout(line, row, 1);
}

} // namespace

const QString HeaderPanel::Caption = QStringLiteral("Dati ana&grafici");
const QString HeaderPanel::CodeGroupCaption = QStringLiteral("Causale");

HeaderPanel::HeaderPanel(EditorContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_lookup(std::make_unique<host::CostAccountingLookup>())
    , m_modelDecode(std::make_unique<host::ModelDecodeService>())
    , m_saveUnit(std::make_unique<SaveUnit>(context, *this))
{
    setObjectName(QStringLiteral("HeaderPanel"));
    buildControls();
    wireControls();
}

HeaderPanel::~HeaderPanel()
{
    releaseFrames();
}

// ------------------------------------------------------------------ controls

void HeaderPanel::buildControls()
{
    buildCodeGroup();
    buildFieldsPage();
}

void HeaderPanel::buildCodeGroup()
{
    m_codeGroup = new QGroupBox(CodeGroupCaption, this);
    m_codeGroup->setObjectName(QStringLiteral("GRB_CAUSALE"));
    m_codeGroup->hide(); // shown where the window places it

    TXT_CAUSALE = codeBox(m_codeGroup, "TXT_CAUSALE", QStringLiteral("CI03_CODCAUS"),
                          QStringLiteral("Codice"), QStringLiteral("Codice"), 4);
    TXT_CAUSALE->setUpperCase(true);
    TXT_CAUSALE->setRequired(true);
    TXT_CAUSALE->setLookupEnabled(true);
    keepCompact(TXT_CAUSALE, 6);

    TXT_DCAUSALE = codeBox(m_codeGroup, "TXT_DCAUSALE", QStringLiteral("CI99_DESCRIZIONE"),
                           QStringLiteral("Descrizione"), QStringLiteral("Descrizione"),
                           DescriptionCharacters);
    TXT_DCAUSALE->setDisplayWidth(CodeDescriptionMinimumCharacters);
    TXT_DCAUSALE->setMultiLanguage(true);
    TXT_DCAUSALE->setDecodeEnabled(false);

    auto *line = new QHBoxLayout(m_codeGroup);
    line->addWidget(labelFor(QStringLiteral("Codice"), TXT_CAUSALE, m_codeGroup));
    line->addWidget(TXT_CAUSALE);
    line->addSpacing(16);
    line->addWidget(labelFor(QStringLiteral("Descrizione"), TXT_DCAUSALE, m_codeGroup));
    line->addWidget(TXT_DCAUSALE, 1);
}

void HeaderPanel::buildFieldsPage()
{
    createFieldControls();
    createFieldLabels();
    layoutFieldsPage();
}

void HeaderPanel::createFieldControls()
{
    CBO_MOVDATI = comboBox(this, "CBO_MOVDATI", QStringLiteral("CI03_INDTIPOMOVDATI"),
                           QStringLiteral("Tipo movimentazione dati"),
                           QStringLiteral("Tipo movimentazione dati"), 0);
    CBO_TIPOCOSTO = comboBox(this, "CBO_TIPOCOSTO", QStringLiteral("CI03_INDTIPOCOSRIC"),
                             QStringLiteral("Tipologia: costo / ricavo"),
                             QStringLiteral("Tipologia: costo / ricavo"), 0);
    CBO_TIPOMODELLO = comboBox(this, "CBO_TIPOMODELLO", QStringLiteral("CI03_INDSTAPER_CI04"),
                               QStringLiteral("Tipo modello: standard / personalizzato"),
                               QStringLiteral("Tipo modello: standard / personalizzato"), 0);
    // Its captions ("Standard", "Personalizzato") are short, and the row also holds the model
    // and its description: the box is made only as wide as they need.
    CBO_TIPOMODELLO->setMaxLength(16);
    TXT_MODELLO = codeBox(this, "TXT_MODELLO", QStringLiteral("CI03_MODELLO_CI04"),
                          QStringLiteral("Modello"), QStringLiteral("Codice modello di movimento"),
                          14);
    TXT_MODELLO->setUpperCase(true);
    TXT_MODELLO->setRequired(true);
    TXT_MODELLO->setLookupEnabled(true);
    TXT_MODELLO->setManagementKey(true);
    TXT_MODELLO->setLookupKeyColumn(0); // the lookup's first column holds the model
    keepCompact(TXT_MODELLO, 14);
    TXT_DMODELLO = descriptionBox(this, "TXT_DMODELLO");
    CBO_TIPOPROPCOSTO = comboBox(this, "CBO_TIPOPROPCOSTO", QStringLiteral("CI03_INDPROPCOSTO"),
                                 QStringLiteral("Tipo costo standard"),
                                 QStringLiteral("Generazione movimenti a costo standard"), 0);
    CBO_PROVCOSTO = comboBox(this, "CBO_PROVCOSTO", QStringLiteral("CI03_INDPROVCOSTO"),
                             QStringLiteral("Provenienza costo"),
                             QStringLiteral("Anagrafica di prelievo del costo standard "
                                            "anagrafico"),
                             2);
    TXT_CAUCOLL = codeBox(this, "TXT_CAUCOLL", QStringLiteral("CI03_CODCAUSCOLL"),
                          QStringLiteral("Causale collegata"), QStringLiteral("Causale collegata"),
                          4);
    TXT_DCAUCOLL = descriptionBox(this, "TXT_DCAUCOLL");
    TXT_CAUCOLLRIF = codeBox(this, "TXT_CAUCOLLRIF", QStringLiteral("CI03_CAUSCOLLRIF_CI03"),
                             QStringLiteral("Causale per movimento da riferimento"),
                             QStringLiteral("Causale per movimento da riferimento"), 4);
    TXT_DCAUCOLLRIF = descriptionBox(this, "TXT_DCAUCOLLRIF");
    for (host::CodeBox *box : {TXT_CAUCOLL, TXT_CAUCOLLRIF}) {
        box->setUpperCase(true);
        box->setLookupEnabled(true);
        keepCompact(box, 6);
    }
    CBO_TIPOQTAVAL = comboBox(this, "CBO_TIPOQTAVAL", QStringLiteral("CI03_INDREGVALQTA"),
                              QStringLiteral("Qta/Valore"),
                              QStringLiteral("Tipo valorizzazione: qta. / valore"), 0);
    CHK_FLGNUMAUT = checkBox(this, "CHK_FLGNUMAUT", QStringLiteral("CI03_FLGNUMAUTOM"),
                             QStringLiteral("Numerazione automatica (Si/No)"));
    CHK_RILPROG = checkBox(this, "CHK_RILPROG", QStringLiteral("CI03_FLGRILPROG"),
                           QStringLiteral("Rilevazione movimento nel modulo progetti"));
}

void HeaderPanel::createFieldLabels()
{
    LBL_MOVDATI = namedLabel("LBL_MOVDATI", QStringLiteral("Movimentazione dati"), CBO_MOVDATI,
                             this);
    LBL_TIPOCOSTO = namedLabel("LBL_TIPOCOSTO", QStringLiteral("Segno"), CBO_TIPOCOSTO, this);
    LBL_MODELLO = namedLabel("LBL_MODELLO", QStringLiteral("Modello"), CBO_TIPOMODELLO, this);
    LBL_TIPOPROPCOSTO = namedLabel("LBL_TIPOPROPCOSTO", QStringLiteral("Tipo costo standard"),
                                   CBO_TIPOPROPCOSTO, this);
    LBL_PROVCOSTO = namedLabel("LBL_PROVCOSTO", QStringLiteral("Prov. costo standard"),
                               CBO_PROVCOSTO, this);
    LBL_CAUCOLL = namedLabel("LBL_CAUCOLL", QStringLiteral("Causale collegata"), TXT_CAUCOLL, this);
    LBL_CAUCOLLRIF = namedLabel("LBL_CAUCOLLRIF", QStringLiteral("Causale mov. da conto di rif."),
                                TXT_CAUCOLLRIF, this);
    LBL_TIPOQTAVAL = namedLabel("LBL_TIPOQTAVAL", QStringLiteral("Valorizzazione a qta. / valore"),
                                CBO_TIPOQTAVAL, this);
    LBL_FLGNUMAUT = namedLabel("LBL_FLGNUMAUT", QStringLiteral("Numerazione automatica"),
                               CHK_FLGNUMAUT, this);
    LBL_RILPROG = namedLabel("LBL_RILPROG", QStringLiteral("Rilevazione progetti"), CHK_RILPROG,
                             this);
}

// One row per setting, the label beside its boxes, in the order the Tab key follows.
void HeaderPanel::layoutFieldsPage()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    addRow(grid, LBL_MOVDATI, {CBO_MOVDATI});
    addRow(grid, LBL_TIPOCOSTO, {CBO_TIPOCOSTO});
    addRow(grid, LBL_MODELLO, {CBO_TIPOMODELLO, TXT_MODELLO}, TXT_DMODELLO);
    addRow(grid, LBL_TIPOPROPCOSTO, {CBO_TIPOPROPCOSTO});
    addRow(grid, LBL_PROVCOSTO, {CBO_PROVCOSTO});
    addRow(grid, LBL_CAUCOLL, {TXT_CAUCOLL}, TXT_DCAUCOLL);
    addRow(grid, LBL_CAUCOLLRIF, {TXT_CAUCOLLRIF}, TXT_DCAUCOLLRIF);
    addRow(grid, LBL_TIPOQTAVAL, {CBO_TIPOQTAVAL});
    addRow(grid, LBL_FLGNUMAUT, {CHK_FLGNUMAUT});
    addRow(grid, LBL_RILPROG, {CHK_RILPROG});
    grid->setColumnStretch(1, 1);

    auto *page = new QVBoxLayout(this);
    page->addLayout(grid);
    page->addStretch(1);

    setTabOrder(CBO_MOVDATI, CBO_TIPOCOSTO);
    setTabOrder(CBO_TIPOCOSTO, CBO_TIPOMODELLO);
    setTabOrder(CBO_TIPOMODELLO, TXT_MODELLO);
    setTabOrder(TXT_MODELLO, CBO_TIPOPROPCOSTO);
    setTabOrder(CBO_TIPOPROPCOSTO, CBO_PROVCOSTO);
    setTabOrder(CBO_PROVCOSTO, TXT_CAUCOLL);
    setTabOrder(TXT_CAUCOLL, TXT_CAUCOLLRIF);
    setTabOrder(TXT_CAUCOLLRIF, CBO_TIPOQTAVAL);
    setTabOrder(CBO_TIPOQTAVAL, CHK_FLGNUMAUT);
    setTabOrder(CHK_FLGNUMAUT, CHK_RILPROG);
}

void HeaderPanel::wireControls()
{
    connect(TXT_CAUSALE, &host::EditBox::AfterItem, this, &HeaderPanel::TXT_CAUSALE_AfterItem);
    host::connectHandler(TXT_CAUSALE, &host::EditBox::StartLookup, this,
                         &HeaderPanel::TXT_CAUSALE_StartLookup);
    connect(TXT_DCAUSALE, &host::CodeBox::BeforeEdit, this, &HeaderPanel::TXT_DCAUSALE_BeforeEdit);
    connect(TXT_DCAUSALE, &host::EditBox::AfterItem, this, &HeaderPanel::TXT_DCAUSALE_AfterItem);
    host::connectHandler(TXT_DCAUSALE, &host::CodeBox::OpenDescrizioniInLingua, this,
                         &HeaderPanel::TXT_DCAUSALE_OpenDescrizioniInLingua);
    connect(TXT_DCAUSALE, &host::CodeBox::CloseDescrizioniInLingua, this,
            &HeaderPanel::TXT_DCAUSALE_CloseDescrizioniInLingua);
    wireFieldRules();
    wireLinkedCodes();
}

void HeaderPanel::wireHeaderFrame()
{
    host::DataFrame *frame = m_frameTestata.get();
    connect(frame, &host::DataFrame::AfterUndo, this, &HeaderPanel::gclsFrameTestata_AfterUndo);
    connect(frame, &host::DataFrame::AfterUpdate, this, &HeaderPanel::gclsFrameTestata_AfterUpdate);
    host::connectHandler(frame, &host::DataFrame::BeforeDelete, this,
                         &HeaderPanel::gclsFrameTestata_BeforeDelete);
    host::connectHandler(frame, &host::DataFrame::BeforeUpdate, this,
                         &HeaderPanel::gclsFrameTestata_BeforeUpdate);
    connect(frame, &host::DataFrame::ChangeStatus, this,
            &HeaderPanel::gclsFrameTestata_ChangeStatus);
    host::connectHandler(frame, &host::DataFrame::IsRecordChanged, this,
                         &HeaderPanel::gclsFrameTestata_IsRecordChanged);
    host::connectHandler(frame, &host::DataFrame::ValidateRecord, this,
                         &HeaderPanel::gclsFrameTestata_ValidateRecord);
}

// ------------------------------------------------------------------ texts

QString HeaderPanel::headerSelectText()
{
    return sql::lines({
               QStringLiteral("SELECT"),
               QStringLiteral("      CI03_CODCAUS"),
               QStringLiteral("    , CI03_DESCR"),
               QStringLiteral("    , CI03_INDTIPOCOSRIC"),
               QStringLiteral("    , CI03_INDTIPOMOVDATI"),
               QStringLiteral("    , CI03_INDPROPCOSTO"),
               QStringLiteral("    , CI03_INDPROVCOSTO"),
               QStringLiteral("    , CI03_INDSTAPER_CI04"),
               QStringLiteral("    , CI03_MODELLO_CI04"),
               QStringLiteral("    , CI03_CODCAUSCOLL"),
               QStringLiteral("    , CI03_CAUSCOLLRIF_CI03"),
               QStringLiteral("    , CI03_INDREGVALQTA"),
               QStringLiteral("    , CI03_FLGNUMAUTOM"),
               QStringLiteral("    , CI03_FLGRILPROG"),
               QStringLiteral("    , CI03_IDPROV"),
               QStringLiteral("FROM"),
               QStringLiteral("    CI03_CAUSALI WITH (NOLOCK) "),
               // The codes in their own order, the order the window browses them in.
               QStringLiteral("ORDER BY"),
               QStringLiteral("    CI03_CODCAUS"),
           })
           + sql::crlf;
}

QString HeaderPanel::languageSelectText(const QString &codLingua)
{
    return sql::lines({
        QStringLiteral("SELECT  CI99_CODLINGUA_MG52, "),
        QStringLiteral("        CI99_PROVID_FW4A, "),
        QStringLiteral("        CI99_IDPROV, "),
        QStringLiteral("        CI99_DESCRIZIONE "),
        QStringLiteral("        FROM #CI99_DESLINGUA "),
        QStringLiteral("  WHERE CI99_PROVID_FW4A = 903 "),
        QStringLiteral("    AND CI99_CODLINGUA_MG52 = ") + sql::quoted(codLingua),
    });
}

QVariant HeaderPanel::idProv() const
{
    if (!m_frameTestata || !m_recordsetTestata || !m_frameTestata->hasCurrentRow())
        return QVariant();
    return m_recordsetTestata->Fields(QStringLiteral("CI03_IDPROV")).Value();
}

// ------------------------------------------------------------------ configuration

void HeaderPanel::ConfigurazioneFrame()
{
    ado::passUp(QStringLiteral("ConfigurazioneFrame"), [&] {
        ado::Connection &connection = connectionOf(m_context.state());
        host::Cinterface *module = m_context.ActiveInterface();
        if (!module)
            raiseMissing(QStringLiteral("L'interfaccia del modulo"));
        releaseFrames();

        // The boxes decode what the frame shows as soon as they are bound.
        for (host::CodeBox *box :
             {TXT_CAUSALE, TXT_DCAUSALE, TXT_MODELLO, TXT_CAUCOLL, TXT_CAUCOLLRIF})
            box->setConnection(&connection);
        for (host::LookupObject *object :
             std::initializer_list<host::LookupObject *>{m_lookup.get(), m_modelDecode.get()}) {
            object->setModuleInterface(module);
            object->setConnection(&connection);
        }

        m_sqlTestata = headerSelectText();
        // A keyset: the codes are read at start-up, each code's fields when it is shown, so
        // the start-up does not grow with the number of codes stored.
        m_recordsetTestata = host::RecordsetFactory().newRecordset();
        m_recordsetTestata->setCursorLocation(ado::adUseServer);
        m_recordsetTestata->Open(m_sqlTestata, &connection, ado::adOpenKeyset,
                                 ado::adLockBatchOptimistic, ado::adCmdText);
        // Browsing follows the codes' alphabetical order, as the search list does, not the
        // order in which they were entered: the SELECT reads them in that order, and the first
        // code saved sorts the row set so that new codes take their places.

        m_frameTestata = std::make_unique<host::DataFrame>();
        wireHeaderFrame();
        m_frameTestata->Initialize(module, &connection, m_recordsetTestata.get(), m_sqlTestata,
                                   QStringLiteral("CI03_CODCAUS"), m_context.mainNavigator(),
                                   nullptr);
        // TXT_DMODELLO, the model's description, has no column: the frame leaves it alone and
        // the box follows TXT_MODELLO through its decode.
        for (host::Bindable *control : std::initializer_list<host::Bindable *>{
                 TXT_CAUSALE, CBO_MOVDATI, CBO_TIPOCOSTO, CBO_TIPOMODELLO, TXT_MODELLO,
                 TXT_DMODELLO, CBO_TIPOPROPCOSTO, CBO_PROVCOSTO, TXT_CAUCOLL, TXT_CAUCOLLRIF,
                 CBO_TIPOQTAVAL, CHK_FLGNUMAUT, CHK_RILPROG})
            m_frameTestata->AddControl(control, nullptr);
        m_frameTestata->setFirstControl(TXT_CAUSALE);
        // The navigator's search lists each code with its (base-language) description.
        m_frameTestata->addSearchColumn(QStringLiteral("CI03_DESCR"),
                                        QStringLiteral("Descrizione"));
        m_frameTestata->setOptionA(true);
        m_frameTestata->setOptionB(true);
        m_frameTestata->setOptionC(true);
        m_frameTestata->setOptionD(true);
        m_frameTestata->setMessageSubject(QStringLiteral("della causale"),
                                          QStringLiteral("della causale"));
        m_frameTestata->setOptionE(-1);
        m_frameTestata->setWriteUnit(m_saveUnit.get());
        module->setActiveFrame(m_frameTestata.get());

        ConfigurazioneCausaleLingua();
        SearchSequencePage *search = m_context.searchSequencePage();
        JournalsPage *journals = m_context.journalsPage();
        ProposalPage *proposal = m_context.proposalPage();
        AccountChecksPage *checks = m_context.accountChecksPage();
        if (!search || !journals || !proposal || !checks)
            raiseMissing(QStringLiteral("Una pagina dei dati collegati"));
        search->ConfigurazioneFrameRic();
        journals->ConfigurazioneFrameSezionali();
        proposal->ConfigurazioneFrameSviluppo();

        checks->setCheckRecordset(openRecordset(m_context, childsql::emptyChecksText()));
        m_context.state().AccountTypesChanged = false;
    });
}

void HeaderPanel::releaseFrames()
{
    if (m_frameLingua)
        m_frameLingua->Terminate();
    if (m_frameTestata)
        m_frameTestata->Terminate();
    m_frameLingua.reset();
    m_frameTestata.reset();
    for (auto *recordset : {m_recordsetLingua.get(), m_recordsetTestata.get()}) {
        if (recordset && recordset->State() == ado::adStateOpen)
            ado::ignoreErrors({[recordset] { recordset->Close(); }});
    }
    m_recordsetLingua.reset();
    m_recordsetTestata.reset();
}

// ------------------------------------------------------------------ reason-code box

// While a new reason code is entered, the code typed keys the satellite rows entered so far
// and frees their editors; an emptied code clears and locks them. A code that is already
// stored makes the frame show that row instead (status 0: nothing to do here).
void HeaderPanel::TXT_CAUSALE_AfterItem()
{
    runHandler(m_context, QStringLiteral("TXT_CAUSALE_AfterItem"),
               {
                   [&] {
                       host::DataFrame *frame = m_frameTestata.get();
                       if (!frame || frame->Status() != host::DataFrame::StatusNew)
                           return;
                       frame->RefreshRow(true, true);
                       if (frame->Status() != host::DataFrame::StatusNew)
                           return;
                       if (!ado::NormalizzaStringa(TXT_CAUSALE->Text()).isEmpty()) {
                           m_context.RefreshChild();
                           m_context.AbilitazioneControlliSatelliti(false);
                       } else {
                           m_context.ClearChild();
                           m_context.AbilitazioneControlliSatelliti(true);
                       }
                   },
               });
}

void HeaderPanel::TXT_CAUSALE_StartLookup(bool & /*cancel*/, QString &sql,
                                          host::ColumnTable &columns, QString &title,
                                          QString &connectionText)
{
    runHandler(m_context, QStringLiteral("TXT_CAUSALE_StartLookup"),
               {
                   [&] {
                       m_lookup->prepareReasonCodes();
                       sql = m_lookup->sql();
                       columns = m_lookup->columns();
                       title = m_lookup->title();
                       connectionText = m_context.connectionText();
                   },
               });
}

} // namespace causali
