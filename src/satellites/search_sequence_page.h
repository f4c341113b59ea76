#pragma once
// Tab 3 of the editor, "&Sequenza di ricerca conti": for the reason code shown, the ordered
// account providers tried to find the origin account (CI06_INDSEGNO 2) and the destination
// account (CI06_INDSEGNO 1) of a posting row, per row type (CBO_RICTIPORIGA). Both sides live
// in the working table #CI06_RICERCACONTO, edited in batch by gclsFrameRicOrigine and
// gclsFrameRicDest over two row sets that show only the rows of the chosen row type.
//
// The window defines the grids' columns (INITGRD_RICORIGINE, INITGRD_RICDEST), lets the
// header's ConfigurazioneFrame call ConfigurazioneFrameRic, fills CBO_RICTIPORIGA
// (CaricaComboRic, whose filling ends with AggiornamentoFiltroRic) and switches the tab with
// AbilitazioneTabRic; ShowChild / ClearChild / RefreshChild re-open the two row sets.

#include "host/control_types.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <memory>

class QGroupBox;
class QLabel;

namespace ado {
class Recordset;
}
namespace host {
class CodeBox;
class ComboBox;
class DataFrame;
class Grid;
class GridNavigator;
class NumberBox;
class ProviderDecodeService;
class ProviderLookupService;
class ToolButton;
} // namespace host

namespace causali {

class EditorContext;

class SearchSequencePage : public QWidget
{
    Q_OBJECT

public:
    static const QString Caption; // "&Sequenza di ricerca conti"

    // CI06_INDSEGNO of the two sides.
    enum Side : int { SideDest = 1, SideOrigine = 2 };

    SearchSequencePage(EditorContext &context, QWidget *parent = nullptr);
    ~SearchSequencePage() override;

    // ----- controls -----
    QLabel *LBL_RICTIPORIGA = nullptr; // "Tipo riga"
    host::ComboBox *CBO_RICTIPORIGA = nullptr;

    QGroupBox *GRB_RICORIGINE = nullptr; // "Provider"
    QLabel *LBL_RICORIGINE = nullptr;    // "Ricerca conto origine"
    host::Grid *GRD_RICORIGINE = nullptr;
    host::GridNavigator *GNV_RICORIGINE = nullptr;
    host::NumberBox *TXT_RICPROVORIGINE = nullptr;
    host::CodeBox *TXT_DRICPROVORIGINE = nullptr;
    host::ToolButton *CMD_RICSUORIGINE = nullptr;
    host::ToolButton *CMD_RICGIUORIGINE = nullptr;

    QGroupBox *GRB_RICDEST = nullptr; // "Provider"
    QLabel *LBL_RICDEST = nullptr;    // "Ricerca conto destinazione"
    host::Grid *GRD_RICDEST = nullptr;
    host::GridNavigator *GNV_RICDEST = nullptr;
    host::NumberBox *TXT_RICPROVDEST = nullptr;
    host::CodeBox *TXT_DRICPROVDEST = nullptr;
    host::ToolButton *CMD_RICSUDest = nullptr;
    host::ToolButton *CMD_RICGIUDEST = nullptr;

    // ----- frames, row sets and their SELECT texts -----
    host::DataFrame *gclsFrameRicOrigine() const { return frame(SideOrigine); }
    host::DataFrame *gclsFrameRicDest() const { return frame(SideDest); }
    ado::Recordset *recordsetRicOrigine() const { return recordset(SideOrigine); }
    ado::Recordset *recordsetRicDest() const { return recordset(SideDest); }
    // The same by side (SideDest, SideOrigine).
    host::DataFrame *frame(int side) const { return sideOf(side).frame.get(); }
    ado::Recordset *recordset(int side) const { return sideOf(side).recordset.get(); }
    QString sqlText(int side) const { return sideOf(side).sql; }
    void setSqlText(int side, const QString &text) { sideOf(side).sql = text; }

    // The search-sequence SELECT over #CI06_RICERCACONTO with `conditions` as the lines of its
    // WHERE, in rank order; with the provider description column (computed, empty) if asked.
    static QString selectText(const QStringList &conditions, bool withDescription = false);
    // The column set of both frames, without rows; the description column is computed.
    static QString configurationText();

    // The row-set filter for the row type chosen in CBO_RICTIPORIGA.
    QString rowTypeFilter() const;

    // ----- routines -----
    void INITGRD_RICORIGINE();
    void INITGRD_RICDEST();
    void ConfigurazioneFrameRic();
    void AggiornamentoFiltroRic();
    void AbilitazioneTabRic(bool enable);
    // Terminates the frames and closes the row sets (window unload).
    void releaseFrames();

    // ----- events -----
    void CBO_RICTIPORIGA_BeforeItem();
    void CBO_RICTIPORIGA_AfterItem();
    void gclsFrameRicOrigine_UpdateBatchAll();
    void gclsFrameRicDest_UpdateBatchAll();

private:
    // One side: its controls, frame, row set and SELECT, and the names its handlers report
    // errors with.
    struct SideParts
    {
        host::Grid *grid = nullptr;
        host::GridNavigator *navigator = nullptr;
        host::NumberBox *provider = nullptr;
        host::CodeBox *description = nullptr;
        host::ToolButton *up = nullptr;
        host::ToolButton *down = nullptr;
        std::unique_ptr<ado::Recordset> recordset; // declared before the frame: outlives it
        std::unique_ptr<host::DataFrame> frame;
        QString sql;
        bool newRowStarted = false; // a row was started with Nuovo and not settled yet
        QString frameName;          // gclsFrameRicDest, gclsFrameRicOrigine
        QString gridName;           // GRD_RICDEST, GRD_RICORIGINE
        QString boxName;            // TXT_RICPROVDEST, TXT_RICPROVORIGINE
        QString upLabel;            // error labels of the move buttons
        QString downLabel;
    };
    SideParts &sideOf(int side) { return m_sides[side == SideDest ? 0 : 1]; }
    const SideParts &sideOf(int side) const { return m_sides[side == SideDest ? 0 : 1]; }
    QWidget *buildSide(int side);
    void buildControls();
    void initGrid(host::Grid *grid);
    void configureSide(int side, const QString &sql);
    void wireSide(int side);
    void wireFrame(int side);
    void releaseSide(int side);

    // The events of one side (labels and rules are the same on both sides).
    void beforeAddNew(int side);
    void afterAddNew(int side, long result);
    void renumber(int side);
    void changeStatus(int side, long status);
    void updateBatchAll(int side);
    void cellText(int side, QString &text, const QString &column, const QVariant &row);
    void gridKeyDown(int side, int &keyCode, int shift);
    void providerKeyDown(int side, int &keyCode, int shift);
    void providerChange(int side);
    void providerDecode(int side, QString &sql, host::DecodeTargets &targets,
                        QString &connectionText);
    void providerLookup(int side, QString &sql, host::ColumnTable &columns, QString &title,
                        QString &connectionText);
    void beforeButtonClick(int side, bool &cancel, const QString &name);
    void afterButtonClick(int side, const QString &name);
    void moveRow(int side, bool down);

    EditorContext &m_context;
    SideParts m_sides[2]; // destination, origin
    QString m_previousRowType;
};

} // namespace causali
