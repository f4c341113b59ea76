// The description of the reason code in the user's language: the language frame over the
// working table #CI99_DESLINGUA, the description box TXT_DCAUSALE and its dialog of the other
// languages.

#include "header/header_panel.h"

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "header/save_unit.h"
#include "host/code_box.h"
#include "host/data_frame.h"
#include "satellites/editor_context.h"
#include "satellites/page_support.h"

namespace causali {

namespace {

// Provenance of the reason codes' rows in CI99_DESLINGUA.
constexpr int ReasonCodeProvenance = 903;

} // namespace

// Creates and fills #CI99_DESLINGUA and the language frame over it, bound to TXT_DCAUSALE and
// registered as a child of the header frame. The row of the reason code shown is selected
// when the satellites are loaded.
void HeaderPanel::ConfigurazioneCausaleLingua()
{
    ado::passUp(QStringLiteral("ConfigurazioneCausaleLingua"), [&] {
        ado::Connection &connection = connectionOf(m_context.state());
        host::Cinterface *module = m_context.ActiveInterface();
        if (!module)
            raiseMissing(QStringLiteral("L'interfaccia del modulo"));
        if (!m_frameTestata)
            raiseMissing(QStringLiteral("Il frame della testata"));

        m_context.workingTables().PreparazioneTabellaCausaliLingua();
        m_sqlLingua = languageSelectText(m_context.state().CodLingua);

        // A frame left from an earlier configuration lets go of its row set first.
        if (m_frameLingua) {
            m_frameLingua->Terminate();
            m_frameLingua.reset();
        }
        closeRecordset(m_recordsetLingua);
        m_recordsetLingua = openRecordset(m_context, m_sqlLingua);

        m_frameLingua = std::make_unique<host::DataFrame>();
        m_frameLingua->setObjectName(QStringLiteral("gclsFrameDatiCausaliLingua"));
        wireLanguageFrame();
        m_frameLingua->Initialize(module, &connection, m_recordsetLingua.get(), m_sqlLingua,
                                  QString(), nullptr, nullptr);
        m_frameLingua->AddControl(TXT_DCAUSALE, nullptr);
        m_frameLingua->setOptionE(0);
        // Names the description in the question the frame may ask while the header is saved.
        m_frameLingua->setMessageSubject(QStringLiteral("della descrizione"),
                                         QStringLiteral("della descrizione"));
        m_frameTestata->AddChild(m_frameLingua.get());
    });
}

void HeaderPanel::wireLanguageFrame()
{
    connect(m_frameLingua.get(), &host::DataFrame::UpdateBatchAll, this,
            &HeaderPanel::gclsFrameDatiCausaliLingua_UpdateBatchAll);
}

// Completes the key of the description row (language, provenance, the header's CI03_IDPROV,
// known only once the header row is written) and writes it to the working table.
void HeaderPanel::gclsFrameDatiCausaliLingua_UpdateBatchAll()
{
    runHandler(
        m_context, QStringLiteral("gclsFrameDatiCausaliLingua_UpdateBatchAll"),
        {
            [&] {
                host::DataFrame *frame = m_frameLingua.get();
                ado::Recordset &rows = currentRecordset(frame);
                const QVariant id = idProv();
                if (!ado::isEmpty(id) && !rows.isBOF() && !rows.isEOF()) {
                    rows.Fields(QStringLiteral("CI99_CODLINGUA_MG52"))
                        .setValue(m_context.state().CodLingua);
                    rows.Fields(QStringLiteral("CI99_PROVID_FW4A")).setValue(ReasonCodeProvenance);
                    rows.Fields(QStringLiteral("CI99_IDPROV")).setValue(id);
                }
                rows.UpdateBatch(ado::adAffectAllChapters);
                // The frame takes the written row set up again: nothing is pending any more.
                frame->setSqlText(QString());
            },
        });
}

void HeaderPanel::TXT_DCAUSALE_BeforeEdit()
{
    ado::ignoreErrors({[&] { m_descrizioneBeforeEdit = TXT_DCAUSALE->Text(); }});
}

// A change of the description alone makes the header record changed, hence savable.
void HeaderPanel::TXT_DCAUSALE_AfterItem()
{
    runHandler(m_context, QStringLiteral("TXT_DCAUSALE_AfterItem"),
               {
                   [&] {
                       if (ado::NormalizzaStringa(m_descrizioneBeforeEdit)
                           == ado::NormalizzaStringa(TXT_DCAUSALE->Text()))
                           return;
                       host::DataFrame *header = m_frameTestata.get();
                       if (!header)
                           raiseMissing(QStringLiteral("Il frame della testata"));
                       header->setRecordChanged(true);
                       header->Refresh();
                   },
               });
}

// The dialog of the other languages edits the rows of the reason code shown: a reason code
// not stored yet (no identifier) has none.
void HeaderPanel::TXT_DCAUSALE_OpenDescrizioniInLingua(bool &Cancel)
{
    ado::ignoreErrors({
        [&] { TXT_DCAUSALE->setLanguageEntity(ReasonCodeProvenance); },
        [&] { TXT_DCAUSALE->setLanguageRowId(idProv()); },
        [&] {
            const QVariant rowId = TXT_DCAUSALE->LanguageRowId();
            if (ado::NormalizzaNumero(rowId) == QLatin1String("0"))
                Cancel = true;
        },
        // Closing the dialog reads the code again: unsaved edits are settled first (saved, or
        // dropped on the user's word), or the dialog does not open.
        [&] {
            if (!Cancel && m_frameTestata && !m_frameTestata->ConfirmPending(true, true, true))
                Cancel = true;
        },
        // The dialog writes the descriptions itself: when nobody else changed the code
        // meanwhile, what it writes is this user's and no conflict for the next save.
        [&] { m_languageDialogOnCurrent = !Cancel && m_saveUnit->storedAsRemembered(); },
    });
}

// The dialog wrote the descriptions to the database: the working copy is rebuilt from it and
// the satellites of the reason code shown reloaded (unsaved description edits are dropped).
void HeaderPanel::TXT_DCAUSALE_CloseDescrizioniInLingua()
{
    runHandler(m_context, QStringLiteral("TXT_DCAUSALE_CloseDescrizioniInLingua"),
               {
                   [&] { DistruggiClasseSource(); },
                   [&] { ConfigurazioneCausaleLingua(); },
                   [&] { m_context.ShowChild(); },
                   [&] {
                       if (m_languageDialogOnCurrent)
                           m_saveUnit->remember(m_saveUnit->rememberedCode());
                       m_languageDialogOnCurrent = false;
                   },
               });
}

void HeaderPanel::DistruggiClasseSource()
{
    runHandler(m_context, QStringLiteral("DistruggiClasseSource"),
               {
                   [&] {
                       if (m_frameLingua) {
                           m_frameLingua->Terminate();
                           m_frameLingua.reset();
                       }
                   },
                   [&] { m_context.workingTables().dropTabellaCausaliLingua(); },
               });
}

} // namespace causali
