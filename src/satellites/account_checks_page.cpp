#include "satellites/account_checks_page.h"
#include "satellites/satellite_rules.h"

#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/window_state.h"
#include "host/check_box.h"
#include "host/check_list.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/host_global.h"
#include "host/message_dictionary.h"
#include "satellites/editor_context.h"
#include "satellites/page_support.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace causali {

namespace {

const QString CodeColumn = QStringLiteral("CI11_CODCAUS_CI03");
const QString SideColumn = QStringLiteral("CI11_SEGNO");

QString sideName(int side)
{
    return side == AccountChecksPage::SideDare ? QStringLiteral("dare (segno 1)")
                                               : QStringLiteral("avere (segno 2)");
}

// The linked codes are ticked against the account types: decoded again after a change.
void decodeLinkedCodes(host::CodeBox *box)
{
    if (!box)
        raiseMissing(QStringLiteral("La casella della causale collegata"));
    box->Decode();
}

void checkSide(int side)
{
    if (side != AccountChecksPage::SideDare && side != AccountChecksPage::SideAvere)
        ado::raise(
            5,
            QStringLiteral("Lato dei controlli conti non valido: %1 (1 dare, 2 avere)").arg(side));
}

} // namespace

const QString AccountChecksPage::Caption = QStringLiteral("&Controllo conti");

const std::array<QString, 10> &AccountChecksPage::flagColumns()
{
    static const std::array<QString, 10> columns = {
        QStringLiteral("CI11_FLGCOLLEG"),    QStringLiteral("CI11_FLGTRANSIT"),
        QStringLiteral("CI11_FLGCOMPET"),    QStringLiteral("CI11_FLGCDC"),
        QStringLiteral("CI11_FLGLAVPROG"),   QStringLiteral("CI11_FLGMAGAZ"),
        QStringLiteral("CI11_FLGMARGLORDI"), QStringLiteral("CI11_FLGMARGNETTI"),
        QStringLiteral("CI11_FLGRISULT"),    QStringLiteral("CI11_FLGALTRITIPI"),
    };
    return columns;
}

AccountChecksPage::AccountChecksPage(EditorContext &context, QWidget *parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("AccountChecksPage"));
    buildControls();
    wireControls();
}

AccountChecksPage::~AccountChecksPage() = default;

void AccountChecksPage::buildControls()
{
    FrameControlloCosti = new QGroupBox(this);
    FrameControlloCosti->setObjectName(QStringLiteral("FrameControlloCosti"));

    LIST_TIPIAVERE = new host::CheckList(FrameControlloCosti);
    LIST_TIPIAVERE->setObjectName(QStringLiteral("LIST_TIPIAVERE"));
    LIST_TIPIDARE = new host::CheckList(FrameControlloCosti);
    LIST_TIPIDARE->setObjectName(QStringLiteral("LIST_TIPIDARE"));
    QVR_LABEL1 = labelFor(QStringLiteral("Tipologie conti origine"), LIST_TIPIAVERE,
                          FrameControlloCosti);
    QVR_LABEL1->setObjectName(QStringLiteral("QVR_LABEL1"));
    QVR_LABEL2 = labelFor(QStringLiteral("Tipologie conti destinazione"), LIST_TIPIDARE,
                          FrameControlloCosti);
    QVR_LABEL2->setObjectName(QStringLiteral("QVR_LABEL2"));

    CHK_ORIGINE = new host::CheckBox(FrameControlloCosti);
    CHK_ORIGINE->setObjectName(QStringLiteral("CHK_ORIGINE"));
    CHK_ORIGINE->setLabel(QStringLiteral("Seleziona tutto"));
    CHK_DESTINAZIONE = new host::CheckBox(FrameControlloCosti);
    CHK_DESTINAZIONE->setObjectName(QStringLiteral("CHK_DESTINAZIONE"));
    CHK_DESTINAZIONE->setLabel(QStringLiteral("Seleziona tutto"));

    // Origin (credit) on the left, destination (debit) on the right.
    auto *grid = new QGridLayout(FrameControlloCosti);
    grid->addWidget(QVR_LABEL1, 0, 0);
    grid->addWidget(QVR_LABEL2, 0, 1);
    grid->addWidget(LIST_TIPIAVERE, 1, 0);
    grid->addWidget(LIST_TIPIDARE, 1, 1);
    grid->addWidget(CHK_ORIGINE, 2, 0);
    grid->addWidget(CHK_DESTINAZIONE, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);

    auto *page = new QVBoxLayout(this);
    page->addWidget(FrameControlloCosti);
    setTabOrder(LIST_TIPIAVERE, CHK_ORIGINE);
    setTabOrder(CHK_ORIGINE, LIST_TIPIDARE);
    setTabOrder(LIST_TIPIDARE, CHK_DESTINAZIONE);
}

void AccountChecksPage::wireControls()
{
    connect(LIST_TIPIDARE, &host::CheckList::ItemCheck, this,
            &AccountChecksPage::LIST_TIPIDARE_ItemCheck);
    connect(LIST_TIPIAVERE, &host::CheckList::ItemCheck, this,
            &AccountChecksPage::LIST_TIPIAVERE_ItemCheck);
    connect(CHK_ORIGINE, &host::CheckBox::Click, this, &AccountChecksPage::CHK_ORIGINE_Click);
    connect(CHK_DESTINAZIONE, &host::CheckBox::Click, this,
            &AccountChecksPage::CHK_DESTINAZIONE_Click);
}

// ------------------------------------------------------------------ the check row set

void AccountChecksPage::setCheckRecordset(std::unique_ptr<ado::Recordset> recordset)
{
    releaseCheckRecordset();
    m_checkRecordset = std::move(recordset);
}

void AccountChecksPage::releaseCheckRecordset()
{
    if (m_checkRecordset)
        m_checkRecordset->Close();
    m_checkRecordset.reset();
}

ado::Recordset &AccountChecksPage::requireRecordset(const char *routine) const
{
    if (!m_checkRecordset || m_checkRecordset->State() != ado::adStateOpen)
        ado::raise(91, QStringLiteral("%1: il recordset dei controlli conti non è aperto")
                           .arg(QLatin1String(routine)));
    return *m_checkRecordset;
}

host::CheckList *AccountChecksPage::listOf(int side) const
{
    return side == SideDare ? LIST_TIPIDARE : LIST_TIPIAVERE;
}

// Makes the row of the side current: the rows are found by CI11_SEGNO, whatever their order.
void AccountChecksPage::moveToSide(int side)
{
    checkSide(side);
    ado::Recordset &rs = requireRecordset("moveToSide");
    if (rs.RecordCount() > 0) {
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
            if (ado::NormalizzaNumero(rs.Fields(SideColumn).Value()) == QString::number(side))
                return;
        }
    }
    ado::raise(
        3021,
        QStringLiteral("Nessuna riga dei controlli conti per il lato %1").arg(sideName(side)));
}

// ------------------------------------------------------------------ filling the lists

void AccountChecksPage::FillAccountTypeLists()
{
    ado::passUp(QStringLiteral("FillAccountTypeLists"), [this] {
        host::HostGlobal *global = m_context.hostGlobal();
        if (!global)
            raiseMissing(QStringLiteral("l'oggetto globale dell'host"));
        const host::MessageDictionary &messages = *global->messageDictionary();
        // A start-up run again after an abort fills the lists again: they start empty.
        for (host::CheckList *list : {LIST_TIPIAVERE, LIST_TIPIDARE}) {
            list->clearItems();
            for (int i = 0; i < 10; ++i)
                list->addCheckItem(messages.GetText(host::msg::AccountTypeTexts[i]), i);
        }
    });
}

void AccountChecksPage::PopolaListe()
{
    ado::passUp(QStringLiteral("PopolaListe"), [this] {
        QScopedValueRollback<bool> guard(m_filling, true);
        ado::Recordset &rs = requireRecordset("PopolaListe");
        if (rs.RecordCount() == 0) {
            const QString code = codiceCausale(m_context.headerView());
            addClearRow(SideDare, code);
            addClearRow(SideAvere, code);
        }
        moveToSide(SideDare);
        showRow(LIST_TIPIDARE);
        moveToSide(SideAvere);
        showRow(LIST_TIPIAVERE);
        showSelectAll(SideDare);
        showSelectAll(SideAvere);
    });
    emit accountTypesUpdated();
}

void AccountChecksPage::addClearRow(int side, const QString &code)
{
    ado::Recordset &rs = *m_checkRecordset;
    rs.AddNew();
    rs.Fields(CodeColumn).setValue(code);
    rs.Fields(SideColumn).setValue(side);
    for (const QString &column : flagColumns())
        rs.Fields(column).setValue(int(BooleanoANumero(false)));
    rs.Update();
}

void AccountChecksPage::showRow(host::CheckList *list)
{
    ado::Recordset &rs = *m_checkRecordset;
    for (int i = 0; i < 10; ++i)
        list->setTicked(i, NumeroABooleano(rs.Fields(flagColumns()[i]).Value()));
}

// ------------------------------------------------------------------ the user's ticks

void AccountChecksPage::LIST_TIPIDARE_ItemCheck(int Item)
{
    if (m_filling)
        return;
    runHandler(m_context, QStringLiteral("LIST_TIPIDARE_ItemCheck"),
               {[&] { itemCheck(SideDare, Item); }, [this] { markChanged(); },
                [this] { decodeLinkedCodes(m_context.linkedCodeBox()); },
                [this] { decodeLinkedCodes(m_context.referenceCodeBox()); }});
}

void AccountChecksPage::LIST_TIPIAVERE_ItemCheck(int Item)
{
    if (m_filling)
        return;
    runHandler(m_context, QStringLiteral("LIST_TIPIAVERE_ItemCheck"),
               {[&] { itemCheck(SideAvere, Item); }, [this] { markChanged(); },
                [this] { decodeLinkedCodes(m_context.linkedCodeBox()); },
                [this] { decodeLinkedCodes(m_context.referenceCodeBox()); }});
}

void AccountChecksPage::itemCheck(int side, int item)
{
    moveToSide(side);
    if (item < 0 || item >= 10)
        ado::raise(3265, QStringLiteral("Tipologia di conto %1 non prevista (0..9)").arg(item));
    ado::Recordset &rs = *m_checkRecordset;
    rs.Fields(flagColumns()[item]).setValue(int(BooleanoANumero(listOf(side)->isTicked(item))));
    rs.Update();
    showSelectAll(side);
}

// "Seleziona tutto" of a side is ticked when all ten types are, so that a click on it does what
// it says (a value set from code raises no Click).
void AccountChecksPage::showSelectAll(int side)
{
    const host::CheckList *list = listOf(side);
    const bool all = list->count() > 0 && list->tickedCount() == list->count();
    (side == SideDare ? CHK_DESTINAZIONE : CHK_ORIGINE)
        ->setText(all ? QStringLiteral("1") : QStringLiteral("0"));
}

// AccountTypesChanged, and the header frame told that its record changed.
void AccountChecksPage::markChanged()
{
    m_context.state().AccountTypesChanged = true;
    if (host::DataFrame *header = m_context.headerFrame())
        header->Refresh();
    emit accountTypesUpdated();
}

void AccountChecksPage::CHK_ORIGINE_Click()
{
    runHandler(m_context, QStringLiteral("CHK_ORIGINE_Click"), {[this] {
                   const QString value = CHK_ORIGINE->Text();
                   if (value == QLatin1String("0"))
                       DeselezionaTutteLeTipologie(SideAvere);
                   else if (value == QLatin1String("1"))
                       SelezionaTutteLeTipologie(SideAvere);
               }});
}

void AccountChecksPage::CHK_DESTINAZIONE_Click()
{
    runHandler(m_context, QStringLiteral("CHK_DESTINAZIONE_Click"), {[this] {
                   const QString value = CHK_DESTINAZIONE->Text();
                   if (value == QLatin1String("0"))
                       DeselezionaTutteLeTipologie(SideDare);
                   else if (value == QLatin1String("1"))
                       SelezionaTutteLeTipologie(SideDare);
               }});
}

void AccountChecksPage::SelezionaTutteLeTipologie(int side)
{
    ado::passUp(QStringLiteral("SelezionaTutteLeTipologie"), [&] { setAllTypes(side, true); });
}

void AccountChecksPage::DeselezionaTutteLeTipologie(int side)
{
    ado::passUp(QStringLiteral("DeselezionaTutteLeTipologie"), [&] { setAllTypes(side, false); });
}

// The flags go into the row's edit buffer (written when the row set updates or moves);
// the lists are set under the guard, so no item event runs.
void AccountChecksPage::setAllTypes(int side, bool ticked)
{
    moveToSide(side);
    ado::Recordset &rs = *m_checkRecordset;
    for (const QString &column : flagColumns())
        rs.Fields(column).setValue(int(BooleanoANumero(ticked)));
    {
        QScopedValueRollback<bool> guard(m_filling, true);
        host::CheckList *list = listOf(side);
        for (int i = 0; i < 10; ++i)
            list->setTicked(i, ticked);
    }
    markChanged();
}

// ------------------------------------------------------------------ the save's checks

bool AccountChecksPage::ControlloTipiImpostati() const
{
    return ado::passUp(QStringLiteral("ControlloTipiImpostati"), [this] {
        return satellite_rules::typesChosenOnBothSides(
            {selectedTypes(SideDare), selectedTypes(SideAvere)});
    });
}

bool AccountChecksPage::ControlloNumeroTipi() const
{
    return ado::passUp(QStringLiteral("ControlloNumeroTipi"), [this] {
        host::ComboBox *movDati = m_context.movementCombo();
        if (!movDati)
            raiseMissing(QStringLiteral("La casella del tipo di movimentazione dati"));
        const QString kind = ado::NormalizzaStringa(movDati->Text());
        bool number = false;
        const int movement = kind.toInt(&number);
        return satellite_rules::typeCountAllowed(
            number ? movement : -1, {selectedTypes(SideDare), selectedTypes(SideAvere)});
    });
}

host::AccountTypes AccountChecksPage::selectedTypes(int side) const
{
    checkSide(side);
    host::AccountTypes types{};
    host::CheckList *list = listOf(side);
    for (int i = 0; i < 10 && i < list->count(); ++i)
        types[std::size_t(i)] = list->isTicked(i);
    return types;
}

bool AccountChecksPage::NumeroABooleano(const QVariant &value)
{
    return ado::CDbl(ado::NormalizzaNumero(value)) != 0.0;
}

quint8 AccountChecksPage::BooleanoANumero(bool value)
{
    return value ? 1 : 0;
}

} // namespace causali
