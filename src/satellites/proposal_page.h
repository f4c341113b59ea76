#pragma once
// Tab 4 of the editor, "&Proposta di sviluppo registrazione": the proposed development of a
// posting made with the reason code, rows of sign, percentage, account and expense/revenue
// item, ordered by PROG. The rows live in the working table #SVILUPPO, edited in batch by
// gclsFrameSviluppo over the rows of the reason code on the window's charts.
//
// The window defines the grid's columns (INITGRD_SVILUPPO), lets the header's
// ConfigurazioneFrame call ConfigurazioneFrameSviluppo and prepares the account boxes at
// start-up; ShowChild / ClearChild / RefreshChild re-open recordsetSviluppo().

#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class QGroupBox;
class QLabel;

namespace ado { class Recordset; }
namespace host { class AccountBox; class ComboBox; class DataFrame; class Grid;
                 class GridNavigator; class NumberBox; class ToolButton; }

namespace causali {

class EditorContext;

class ProposalPage : public QWidget
{
    Q_OBJECT

public:
    static const QString Caption; // "&Proposta di sviluppo registrazione"

    ProposalPage(EditorContext &context, QWidget *parent = nullptr);
    ~ProposalPage() override;

    // ----- controls -----
    host::Grid *GRD_SVILUPPO = nullptr;
    host::GridNavigator *GNV_SVILUPPO = nullptr;
    host::ToolButton *CMD_SU = nullptr;
    host::ToolButton *CMD_GIU = nullptr;
    QGroupBox *GRB_SVILUPPO = nullptr;
    QLabel *LBL_SEGNO = nullptr;           // "Segno"
    host::ComboBox *CBO_SEGNO = nullptr;
    QLabel *LBL_PERC = nullptr;            // "% ripartizione"
    host::NumberBox *TXT_PERC = nullptr;
    QLabel *LBL_CONTO = nullptr;           // "Codice conto"
    host::AccountBox *TXT_CONTO = nullptr;
    QLabel *TXT_DCONTO = nullptr;          // the account's description (beside TXT_CONTO)
    QLabel *LBL_VDS = nullptr;             // "Codice voce di spesa"
    host::AccountBox *TXT_VDS = nullptr;
    QLabel *TXT_DVDS = nullptr;            // the item's description (beside TXT_VDS)

    // ----- frame, row set and its SELECT text -----
    host::DataFrame *gclsFrameSviluppo() const { return m_frame.get(); }
    ado::Recordset *recordsetSviluppo() const { return m_recordset.get(); }
    QString sqlSviluppo() const { return m_sql; }
    void setSqlSviluppo(const QString &text) { m_sql = text; }

    // ----- routines -----
    void INITGRD_SVILUPPO();
    void ConfigurazioneFrameSviluppo();
    // Terminates the frame and closes the row set (window unload).
    void releaseFrame();

    // ----- events -----
    void gclsFrameSviluppo_AfterAddNew(long fenm_operationresult);
    void gclsFrameSviluppo_BeforeUpdate(bool &fbol_Cancel);
    void gclsFrameSviluppo_ChangeStatus(long fenm_status, long fenm_reason);
    void gclsFrameSviluppo_UpdateBatchAll();
    void CBO_SEGNO_BeforeItem();
    void CBO_SEGNO_AfterItem();
    void GRD_SVILUPPO_CellText(QString &text, const QString &column, const QVariant &row);

private:
    void buildControls();
    void wireControls();
    void wireFrame();

    EditorContext &m_context;
    std::unique_ptr<ado::Recordset> m_recordset; // declared before the frame: outlives it
    std::unique_ptr<host::DataFrame> m_frame;
    QString m_sql;
    QString m_previousSign;
};

} // namespace causali
