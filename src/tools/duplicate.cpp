#include "tools/duplicate.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/sql_text.h"
#include "data/value_domains.h"
#include "data/window_state.h"
#include "data/working_tables.h"
#include "editor/frmci_causali.h"
#include "header/header_panel.h"
#include "header/save_unit.h"
#include "host/code_box.h"
#include "host/data_frame.h"
#include "host/dialogs.h"
#include "satellites/account_checks_page.h"
#include "tools/where_used.h"

#include <QHash>
#include <QPointer>

#include <optional>

namespace tools {

namespace {

const QString Title = QStringLiteral("Duplica causale");

int tell(const QString &text)
{
    return host::DialogService::instance().message(text, host::vbOKOnly | host::vbExclamation,
                                                   Title);
}

// What is copied from the code shown, read before the new code replaces it on screen.
struct Source
{
    QString code;
    QVariant idProv;
    QString description;                    // in the window's language
    QList<QPair<QString, QVariant>> header; // the header row's fields but code and identifier
    QHash<int, QList<QPair<QString, QVariant>>> checks; // per side, the type flags
};

Source readSource(causali::FRMCI_CAUSALI &window)
{
    Source source;
    source.code = causali::codiceCausale(window);
    source.idProv = window.idProv();
    source.description = window.descrizioneText();
    ado::Recordset &header = *window.headerPanel()->recordsetTestata();
    for (int i = 0; i < header.FieldCount(); ++i) {
        // Names compare without case: a server gives the schema's names in lower case.
        const QString name = header.Fields(i).Name();
        if (name.compare(QLatin1String("CI03_CODCAUS"), Qt::CaseInsensitive) != 0
            && name.compare(QLatin1String("CI03_IDPROV"), Qt::CaseInsensitive) != 0)
            source.header.append({name, header.Fields(i).Value()});
    }
    auto checks = window.accountChecksPage()->checkRecordset()->Clone();
    for (; !checks->isEOF(); checks->MoveNext()) {
        const int side = static_cast<int>(
            ado::CDbl(checks->Fields(QStringLiteral("CI11_SEGNO")).Value()));
        for (const QString &column : causali::AccountChecksPage::flagColumns())
            source.checks[side].append({column, checks->Fields(column).Value()});
    }
    return source;
}

// The new code typed by the user, asked again after each refusal; nothing when cancelled.
std::optional<QString> askNewCode(causali::FRMCI_CAUSALI &window, const QString &source)
{
    const int length = window.codeBox()->maxLength() > 0 ? window.codeBox()->maxLength() : 4;
    for (;;) {
        const std::optional<QString> typed = host::DialogService::instance().inputText(
            QStringLiteral("Codice della nuova causale (%1 caratteri), copia di %2:")
                .arg(length)
                .arg(source),
            Title, QString(), length);
        if (!typed)
            return std::nullopt;
        const QString code = normalizedNewCode(*typed);
        const bool inUse = code.size() == length && reasonCodeExists(*window.connection(), code);
        const QString refusal = newCodeRefusal(code, length, inUse);
        if (refusal.isEmpty())
            return code;
        tell(refusal);
    }
}

// The working tables' rows of the source code, given the new code.
void copyLists(causali::FRMCI_CAUSALI &window, const Source &source, const QString &code)
{
    window.workingTables().loadWorkingCopy(source.code, QVariant());
    static const QPair<const char *, const char *> tables[] = {
        {"#SEZIONALI", "CI05_CAUSALE_CI03"},
        {"#CI06_RICERCACONTO", "CI06_CAUSALE_CI03"},
        {"#SVILUPPO", "CAUSALE"}};
    for (const auto &[table, column] : tables) {
        const QString key = QLatin1String(column);
        window.connection()->Execute(
            causali::sql::lines({QStringLiteral("UPDATE ") + QLatin1String(table),
                                 QStringLiteral("   SET ") + key + QStringLiteral(" = ")
                                     + causali::sql::quoted(code),
                                 QStringLiteral(" WHERE ") + key + QStringLiteral(" = ")
                                     + causali::sql::quoted(source.code)}),
            nullptr, ado::adCmdTextNoRecords);
    }
    window.ShowChild();
}

void copyChecks(causali::FRMCI_CAUSALI &window, const Source &source)
{
    causali::AccountChecksPage &page = *window.accountChecksPage();
    ado::Recordset &checks = *page.checkRecordset();
    for (checks.MoveFirst(); !checks.isEOF(); checks.MoveNext()) {
        const int side = static_cast<int>(
            ado::CDbl(checks.Fields(QStringLiteral("CI11_SEGNO")).Value()));
        for (const auto &[column, value] : source.checks.value(side))
            checks.Fields(column).setValue(value);
    }
    checks.MoveFirst();
    page.PopolaListe();
    window.state().AccountTypesChanged = true;
}

void copyDescription(causali::FRMCI_CAUSALI &window, const QString &description)
{
    causali::HeaderPanel &panel = *window.headerPanel();
    host::DataFrame &lingua = *panel.gclsFrameDatiCausaliLingua();
    if (!lingua.hasCurrentRow())
        lingua.addNew();
    panel.recordsetLingua()->Fields(QStringLiteral("CI99_DESCRIZIONE")).setValue(description);
    lingua.RefreshRow(false, false);
    lingua.setRecordChanged(true);
}

// The descriptions of the source in the other languages, written inside the save of the new
// code once its identifier is known.
QString copyOtherLanguagesText(const QVariant &sourceId, const QVariant &newId,
                               const QString &language)
{
    using namespace causali;
    return sql::lines(
        {QStringLiteral("INSERT INTO CI99_DESLINGUA"),
         QStringLiteral(
             "    (CI99_CODLINGUA_MG52, CI99_PROVID_FW4A, CI99_IDPROV, CI99_DESCRIZIONE)"),
         QStringLiteral("SELECT CI99_CODLINGUA_MG52, CI99_PROVID_FW4A, ")
             + sql::number(newId, QStringLiteral("CI03_IDPROV"))
             + QStringLiteral(", CI99_DESCRIZIONE"),
         QStringLiteral("  FROM CI99_DESLINGUA"),
         QStringLiteral(" WHERE CI99_PROVID_FW4A = ") + QString::number(ProvenienzaCausale),
         QStringLiteral("   AND CI99_IDPROV = ")
             + sql::number(sourceId, QStringLiteral("CI03_IDPROV")),
         QStringLiteral("   AND CI99_CODLINGUA_MG52 <> ") + sql::quoted(language)});
}

// Lives while the duplicate is the new code on screen: its save copies the other languages'
// descriptions inside the same transaction; any change of the code shown (saved, undone,
// another code) ends it.
class PendingDuplicate : public QObject
{
public:
    PendingDuplicate(causali::FRMCI_CAUSALI &window, QVariant sourceId)
        : QObject(&window), m_window(&window), m_sourceId(std::move(sourceId))
    {
        host::DataFrame *frame = window.FrameTestata();
        connect(frame, &host::DataFrame::AfterUpdate, this, &PendingDuplicate::afterUpdate);
        connect(frame, &host::DataFrame::ChangeStatus, this, [this] { deleteLater(); });
        connect(frame, &QObject::destroyed, this, [this] { deleteLater(); });
    }

private:
    void afterUpdate(long result)
    {
        if (result != host::DataFrame::OperationSucceeded || !m_window
            || ado::isMissing(m_sourceId))
            return;
        causali::SaveUnit &unit = m_window->headerPanel()->saveUnit();
        if (unit.failed())
            return;
        try {
            m_window->connection()->Execute(
                copyOtherLanguagesText(m_sourceId, m_window->idProv(), m_window->state().CodLingua),
                nullptr, ado::adCmdTextNoRecords);
        } catch (const ado::RuntimeError &error) {
            unit.fail(error);
        }
    }

    QPointer<causali::FRMCI_CAUSALI> m_window;
    QVariant m_sourceId;
};

} // namespace

QString normalizedNewCode(const QString &typed)
{
    return typed.trimmed().toUpper();
}

QString newCodeRefusal(const QString &code, int length, bool inUse)
{
    if (code.isEmpty())
        return QStringLiteral("Digitare il codice della nuova causale.");
    if (code.contains(QLatin1Char(' ')))
        return QStringLiteral("Il codice \"%1\" non è valido: non può contenere spazi.").arg(code);
    if (code.size() != length)
        return QStringLiteral("Il codice \"%1\" non è valido: deve essere di %2 caratteri.")
            .arg(code)
            .arg(length);
    if (inUse)
        return QStringLiteral("La causale %1 esiste già: scegliere un altro codice.").arg(code);
    return QString();
}

void duplicateShownCode(causali::FRMCI_CAUSALI &window)
{
    host::DataFrame *frame = window.FrameTestata();
    if (!frame || !window.connection())
        return;
    const QString shown = causali::codiceCausale(window);
    if (frame->Status() != host::DataFrame::StatusBrowse || !frame->hasCurrentRow()
        || shown.isEmpty()) {
        tell(QStringLiteral("Mostrare prima la causale da duplicare."));
        return;
    }
    if (frame->isPending()) {
        tell(QStringLiteral("La causale %1 ha modifiche non salvate: confermarle o annullarle "
                            "prima di duplicarla.")
                 .arg(shown));
        return;
    }
    const Source source = readSource(window);
    const std::optional<QString> code = askNewCode(window, source.code);
    if (!code || !frame->addNew())
        return;
    ado::Recordset &header = *window.headerPanel()->recordsetTestata();
    header.Fields(QStringLiteral("CI03_CODCAUS")).setValue(*code);
    frame->RefreshRow(false, false);
    window.headerPanel()->TXT_CAUSALE_AfterItem();
    for (const auto &[column, value] : source.header)
        header.Fields(column).setValue(value);
    frame->RefreshRow(false, true);
    window.ConfigurazioneTabRicerca();
    copyLists(window, source, *code);
    copyChecks(window, source);
    copyDescription(window, source.description);
    frame->setRecordChanged(true);
    new PendingDuplicate(window, source.idProv);
}

} // namespace tools
