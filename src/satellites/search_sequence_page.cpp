#include "satellites/search_sequence_page.h"
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
#include "host/data_frame.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/lookup_services.h"
#include "host/number_box.h"
#include "host/small_controls.h"
#include "satellites/editor_context.h"
#include "satellites/page_support.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <tuple>

namespace causali {

namespace {

const QString KeyColumn = QStringLiteral("CI06_PROGRESSIVO");
const QString CodeColumn = QStringLiteral("CI06_CAUSALE_CI03");
const QString SideColumn = QStringLiteral("CI06_INDSEGNO");
const QString RowTypeColumn = QStringLiteral("CI06_INDTIPORIGA");
const QString ProviderColumn = QStringLiteral("CI06_PROVIDER_CI07");
const QString DescriptionColumn = QStringLiteral("CI06_PROVIDER_CI07_DESC");
constexpr int SearchTab = 3;

bool isButton(const QString &name, const char *button)
{
    return name == QLatin1String(button);
}

host::ToolButton *moveButton(Qt::ArrowType arrow, const QString &toolTip, QWidget *parent)
{
    auto *button = new host::ToolButton(parent);
    button->setArrowType(arrow);
    button->setToolTip(toolTip);
    button->setEnabled(false); // on once a row is shown that can move
    return button;
}

host::NumberBox *providerBox(QWidget *parent)
{
    auto *box = new host::NumberBox(parent);
    box->setDataField(ProviderColumn);
    box->setCaption(QStringLiteral("Codice provider"));
    box->setToolTip(QStringLiteral("Codice provider"));
    box->setMaxLength(5);
    box->setDisplayWidth(5);
    box->setLookupEnabled(true);
    box->setDecodeEnabled(true);
    box->setRequired(true);
    return box;
}

host::CodeBox *providerDescriptionBox(QWidget *parent)
{
    auto *box = new host::CodeBox(parent);
    box->setCaption(QStringLiteral("Descrizione provider"));
    box->setToolTip(QStringLiteral("Descrizione provider"));
    box->setMaxLength(80);
    box->setDisplayWidth(28); // the whole text shows in the grid; the box keeps to its side
    box->setDecodeEnabled(false);
    box->setEnabled(false);
    return box;
}

// The names of one side: its caption, the object names of its controls, and the names its
// frame and move buttons report errors with.
struct SideNames
{
    const char *title;
    const char *group;
    const char *label;
    const char *grid;
    const char *navigator;
    const char *up;
    const char *down;
    const char *provider;
    const char *description;
    const char *frame;
    const char *upHandler;
    const char *downHandler;
};

const SideNames DestNames = {"Ricerca conto destinazione",
                             "GRB_RICDEST",
                             "LBL_RICDEST",
                             "GRD_RICDEST",
                             "GNV_RICDEST",
                             "CMD_RICSUDest",
                             "CMD_RICGIUDEST",
                             "TXT_RICPROVDEST",
                             "TXT_DRICPROVDEST",
                             "gclsFrameRicDest",
                             "CMD_RICSUDEST_Click",
                             "CMD_RICGIUDEST_Click"};
const SideNames OriginNames = {"Ricerca conto origine",
                               "GRB_RICORIGINE",
                               "LBL_RICORIGINE",
                               "GRD_RICORIGINE",
                               "GNV_RICORIGINE",
                               "CMD_RICSUORIGINE",
                               "CMD_RICGIUORIGINE",
                               "TXT_RICPROVORIGINE",
                               "TXT_DRICPROVORIGINE",
                               "gclsFrameRicOrigine",
                               "CMD_RICSUORIGINE_ButtonClick",
                               "CMD_RICGIUORIGINE_Click"};

} // namespace

const QString SearchSequencePage::Caption = QStringLiteral("&Sequenza di ricerca conti");

SearchSequencePage::SearchSequencePage(EditorContext &context, QWidget *parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("SearchSequencePage"));
    buildControls();
    wireSide(SideOrigine);
    wireSide(SideDest);
    connect(CBO_RICTIPORIGA, &host::ComboBox::BeforeItem, this,
            &SearchSequencePage::CBO_RICTIPORIGA_BeforeItem);
    connect(CBO_RICTIPORIGA, &host::ComboBox::AfterItem, this,
            &SearchSequencePage::CBO_RICTIPORIGA_AfterItem);
}

SearchSequencePage::~SearchSequencePage()
{
    releaseFrames();
}

QString SearchSequencePage::selectText(const QStringList &conditions, bool withDescription)
{
    QStringList text = {QStringLiteral("SELECT"), QStringLiteral("    CI06_CAUSALE_CI03"),
                        QStringLiteral("    , CI06_INDSEGNO"),
                        QStringLiteral("    , CI06_INDTIPORIGA"),
                        QStringLiteral("    , CI06_PROVIDER_CI07")};
    if (withDescription)
        text << QStringLiteral("    , '' AS CI06_PROVIDER_CI07_DESC");
    text << QStringLiteral("    , CI06_PROGRESSIVO") << QStringLiteral("FROM")
         << QStringLiteral("    #CI06_RICERCACONTO") << QStringLiteral("WHERE") << conditions
         << QStringLiteral(" ORDER BY") << QStringLiteral("    CI06_PROGRESSIVO ASC");
    return sql::lines(text);
}

QString SearchSequencePage::configurationText()
{
    return selectText({QStringLiteral("    1 = 0")}, true);
}

// ------------------------------------------------------------------ controls

QWidget *SearchSequencePage::buildSide(int side)
{
    const SideNames &names = side == SideDest ? DestNames : OriginNames;
    auto *group = new QGroupBox(QStringLiteral("Provider"), this);
    group->setObjectName(QLatin1StringView(names.group));

    auto *grid = named(new host::Grid(this), names.grid);
    auto *title = named(labelFor(QLatin1StringView(names.title), grid, this), names.label);
    auto *navigator = named(new host::GridNavigator(this), names.navigator);
    auto *up = named(moveButton(Qt::UpArrow, QStringLiteral("Sposta su"), this), names.up);
    auto *down = named(moveButton(Qt::DownArrow, QStringLiteral("Sposta giù"), this), names.down);
    host::NumberBox *provider = named(providerBox(group), names.provider);
    host::CodeBox *description = named(providerDescriptionBox(group), names.description);

    // Code on the first line, its description under it: each side fits half of the tab.
    auto *fields = new QGridLayout(group);
    fields->addWidget(labelFor(QStringLiteral("Codice"), provider, group), 0, 0);
    fields->addWidget(provider, 0, 1, Qt::AlignLeft);
    fields->addWidget(description, 1, 0, 1, 2);
    fields->setColumnStretch(1, 1);

    SideParts &parts = sideOf(side);
    parts.grid = grid;
    parts.navigator = navigator;
    parts.provider = provider;
    parts.description = description;
    parts.up = up;
    parts.down = down;
    parts.frameName = QLatin1StringView(names.frame);
    parts.gridName = QLatin1StringView(names.grid);
    parts.boxName = QLatin1StringView(names.provider);
    parts.upLabel = QLatin1StringView(names.upHandler);
    parts.downLabel = QLatin1StringView(names.downHandler);
    if (side == SideDest)
        std::tie(GRB_RICDEST, LBL_RICDEST, GRD_RICDEST, GNV_RICDEST, TXT_RICPROVDEST,
                 TXT_DRICPROVDEST, CMD_RICSUDest, CMD_RICGIUDEST) =
            std::tie(group, title, grid, navigator, provider, description, up, down);
    else
        std::tie(GRB_RICORIGINE, LBL_RICORIGINE, GRD_RICORIGINE, GNV_RICORIGINE, TXT_RICPROVORIGINE,
                 TXT_DRICPROVORIGINE, CMD_RICSUORIGINE, CMD_RICGIUORIGINE) =
            std::tie(group, title, grid, navigator, provider, description, up, down);

    // Title, then the grid with its move buttons beside it, the navigator and the box.
    auto *column = new QWidget(this);
    auto *layout = new QGridLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(grid, 1, 0, 3, 1);
    layout->addWidget(up, 1, 1);
    layout->addWidget(down, 2, 1);
    layout->addWidget(navigator, 4, 0, 1, 2);
    layout->addWidget(group, 5, 0, 1, 2);
    layout->setRowStretch(3, 1);
    return column;
}

void SearchSequencePage::buildControls()
{
    CBO_RICTIPORIGA = named(new host::ComboBox(this), "CBO_RICTIPORIGA");
    CBO_RICTIPORIGA->setCaption(QStringLiteral("Piano dei conti"));
    CBO_RICTIPORIGA->setToolTip(QStringLiteral("Codice piano dei conti"));
    CBO_RICTIPORIGA->setRequired(false);
    CBO_RICTIPORIGA->setMaxLength(40);
    LBL_RICTIPORIGA = named(labelFor(QStringLiteral("Tipo riga"), CBO_RICTIPORIGA, this),
                            "LBL_RICTIPORIGA");

    QWidget *origine = buildSide(SideOrigine);
    QWidget *dest = buildSide(SideDest);

    auto *top = new QHBoxLayout;
    top->addWidget(LBL_RICTIPORIGA);
    top->addWidget(CBO_RICTIPORIGA);
    top->addStretch(1);
    auto *sides = new QHBoxLayout;
    sides->addWidget(origine, 1);
    sides->addWidget(dest, 1);
    auto *page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addLayout(sides, 1);
}

void SearchSequencePage::wireSide(int side)
{
    const SideParts &parts = sideOf(side);
    host::connectHandler(parts.grid, &host::Grid::CellText, this,
                         [this, side](QString &text, const QString &column, const QVariant &row) {
                             cellText(side, text, column, row);
                         });
    host::connectHandler(
        parts.grid, &host::Grid::KeyDown, this,
        [this, side](int &keyCode, int shift) { gridKeyDown(side, keyCode, shift); });
    host::Grid *grid = parts.grid;
    connect(grid, &host::Grid::layoutChanged, grid, &host::Grid::Redraw);
    connect(grid, &host::Grid::dataSourceChanged, grid, &host::Grid::Redraw);
    host::connectHandler(
        parts.navigator, &host::GridNavigator::BeforeButtonClick, this,
        [this, side](bool &cancel, const QString &name) { beforeButtonClick(side, cancel, name); });
    connect(parts.navigator, &host::GridNavigator::AfterButtonClick, this,
            [this, side](const QString &name) { afterButtonClick(side, name); });
    host::connectHandler(
        parts.provider, &host::EditBox::KeyDown, this,
        [this, side](int &keyCode, int shift) { providerKeyDown(side, keyCode, shift); });
    connect(parts.provider, &host::NumberBox::Change, this, [this, side] { providerChange(side); });
    host::connectHandler(
        parts.provider, &host::EditBox::StartDecode, this,
        [this, side](QString &sql, host::DecodeTargets &targets, QString &connection) {
            providerDecode(side, sql, targets, connection);
        });
    host::connectHandler(parts.provider, &host::EditBox::StartLookup, this,
                         [this, side](bool &, QString &sql, host::ColumnTable &columns,
                                      QString &title, QString &connection) {
                             providerLookup(side, sql, columns, title, connection);
                         });
    connect(parts.up, &host::ToolButton::Click, this, [this, side] { moveRow(side, false); });
    connect(parts.down, &host::ToolButton::Click, this, [this, side] { moveRow(side, true); });
}

void SearchSequencePage::wireFrame(int side)
{
    host::DataFrame *frame = sideOf(side).frame.get();
    host::connectHandler(frame, &host::DataFrame::BeforeAddNew, this,
                         [this, side](bool &) { beforeAddNew(side); });
    connect(frame, &host::DataFrame::AfterAddNew, this,
            [this, side](long result) { afterAddNew(side, result); });
    host::connectHandler(frame, &host::DataFrame::BeforeUpdate, this, [this, side](bool &cancel) {
        if (!cancel)
            runHandler(m_context, sideOf(side).frameName + QStringLiteral("_BeforeUpdate"),
                       {[this, side] { renumber(side); }});
    });
    host::connectHandler(
        frame, &host::DataFrame::ValidateRecord, this,
        [this, side](QObject *&control, QString &message) {
            host::NumberBox *box = sideOf(side).provider;
            runHandler(m_context, sideOf(side).frameName + QStringLiteral("_ValidateRecord"), {[&] {
                           refuseUnacceptedCode(box,
                                                satellite_rules::providerNotFoundMessage(
                                                    ado::NormalizzaStringa(box->Text())),
                                                control, message);
                       }});
        });
    connect(frame, &host::DataFrame::AfterDelete, this, [this, side](long result) {
        if (result == host::DataFrame::OperationSucceeded)
            runHandler(m_context, sideOf(side).frameName + QStringLiteral("_AfterDelete"),
                       {[this, side] { renumber(side); }});
    });
    connect(frame, &host::DataFrame::ChangeStatus, this,
            [this, side](long status, long) { changeStatus(side, status); });
    connect(frame, &host::DataFrame::UpdateBatchAll, this, [this, side] { updateBatchAll(side); });
}

// ------------------------------------------------------------------ set-up and release

void SearchSequencePage::initGrid(host::Grid *grid)
{
    host::GridColumnLayout layout;
    layout.setKeyColumn(ProviderColumn);
    grid->setColumnLayout(layout);
    grid->AddColumn(ProviderColumn, QStringLiteral("Prov."), 1, 495, true);
    grid->AddColumn(DescriptionColumn, QStringLiteral("Descrizione"), 1, 3105, true);
    grid->ApplyLayout();
}

void SearchSequencePage::INITGRD_RICORIGINE()
{
    initGrid(GRD_RICORIGINE);
}

void SearchSequencePage::INITGRD_RICDEST()
{
    initGrid(GRD_RICDEST);
}

void SearchSequencePage::ConfigurazioneFrameRic()
{
    ado::passUp(QStringLiteral("ConfigurazioneFrameRic"), [this] {
        m_context.workingTables().PreparazioneTabellaRic();
        ado::Connection &connection = connectionOf(m_context.state());
        releaseFrames();
        const QString sql = configurationText();
        configureSide(SideOrigine, sql);
        configureSide(SideDest, sql);

        TXT_RICPROVORIGINE->setConnection(&connection);
        TXT_RICPROVDEST->setConnection(&connection);
    });
}

void SearchSequencePage::configureSide(int side, const QString &sql)
{
    SideParts &parts = sideOf(side);
    parts.sql = sql;
    parts.recordset = openRecordset(m_context, sql);

    parts.frame = makeChildFrame(m_context, {parts.frameName,
                                             parts.recordset.get(),
                                             sql,
                                             KeyColumn,
                                             parts.navigator,
                                             parts.grid,
                                             {parts.provider},
                                             QStringLiteral("del provider")});
    wireFrame(side);
    addToHeaderFrame(m_context, parts.frame.get());
}

void SearchSequencePage::releaseSide(int side)
{
    SideParts &parts = sideOf(side);
    releaseFrame(parts.frame, parts.grid, parts.recordset);
}

void SearchSequencePage::releaseFrames()
{
    releaseSide(SideOrigine);
    releaseSide(SideDest);
}

// ------------------------------------------------------------------ row type

QString SearchSequencePage::rowTypeFilter() const
{
    const QString rowType = valueText(CBO_RICTIPORIGA->Text());
    // No row type chosen yet (the list is empty): no row matches, none is shown.
    if (rowType.isEmpty())
        return RowTypeColumn + QStringLiteral(" = NULL");
    return RowTypeColumn + QStringLiteral(" = ") + rowType;
}

void SearchSequencePage::AggiornamentoFiltroRic()
{
    ado::passUp(QStringLiteral("AggiornamentoFiltroRic"), [this] {
        for (int side : {int(SideOrigine), int(SideDest)}) {
            const SideParts &parts = sideOf(side);
            if (!parts.frame || !parts.recordset)
                raiseMissing(QStringLiteral("Il frame %1").arg(parts.frameName));
            const bool modified = parts.frame->Modified();
            parts.frame->ResetControls();
            parts.recordset->setFilter(rowTypeFilter());
            parts.frame->setSqlText(parts.sql);
            parts.frame->setRecordChanged(false);
            parts.provider->setChanged(false);
            parts.frame->setModified(modified);
            parts.frame->Refresh();
        }
    });
}

void SearchSequencePage::CBO_RICTIPORIGA_BeforeItem()
{
    m_previousRowType = ado::NormalizzaStringa(CBO_RICTIPORIGA->Text());
}

void SearchSequencePage::CBO_RICTIPORIGA_AfterItem()
{
    const QString rowType = ado::NormalizzaStringa(CBO_RICTIPORIGA->Text());
    if (rowType == m_previousRowType)
        return;
    bool settled = false;
    runHandler(m_context, QStringLiteral("CBO_RICTIPORIGA_AfterItem"),
               {
                   [this] {
                       // A lone new row of the old row type is dropped, not carried to the new one.
                       for (int side : {int(SideOrigine), int(SideDest)}) {
                           const SideParts &parts = sideOf(side);
                           if (parts.frame && parts.recordset
                               && parts.frame->Status() == host::DataFrame::StatusNew
                               && parts.recordset->RecordCount() == 1)
                               parts.recordset->CancelUpdate();
                       }
                   },
                   [&] {
                       SideParts &origine = sideOf(SideOrigine);
                       SideParts &dest = sideOf(SideDest);
                       settled = origine.frame->ConfirmPending(true, origine.newRowStarted, true)
                                 && dest.frame->ConfirmPending(true, dest.newRowStarted, true);
                   },
                   [&] {
                       if (settled)
                           AggiornamentoFiltroRic();
                       else
                           CBO_RICTIPORIGA->setText(m_previousRowType);
                   },
                   [&] {
                       // A refused change leaves the rows being entered as they were: asked about again.
                       if (!settled)
                           return;
                       for (SideParts &parts : m_sides)
                           parts.newRowStarted = false;
                   },
               });
}

// ------------------------------------------------------------------ tab state

void SearchSequencePage::AbilitazioneTabRic(bool enable)
{
    ado::passUp(QStringLiteral("AbilitazioneTabRic"), [&] {
        host::CodeBox *codeBox = m_context.codeBox();
        host::DataFrame *header = m_context.headerFrame();
        host::TabStrip *tabs = m_context.tabStrip();
        if (!codeBox || !header || !tabs)
            raiseMissing(QStringLiteral("La testata della finestra"));
        // A code that did not pass its decode counts as no code.
        const QString code = codeBox->IsValid() ? ado::NormalizzaStringa(codeBox->Text())
                                                : QString();
        const bool on = enable
                        && !(header->Status() == host::DataFrame::StatusNew && code.isEmpty());
        tabs->setTabEnabled(SearchTab, on);
        CBO_RICTIPORIGA->setEnabled(on);
        for (int side : {int(SideOrigine), int(SideDest)}) {
            const SideParts &parts = sideOf(side);
            parts.grid->setEnabled(on);
            const bool boxOn = on && parts.frame
                               && parts.frame->Status() == host::DataFrame::StatusNew;
            parts.provider->setEnabled(boxOn);
            parts.provider->setRequired(boxOn);
            parts.navigator->setEnabled(on);
        }
    });
}

// ------------------------------------------------------------------ frame events

void SearchSequencePage::beforeAddNew(int side)
{
    // The frame appends to the rows of every row type; the filter comes back in AfterAddNew.
    ado::ignoreErrors({[this, side] {
        if (ado::Recordset *rs = sideOf(side).recordset.get())
            rs->setFilter(QString());
    }});
}

void SearchSequencePage::afterAddNew(int side, long result)
{
    const SideParts &parts = sideOf(side);
    QVariant bookmark;
    std::unique_ptr<FrameUpdateScope> update;
    runHandler(m_context, parts.frameName + QStringLiteral("_AfterAddNew"),
               {
                   [&] {
                       if (result != host::DataFrame::OperationSucceeded)
                           return;
                       ado::Recordset &rs = currentRecordset(parts.frame.get());
                       rs.Fields(CodeColumn).setValue(codiceCausale(m_context.headerView()));
                       rs.Fields(SideColumn).setValue(side);
                       rs.Fields(RowTypeColumn).setValue(CBO_RICTIPORIGA->value());
                   },
                   [&] { bookmark = currentRecordset(parts.frame.get()).Bookmark(); },
                   [&] { update = std::make_unique<FrameUpdateScope>(*parts.frame); },
                   [&] { currentRecordset(parts.frame.get()).setFilter(rowTypeFilter()); },
                   [&] { currentRecordset(parts.frame.get()).setBookmark(bookmark); },
                   [&] { update.reset(); },
               });
}

// Ranks follow the display order of the rows of the row type shown: 1..n without gaps.
void SearchSequencePage::renumber(int side)
{
    const SideParts &parts = sideOf(side);
    ado::Recordset &rs = currentRecordset(parts.frame.get());
    FrameUpdateScope update(*parts.frame);
    std::unique_ptr<ado::Recordset> clone = rs.Clone();
    clone->setFilter(rs.Filter());
    if (clone->RecordCount() > 0) {
        for (clone->MoveFirst(); !clone->isEOF(); clone->MoveNext())
            clone->Fields(KeyColumn).setValue(qint32(clone->AbsolutePosition()));
    }
    clone.reset();
    update.end();
}

void SearchSequencePage::changeStatus(int side, long status)
{
    const SideParts &parts = sideOf(side);
    runHandler(m_context, parts.frameName + QStringLiteral("_ChangeStatus"), {[&] {
                   if (status == host::DataFrame::StatusBrowse) {
                       updateMoveButtons(parts.frame.get(), parts.up, parts.down);
                       parts.provider->setEnabled(false);
                       parts.provider->setRequired(false);
                   } else if (status == host::DataFrame::StatusNew) {
                       parts.up->setEnabled(false);
                       parts.down->setEnabled(false);
                       host::TabStrip *tabs = m_context.tabStrip();
                       if (!tabs)
                           raiseMissing(QStringLiteral("TAB_CAUSALI"));
                       parts.provider->setEnabled(tabs->TabEnabled(SearchTab));
                       parts.provider->setRequired(side == SideDest || parts.provider->isEnabled());
                   }
               }});
}

void SearchSequencePage::updateBatchAll(int side)
{
    const SideParts &parts = sideOf(side);
    runHandler(m_context, parts.frameName + QStringLiteral("_UpdateBatchAll"), {[&] {
                   if (!parts.frame)
                       raiseMissing(QStringLiteral("Il frame %1").arg(parts.frameName));
                   writePendingRows(*parts.frame, parts.grid);
               }});
}

void SearchSequencePage::gclsFrameRicOrigine_UpdateBatchAll()
{
    updateBatchAll(SideOrigine);
}

void SearchSequencePage::gclsFrameRicDest_UpdateBatchAll()
{
    updateBatchAll(SideDest);
}

// ------------------------------------------------------------------ grids and boxes

void SearchSequencePage::cellText(int side, QString &text, const QString &column,
                                  const QVariant &row)
{
    if (column != DescriptionColumn)
        return;
    const QVariant provider = sideOf(side).grid->cellValue(row, ProviderColumn);
    if (!ado::NormalizzaStringa(provider).isEmpty())
        text = m_context.lookups().DescrizioneProvider(ado::CInt(provider));
}

void SearchSequencePage::gridKeyDown(int side, int &keyCode, int shift)
{
    if (!isPlainEnter(keyCode, shift))
        return;
    const SideParts &parts = sideOf(side);
    runHandler(m_context, parts.gridName + QStringLiteral("_KeyDown"), {[&] {
                   keyCode = 0;
                   const QString nuovo = QLatin1String(host::GridNavigator::Nuovo);
                   if (parts.provider->isEnabled())
                       parts.provider->setFocus();
                   else if (parts.navigator->IsButtonEnabled(nuovo))
                       parts.navigator->FocusButton(nuovo);
               }});
}

void SearchSequencePage::providerKeyDown(int side, int &keyCode, int shift)
{
    if (!isPlainEnter(keyCode, shift))
        return;
    const SideParts &parts = sideOf(side);
    runHandler(m_context, parts.boxName + QStringLiteral("_KeyDown"), {[&] {
                   keyCode = 0;
                   QCoreApplication::processEvents();
                   if (parts.frame && parts.frame->Status() == host::DataFrame::StatusNew)
                       parts.navigator->FocusButton(QLatin1String(host::GridNavigator::Nuovo));
                   else
                       focusButtonOrGrid(parts.navigator,
                                         QLatin1String(host::GridNavigator::Conferma), parts.grid,
                                         false);
               }});
}

// The grid row of a new row shows the provider as it is typed.
void SearchSequencePage::providerChange(int side)
{
    const SideParts &parts = sideOf(side);
    ado::ignoreErrors({[&] {
        if (!parts.frame || parts.frame->Status() != host::DataFrame::StatusNew)
            return;
        const QVariant value = parts.provider->value();
        if (ado::isMissing(value))
            return;
        currentRecordset(parts.frame.get()).Fields(ProviderColumn).setValue(value);
        parts.frame->RefreshRow(true, true);
    }});
}

void SearchSequencePage::providerDecode(int side, QString &sql, host::DecodeTargets &targets,
                                        QString &connectionText)
{
    const SideParts &parts = sideOf(side);
    runHandler(m_context, parts.boxName + QStringLiteral("_StartDecode"), {[&] {
                   const QString typed = ado::NormalizzaStringa(parts.provider->Text());
                   if (typed.isEmpty()) {
                       // Nothing to decode: the description is only cleared.
                       targets = {{parts.description, QString()}};
                       return;
                   }
                   host::ProviderDecodeService *decode = m_context.providerDecode();
                   if (!decode)
                       raiseMissing(QStringLiteral("Il servizio di decodifica dei provider"));
                   decode->prepare(ado::CInt(typed), parts.description);
                   sql = decode->sql();
                   targets = decode->targets();
                   connectionText = m_context.connectionText();
               }});
}

void SearchSequencePage::providerLookup(int side, QString &sql, host::ColumnTable &columns,
                                        QString &title, QString &connectionText)
{
    runHandler(m_context, sideOf(side).boxName + QStringLiteral("_StartLookup"), {[&] {
                   host::ProviderLookupService *lookup = m_context.providerLookup();
                   if (!lookup)
                       raiseMissing(QStringLiteral("Il servizio di ricerca dei provider"));
                   lookup->prepare();
                   sql = lookup->sql();
                   columns = lookup->columns();
                   title = lookup->title();
                   connectionText = m_context.connectionText();
               }});
}

// ------------------------------------------------------------------ navigators and moves

void SearchSequencePage::beforeButtonClick(int side, bool &cancel, const QString &name)
{
    ado::ignoreErrors({[&] {
        // A new row whose provider is still empty is not followed by another one.
        const SideParts &parts = sideOf(side);
        if (isButton(name, host::GridNavigator::Nuovo) && parts.frame
            && parts.frame->Status() == host::DataFrame::StatusNew
            && ado::isMissing(parts.provider->value()))
            cancel = true;
    }});
}

void SearchSequencePage::afterButtonClick(int side, const QString &name)
{
    const SideParts &parts = sideOf(side);
    ado::ignoreErrors({[&] {
        if (isButton(name, host::GridNavigator::Nuovo)) {
            sideOf(side).newRowStarted = true;
            if (parts.provider->isEnabled())
                parts.provider->setFocus();
            else
                focusAndRedraw(parts.grid);
        } else if (isButton(name, host::GridNavigator::Conferma)) {
            focusAfterConfirm(parts.frame.get(), parts.grid);
        } else if (isButton(name, host::GridNavigator::Elimina)) {
            focusButtonOrGrid(parts.navigator, name, parts.grid, true);
        }
    }});
}

void SearchSequencePage::moveRow(int side, bool down)
{
    const SideParts &parts = sideOf(side);
    exchangeWithNeighbour(m_context, down ? parts.downLabel : parts.upLabel, parts.frame.get(),
                          parts.grid, down, {KeyColumn, QStringLiteral("CI06_ID")});
}

} // namespace causali
