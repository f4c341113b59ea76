#pragma once
// Tab 2 of the editor, "&Controllo conti": which account types a posting made with the reason
// code may use on the debit side (LIST_TIPIDARE, CI11_SEGNO 1) and on the credit side
// (LIST_TIPIAVERE, CI11_SEGNO 2).
//
// The checks of a reason code are two rows of CI11_CONTROLLOCONTI held in the check row set,
// which this page keeps for the window: the header's ConfigurazioneFrame creates and opens it
// (setCheckRecordset), the window's ShowChild/ClearChild re-open it and call PopolaListe, and
// the header's save writes it in batch when AccountTypesChanged is set. The page itself never
// writes it to the database: every tick goes into the row of its side at once and stays
// pending there.
//
// Rows are matched to the lists by CI11_SEGNO, not by their order, so a row set in any order
// shows the debit row in LIST_TIPIDARE and the credit row in LIST_TIPIAVERE.

#include "host/lookup_services.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include <array>
#include <memory>

class QGroupBox;
class QLabel;

namespace ado {
class Recordset;
}
namespace host {
class CheckBox;
class CheckList;
} // namespace host

namespace causali {

class EditorContext;

class AccountChecksPage : public QWidget
{
    Q_OBJECT

public:
    static const QString Caption; // "&Controllo conti"

    // Sides of the checks (CI11_SEGNO).
    enum Side : int { SideDare = 1, SideAvere = 2 };

    // Flag columns of CI11_CONTROLLOCONTI in list order (item i of both lists).
    static const std::array<QString, 10> &flagColumns();

    AccountChecksPage(EditorContext &context, QWidget *parent = nullptr);
    ~AccountChecksPage() override;

    // ----- controls -----
    QGroupBox *FrameControlloCosti = nullptr;
    QLabel *QVR_LABEL1 = nullptr; // "Tipologie conti origine" (credit side)
    QLabel *QVR_LABEL2 = nullptr; // "Tipologie conti destinazione" (debit side)
    host::CheckList *LIST_TIPIAVERE = nullptr;
    host::CheckList *LIST_TIPIDARE = nullptr;
    host::CheckBox *CHK_ORIGINE = nullptr;      // "Seleziona tutto", credit side
    host::CheckBox *CHK_DESTINAZIONE = nullptr; // "Seleziona tutto", debit side

    // ----- the check row set -----
    ado::Recordset *checkRecordset() const { return m_checkRecordset.get(); }
    // Takes a row set (opened or not) over CI11_CONTROLLOCONTI; the previous one is closed.
    void setCheckRecordset(std::unique_ptr<ado::Recordset> recordset);
    // Closes and drops the row set (window unload).
    void releaseCheckRecordset();

    // True while the page itself sets the checks: the lists' check events then do nothing.
    bool fillingLists() const { return m_filling; }

    // ----- routines -----
    void FillAccountTypeLists();
    void PopolaListe();
    void SelezionaTutteLeTipologie(int side);
    void DeselezionaTutteLeTipologie(int side);
    bool ControlloTipiImpostati() const;
    bool ControlloNumeroTipi() const;

    // The types ticked on one side (1 debit, 2 credit), in list order; for the account
    // lookups of the proposal and the compatibility mask of the linked codes.
    host::AccountTypes selectedTypes(int side) const;

    static bool NumeroABooleano(const QVariant &value);
    static quint8 BooleanoANumero(bool value);

    // ----- events -----
    void LIST_TIPIDARE_ItemCheck(int Item);
    void LIST_TIPIAVERE_ItemCheck(int Item);
    void CHK_ORIGINE_Click();
    void CHK_DESTINAZIONE_Click();

signals:
    // The ticked types changed: the lists were filled from the rows, or the user changed them.
    // Boxes whose decode depends on the types (the proposal's account box) decode again.
    void accountTypesUpdated();

private:
    void buildControls();
    void wireControls();
    host::CheckList *listOf(int side) const;
    ado::Recordset &requireRecordset(const char *routine) const;
    void moveToSide(int side);
    void addClearRow(int side, const QString &code);
    void showRow(host::CheckList *list);
    void showSelectAll(int side);
    void itemCheck(int side, int item);
    void setAllTypes(int side, bool ticked);
    void markChanged();

    EditorContext &m_context;
    std::unique_ptr<ado::Recordset> m_checkRecordset;
    bool m_filling = false;
};

} // namespace causali
