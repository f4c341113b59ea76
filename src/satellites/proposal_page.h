#pragma once
// Tab 4 of the editor, "&Proposta di sviluppo registrazione": the proposed development of a
// posting made with the reason code, rows of sign, percentage, account and expense/revenue
// item, ordered by PROG. The rows live in the working table #SVILUPPO, edited in batch by
// gclsFrameSviluppo over the rows of the reason code on the window's charts.
//
// The window defines the grid's columns (INITGRD_SVILUPPO), lets the header's
// ConfigurazioneFrame call ConfigurazioneFrameSviluppo and prepares the account boxes at
// start-up; ShowChild / ClearChild / RefreshChild re-open recordsetSviluppo().

#include "host/control_types.h"
#include "host/lookup_services.h"
#include "satellites/proposal_balance.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class QGroupBox;
class QLabel;

namespace ado {
class Recordset;
}
namespace host {
class AccountBox;
class AccountDecodeService;
class AccountFormatter;
class AccountLookupService;
class ComboBox;
class DataFrame;
class ExpenseItemDecodeService;
class ExpenseItemLookupService;
class Grid;
class GridNavigator;
class NumberBox;
class ToolButton;
} // namespace host

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
    QLabel *LBL_SEGNO = nullptr; // "Segno"
    host::ComboBox *CBO_SEGNO = nullptr;
    QLabel *LBL_PERC = nullptr; // "% ripartizione"
    host::NumberBox *TXT_PERC = nullptr;
    QLabel *LBL_CONTO = nullptr;           // "Codice conto"
    host::AccountBox *TXT_CONTO = nullptr; // shows the account's description beside the code
    QLabel *LBL_VDS = nullptr;             // "Codice voce di spesa"
    host::AccountBox *TXT_VDS = nullptr;   // shows the item's description beside the code
    QLabel *LBL_TOTALI = nullptr;          // under the grid: the total of each side

    // ----- frame, row set and its SELECT text -----
    host::DataFrame *gclsFrameSviluppo() const { return m_frame.get(); }
    ado::Recordset *recordsetSviluppo() const { return m_recordset.get(); }
    void setSqlSviluppo(const QString &text) { m_sql = text; }

    // ----- routines -----
    void INITGRD_SVILUPPO();
    void ConfigurazioneFrameSviluppo();
    // Terminates the frame and closes the row set (window unload).
    void releaseFrame();

    // The balance of the rows shown, with the row being edited as its boxes show it now.
    ProposalBalance currentBalance() const;
    // Shows the balance under the grid, marked when a side does not total 100%.
    void showBalance();
    // The header's BeforeUpdate (after its own checks): a proposal that does not balance is
    // saved only when the user says so; "No" cancels the save and keeps every edit.
    void askBeforeSavingUnbalanced(bool &fbol_Cancel);

    // ----- events -----
    void gclsFrameSviluppo_AfterAddNew(long fenm_operationresult);
    void gclsFrameSviluppo_BeforeUpdate(bool &fbol_Cancel);
    void gclsFrameSviluppo_ValidateRecord(QObject *&fobj_Control,
                                          QString &fstr_PersonalizedMessage);
    void gclsFrameSviluppo_ChangeStatus(long fenm_status, long fenm_reason);
    void gclsFrameSviluppo_UpdateBatchAll();
    void CBO_SEGNO_BeforeItem();
    void CBO_SEGNO_AfterItem();
    void GRD_SVILUPPO_CellText(QString &text, const QString &column, const QVariant &row);
    void GRD_SVILUPPO_KeyDown(int &keyCode, int shift);
    void GNV_SVILUPPO_AfterButtonClick(const QString &name);
    void CMD_SU_Click();
    void CMD_GIU_Click();
    void TXT_CONTO_StartDecode(QString &sql, host::DecodeTargets &targets, QString &connectionText);
    void TXT_CONTO_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                               QString &title, QString &connectionText);
    void TXT_VDS_StartDecode(QString &sql, host::DecodeTargets &targets, QString &connectionText);
    void TXT_VDS_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns, QString &title,
                             QString &connectionText);

private:
    void buildControls();
    QWidget *buildFields();
    void wireControls();
    void wireFrame();
    void watchBalance();
    // The account types ticked in the check list of the row's sign ("1" debit, "2" credit).
    host::AccountTypes typesOfSign() const;
    // The row's sign is "1" (debit) or "2" (credit); not when no row is shown.
    bool signChosen() const;
    // TXT_CONTO decoded again after the account types changed.
    void decodeAccountAgain();
    // The company keeps expense/revenue items in a chart of its own.
    bool hasExpenseChart() const;

    EditorContext &m_context;
    std::unique_ptr<ado::Recordset> m_recordset; // declared before the frame: outlives it
    std::unique_ptr<host::DataFrame> m_frame;
    std::unique_ptr<host::AccountFormatter> m_formatter; // grid texts of accounts and items
    std::unique_ptr<host::AccountLookupService> m_accountLookup;
    std::unique_ptr<host::AccountDecodeService> m_accountDecode;
    std::unique_ptr<host::ExpenseItemLookupService> m_itemLookup;
    std::unique_ptr<host::ExpenseItemDecodeService> m_itemDecode;
    QString m_sql;
    QString m_previousSign;
};

} // namespace causali
