#pragma once
// The header of the reason-code editor: the reason code itself (one row of CI03_CAUSALI) and
// its description in the user's language.
//
// The panel is the page of tab 0 of TAB_CAUSALI ("Dati ana&grafici", fieldsPage() returns the
// panel itself). The group "Causale" with the code TXT_CAUSALE and the description
// TXT_DCAUSALE sits above the tab strip: codeGroup() is created as a child of the panel and
// the window moves it into its own layout (adding it to a layout reparents it).
//
// The panel owns the header frame gclsFrameTestata (immediate mode, navigated by INV_MAIN,
// parent of every satellite frame) with its row set, and the language frame
// gclsFrameDatiCausaliLingua (batch mode over #CI99_DESLINGUA, bound to TXT_DCAUSALE only)
// with its row set. Both are created by ConfigurazioneFrame, which the window calls once at
// start-up after filling the combos; the window's ShowChild / ClearChild re-open the language
// row set (recordsetLingua(), setSqlLingua()) and set the language frame's SqlText.
//
// The header frame's handlers settle the satellites through the pages reached by the
// EditorContext: BeforeUpdate refuses a record without description, with a standard cost
// without provenance or with wrong account types, and confirms the satellites' pending rows;
// AfterUpdate writes the account-type checks, the satellites' working tables and then the
// satellite tables (AggiornamentoDatabase); BeforeDelete removes every satellite row;
// ChangeStatus loads, clears, locks and frees the satellites.
//
// The field rules (header_field_rules.cpp) tie the header fields together: the data movement
// decides automatic numbering, project tracking and whether a reference-movement code may be
// given; the standard-cost type decides the cost provenance; a change of model or model type
// empties the linked codes. The model box decodes and looks up the models of the model type
// chosen and opens the host's model-management program (F4). The linked codes
// (linked_codes.cpp) are decoded, listed and accepted only among the reason codes compatible
// with the one edited: by the mandatory fields of their models and by the server's
// compatibility functions over the account types ticked on tab 2.
//
// Every handler runs as a list of steps; an error is reported through the window's
// GestioneErroreEvento under the handler's name. Routines pass errors up with their name.

#include "header/header_rules.h"
#include "host/control_types.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <initializer_list>
#include <memory>

class QGroupBox;
class QLabel;

namespace ado {
class Field;
class Recordset;
} // namespace ado
namespace host {
class CheckBox;
class Bindable;
class CodeBox;
class ComboBox;
class CostAccountingLookup;
class DataFrame;
class ModelDecodeService;
} // namespace host

namespace causali {

class EditorContext;
class SaveUnit;

class HeaderPanel : public QWidget
{
    Q_OBJECT

public:
    static const QString Caption;          // "Dati ana&grafici" (tab 0)
    static const QString CodeGroupCaption; // "Causale"

    HeaderPanel(EditorContext &context, QWidget *parent = nullptr);
    ~HeaderPanel() override;

    // ----- the two parts the window places -----
    QGroupBox *codeGroup() const { return m_codeGroup; }
    QWidget *fieldsPage() { return this; }

    // ----- controls of the group "Causale" -----
    host::CodeBox *TXT_CAUSALE = nullptr;  // "Codice", CI03_CODCAUS
    host::CodeBox *TXT_DCAUSALE = nullptr; // "Descrizione", CI99_DESCRIZIONE (language frame)

    // ----- controls of tab 0 -----
    QLabel *LBL_MOVDATI = nullptr;               // "Movimentazione dati"
    host::ComboBox *CBO_MOVDATI = nullptr;       // CI03_INDTIPOMOVDATI
    QLabel *LBL_TIPOCOSTO = nullptr;             // "Segno"
    host::ComboBox *CBO_TIPOCOSTO = nullptr;     // CI03_INDTIPOCOSRIC
    QLabel *LBL_MODELLO = nullptr;               // "Modello"
    host::ComboBox *CBO_TIPOMODELLO = nullptr;   // CI03_INDSTAPER_CI04
    host::CodeBox *TXT_MODELLO = nullptr;        // CI03_MODELLO_CI04
    host::CodeBox *TXT_DMODELLO = nullptr;       // the model's description (not bound)
    QLabel *LBL_TIPOPROPCOSTO = nullptr;         // "Tipo costo standard"
    host::ComboBox *CBO_TIPOPROPCOSTO = nullptr; // CI03_INDPROPCOSTO
    QLabel *LBL_PROVCOSTO = nullptr;             // "Prov. costo standard"
    host::ComboBox *CBO_PROVCOSTO = nullptr;     // CI03_INDPROVCOSTO
    QLabel *LBL_CAUCOLL = nullptr;               // "Causale collegata"
    host::CodeBox *TXT_CAUCOLL = nullptr;        // CI03_CODCAUSCOLL
    host::CodeBox *TXT_DCAUCOLL = nullptr;       // its description (not bound)
    QLabel *LBL_CAUCOLLRIF = nullptr;            // "Causale mov. da conto di rif."
    host::CodeBox *TXT_CAUCOLLRIF = nullptr;     // CI03_CAUSCOLLRIF_CI03
    host::CodeBox *TXT_DCAUCOLLRIF = nullptr;    // its description (not bound)
    QLabel *LBL_TIPOQTAVAL = nullptr;            // "Valorizzazione a qta. / valore"
    host::ComboBox *CBO_TIPOQTAVAL = nullptr;    // CI03_INDREGVALQTA
    QLabel *LBL_FLGNUMAUT = nullptr;             // "Numerazione automatica"
    host::CheckBox *CHK_FLGNUMAUT = nullptr;     // CI03_FLGNUMAUTOM
    QLabel *LBL_RILPROG = nullptr;               // "Rilevazione progetti"
    host::CheckBox *CHK_RILPROG = nullptr;       // CI03_FLGRILPROG

    // ----- frames, row sets and their SELECT texts -----
    host::DataFrame *gclsFrameTestata() const { return m_frameTestata.get(); }
    host::DataFrame *gclsFrameDatiCausaliLingua() const { return m_frameLingua.get(); }
    ado::Recordset *recordsetTestata() const { return m_recordsetTestata.get(); }
    ado::Recordset *recordsetLingua() const { return m_recordsetLingua.get(); }
    void setSqlLingua(const QString &text) { m_sqlLingua = text; }

    // CI03_IDPROV of the header row shown; Empty when no row is shown.
    QVariant idProv() const;

    // The texts the frames and the check row set are opened on.
    static QString headerSelectText();
    static QString languageSelectText(const QString &codLingua);
    static QString emptyChecksText();

    // ----- routines -----
    void ConfigurazioneFrame();
    void ConfigurazioneCausaleLingua();
    void DistruggiClasseSource();
    // Terminates both frames and closes their row sets (window unload).
    void releaseFrames();
    // The unit of work of the header's save and delete.
    SaveUnit &saveUnit() { return *m_saveUnit; }
    // Drops the edits and shows the code as it is stored now (the user's answer to a save
    // that met another program's change).
    void showStoredVersion(const QString &code);
    // Shows a stored code as the user would reach it (pending edits settled first, with the
    // question); `reread`: the list of codes is read again first (codes another tool wrote).
    // False when the user stayed on the record or the code is not stored.
    bool showCode(const QString &code, bool reread);

    // ----- header frame events -----
    void gclsFrameTestata_AfterUndo(long fenm_operationresult);
    void gclsFrameTestata_AfterUpdate(long fenm_operationresult);
    void gclsFrameTestata_BeforeDelete(bool &fbol_Cancel);
    void gclsFrameTestata_BeforeUpdate(bool &fbol_Cancel);
    void gclsFrameTestata_ChangeStatus(long fenm_status, long fenm_reason);
    void gclsFrameTestata_IsRecordChanged(bool &fbol_isRecordChanged);

    // ----- language frame and description box events -----
    void gclsFrameDatiCausaliLingua_UpdateBatchAll();
    void TXT_DCAUSALE_BeforeEdit();
    void TXT_DCAUSALE_AfterItem();
    void TXT_DCAUSALE_OpenDescrizioniInLingua(bool &Cancel);
    void TXT_DCAUSALE_CloseDescrizioniInLingua();

    // ----- reason-code box events -----
    void TXT_CAUSALE_AfterItem();
    void TXT_CAUSALE_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                                 QString &title, QString &connectionText);

    // ----- field rules (header_field_rules.cpp) -----
    // True when TXT_CAUSALE holds a code that its box accepted.
    bool CausaleValorizzata();
    void CBO_MOVDATI_BeforeItem();
    void CBO_MOVDATI_AfterItem();
    void CBO_MOVDATI_ChangeRow();
    void CBO_TIPOPROPCOSTO_BeforeItem();
    void CBO_TIPOPROPCOSTO_AfterItem();
    void CBO_TIPOPROPCOSTO_ChangeRow();
    void CBO_PROVCOSTO_Validate(bool &Cancel);
    void CBO_TIPOMODELLO_BeforeItem();
    void CBO_TIPOMODELLO_AfterItem();
    void TXT_MODELLO_BeforeItem();
    void TXT_MODELLO_AfterItem();
    void TXT_MODELLO_StartDecode(QString &sql, host::DecodeTargets &targets,
                                 QString &connectionText);
    void TXT_MODELLO_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                                 QString &title, QString &connectionText);
    void TXT_MODELLO_KeyButtonMenuPress(const QVariant &keyName);
    // Opens the host's model-management program on the model and model type given, then makes
    // this module the active one again.
    void EseguiProgrammaModelli(host::CodeBox *box, const QVariant &model,
                                const QVariant &modelType);
    // Refuses a record whose model or linked codes are not accepted by their boxes.
    void gclsFrameTestata_ValidateRecord(QObject *&fobj_Control, QString &fstr_PersonalizedMessage);

    // ----- linked reason codes (linked_codes.cpp) -----
    void TXT_CAUCOLL_StartDecode(QString &sql, host::DecodeTargets &targets,
                                 QString &connectionText);
    void TXT_CAUCOLL_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                                 QString &title, QString &connectionText);
    void TXT_CAUCOLL_Validate(bool &Cancel);
    void TXT_CAUCOLL_AfterItem();
    void TXT_CAUCOLLRIF_StartDecode(QString &sql, host::DecodeTargets &targets,
                                    QString &connectionText);
    void TXT_CAUCOLLRIF_StartLookup(bool &cancel, QString &sql, host::ColumnTable &columns,
                                    QString &title, QString &connectionText);
    void TXT_CAUCOLLRIF_Validate(bool &Cancel);
    void TXT_CAUCOLLRIF_AfterItem();

    // The two linked-code boxes: TXT_CAUCOLL (Linked) and TXT_CAUCOLLRIF (Reference).
    using LinkedBox = causali::LinkedBox;

private:
    void buildControls();
    void buildCodeGroup();
    void buildFieldsPage();
    void createFieldControls();
    void createFieldLabels();
    void layoutFieldsPage();
    void wireControls();
    void wireHeaderFrame();
    void wireLanguageFrame();
    void showHostMessage(long number);
    bool settleSatelliteRows();
    void settleDescription(ado::Field &descr);
    bool refuseMissingDescription();
    // The code shown read as it is stored now: its header row, its lists into the working
    // tables and its fingerprint; false when another program deleted it meanwhile (the list
    // of codes is read again and the first one shown).
    bool showStoredCode();
    void showCodeGone(const QString &code);
    bool moveToCode(host::DataFrame &frame, const QString &code);
    bool runSaveSteps(std::initializer_list<std::function<void()>> steps);

    // header_field_rules.cpp
    void wireFieldRules();
    void setHeaderField(host::Bindable &control, const QVariant &value);
    void applyMovementRules(const QString &movement);
    QString modelNotFoundMessage() const;

    // linked_codes.cpp
    void wireLinkedCodes();
    host::CodeBox *linkedBox(LinkedBox box) const;
    host::CodeBox *linkedDescriptionBox(LinkedBox box) const;
    QStringList accountTypeFlags() const;
    qint64 configurationMask(LinkedBox box);
    void startLinkedDecode(LinkedBox box, QString &sql, host::DecodeTargets &targets,
                           QString &connectionText);
    void startLinkedLookup(LinkedBox box, bool &cancel, QString &sql, host::ColumnTable &columns,
                           QString &title, QString &connectionText);
    bool linkedCodeDiffers(LinkedBox box);
    void validateLinkedCode(LinkedBox box, bool &Cancel);
    void reportRefusedLinkedCode(LinkedBox box);
    QString linkedCodeRefusal(LinkedBox box) const;

    EditorContext &m_context;
    QGroupBox *m_codeGroup = nullptr;
    std::unique_ptr<host::CostAccountingLookup> m_lookup;
    std::unique_ptr<host::ModelDecodeService> m_modelDecode;
    // Row sets are declared before the frames: they outlive them.
    std::unique_ptr<ado::Recordset> m_recordsetTestata;
    std::unique_ptr<ado::Recordset> m_recordsetLingua;
    std::unique_ptr<host::DataFrame> m_frameTestata;
    std::unique_ptr<SaveUnit> m_saveUnit;
    bool m_languageDialogOnCurrent = false; // the language dialog opened on the stored code
    std::unique_ptr<host::DataFrame> m_frameLingua;
    QString m_sqlTestata;
    QString m_sqlLingua;
    QVariant m_descrizioneBeforeEdit; // text of TXT_DCAUSALE when its edit began
    // Values before the user's choice, to tell whether the choice really changed them.
    QString PreviousDataMovement;
    QString m_previousStandardCost;
    QString m_previousModelType;
    QString m_previousModel;
    bool m_linkedValidation = false; // a linked box's refusal is being shown
};

} // namespace causali
