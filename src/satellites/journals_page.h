#pragma once
// Tab 1 of the editor, "Se&zionali di default": one default journal per cost-accounting
// company for the reason code shown. The rows live in the working table #SEZIONALI; the frame
// gclsFrameSezionali edits them in batch and writes them to the working table when the header
// is saved (UpdateBatchAll); the header's save then copies them to CI05_PROPSEZ.
//
// The window fills CBO_DITTA (CaricaComboSezionali), defines the grid's columns
// (INITGRD_SEZIONALI) and lets the header's ConfigurazioneFrame call ConfigurazioneFrameSezionali;
// ShowChild / ClearChild / RefreshChild re-open recordsetSezionali() and set the frame's texts.

#include "host/control_types.h"

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
class CodeBox;
class ComboBox;
class DataFrame;
class Grid;
class GridNavigator;
class JournalDecodeService;
class JournalLookupService;
} // namespace host

namespace causali {

class EditorContext;

class JournalsPage : public QWidget
{
    Q_OBJECT

public:
    static const QString Caption; // "Se&zionali di default"

    JournalsPage(EditorContext &context, QWidget *parent = nullptr);
    ~JournalsPage() override;

    // ----- controls -----
    host::Grid *GRD_SEZIONALI = nullptr;
    host::GridNavigator *GNV_SEZIONALI = nullptr;
    QGroupBox *GRB_SEZIONALI = nullptr;
    QLabel *LBL_DITTA = nullptr; // "Ditta"
    host::ComboBox *CBO_DITTA = nullptr;
    QLabel *LBL_SEZIONALE = nullptr; // "Sezionale"
    host::CodeBox *TXT_SEZIONALE = nullptr;
    host::CodeBox *TXT_DSEZIONALE = nullptr;

    // ----- frame, row set and its SELECT text -----
    host::DataFrame *gclsFrameSezionali() const { return m_frame.get(); }
    ado::Recordset *recordsetSezionali() const { return m_recordset.get(); }
    void setSqlSezionali(const QString &text) { m_sql = text; }

    // ----- routines -----
    void INITGRD_SEZIONALI();
    void ConfigurazioneFrameSezionali();
    // Terminates the frame and closes the row set (window unload).
    void releaseFrame();

    // ----- frame events -----
    void gclsFrameSezionali_AfterAddNew(long fenm_operationresult);
    void gclsFrameSezionali_BeforeUpdate(bool &fbol_Cancel);
    void gclsFrameSezionali_ChangeStatus(long fenm_status, long fenm_reason);
    void gclsFrameSezionali_UpdateBatchAll();
    void gclsFrameSezionali_ValidateRecord(QObject *&fobj_Control,
                                           QString &fstr_PersonalizedMessage);

    // ----- control events -----
    void CBO_DITTA_AfterItem();
    void GRD_SEZIONALI_CellText(QString &text, const QString &column, const QVariant &row);
    void GRD_SEZIONALI_KeyDown(int &keyCode, int shift);
    void GNV_SEZIONALI_AfterButtonClick(const QString &name);
    void TXT_SEZIONALE_KeyDown(int &keyCode, int shift);
    void TXT_SEZIONALE_StartDecode(QString &sql, host::DecodeTargets &targets,
                                   QString &connectionText);
    void TXT_SEZIONALE_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                                   QString &title, QString &connectionText);

private:
    void buildControls();
    void wireControls();
    void wireFrame();
    QVariant chosenCompany() const;
    bool companyHasAnotherRow() const;

    EditorContext &m_context;
    std::unique_ptr<ado::Recordset> m_recordset; // declared before the frame: outlives it
    std::unique_ptr<host::DataFrame> m_frame;
    // The journal lookup and decode objects of this tab (made with the frame).
    QString m_sql;
};

} // namespace causali
