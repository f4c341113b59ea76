#include "host/language_dialog.h"

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/dialogs.h"

#include <QDialogButtonBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace host {

namespace {

const QString BaseLanguage = QStringLiteral("ITA");

// Edits a description no longer than the table takes.
class DescriptionDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->setMaxLength(LanguageDescriptions::MaxLength);
        return editor;
    }
};

std::unique_ptr<ado::Parameter> parameter(const ado::Command &command, long type, long size,
                                          const QVariant &value)
{
    return command.CreateParameter(QString(), type, ado::adParamInput, size, value);
}

void appendKey(ado::Command &command, const QString &code, int entity, const QVariant &rowId)
{
    command.parameters().Append(parameter(command, ado::adVarWChar, 4, code));
    command.parameters().Append(parameter(command, ado::adInteger, 0, entity));
    auto id = parameter(command, ado::adDecimal, 0, rowId);
    id->Precision = 18;
    command.parameters().Append(std::move(id));
}

} // namespace

QString languageName(const QString &code)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("ITA"), QStringLiteral("Italiano")},
        {QStringLiteral("ENG"), QStringLiteral("Inglese")},
        {QStringLiteral("FRA"), QStringLiteral("Francese")},
        {QStringLiteral("DEU"), QStringLiteral("Tedesco")},
        {QStringLiteral("TED"), QStringLiteral("Tedesco")},
        {QStringLiteral("ESP"), QStringLiteral("Spagnolo")},
        {QStringLiteral("SPA"), QStringLiteral("Spagnolo")},
        {QStringLiteral("POR"), QStringLiteral("Portoghese")},
    };
    return names.value(code.trimmed().toUpper(), code.trimmed());
}

LanguageDescriptions::LanguageDescriptions(ado::Connection &connection, int entity,
                                           const QVariant &rowId)
    : m_connection(connection), m_entity(entity), m_rowId(rowId)
{}

std::vector<std::pair<QString, QString>> LanguageDescriptions::languages(
    ado::Connection &connection)
{
    // The languages table first, then any language already used by a description.
    QStringList codes{BaseLanguage, QStringLiteral("ENG")};
    QHash<QString, QString> names;
    auto rs = connection.Execute(QStringLiteral(
        "SELECT MG52_CODLINGUA, MG52_DESCR FROM MG52_LINGUE WITH (NOLOCK)\r\n"
        "UNION\r\n"
        "SELECT DISTINCT CI99_CODLINGUA_MG52, NULL FROM CI99_DESLINGUA WITH (NOLOCK)"));
    for (; rs && !rs->isEOF(); rs->MoveNext()) {
        const QString code = ado::NormalizzaStringa(rs->Fields(0).Value()).toUpper();
        const QString name = ado::NormalizzaStringa(rs->Fields(1).Value());
        if (code.isEmpty())
            continue;
        if (!codes.contains(code))
            codes << code;
        if (!name.isEmpty())
            names.insert(code, name);
    }
    std::sort(codes.begin() + 1, codes.end());
    std::vector<std::pair<QString, QString>> result;
    for (const auto &code : codes)
        result.emplace_back(code, names.value(code, languageName(code)));
    return result;
}

void LanguageDescriptions::load()
{
    ado::passUp(QStringLiteral("LanguageDescriptions.load"), [&] {
        m_rows.clear();
        for (const auto &[code, name] : languages(m_connection))
            m_rows.push_back({code, name, {}, {}});

        ado::Command command;
        command.setActiveConnection(&m_connection);
        command.setCommandType(ado::adCmdText);
        command.setCommandText(QStringLiteral(
            "SELECT CI99_CODLINGUA_MG52, CI99_DESCRIZIONE FROM CI99_DESLINGUA WITH (NOLOCK)"
            " WHERE CI99_PROVID_FW4A = ? AND CI99_IDPROV = ?"));
        command.parameters().Append(parameter(command, ado::adInteger, 0, m_entity));
        auto id = parameter(command, ado::adDecimal, 0, m_rowId);
        id->Precision = 18;
        command.parameters().Append(std::move(id));
        auto rs = command.Execute();
        for (; rs && !rs->isEOF(); rs->MoveNext()) {
            const QString code = ado::NormalizzaStringa(rs->Fields(0).Value()).toUpper();
            const QString text = ado::NormalizzaStringa(rs->Fields(1).Value());
            auto it = std::find_if(m_rows.begin(), m_rows.end(),
                                   [&](const LanguageText &t) { return t.code == code; });
            if (it == m_rows.end())
                it = m_rows.insert(m_rows.end(), {code, languageName(code), {}, {}});
            it->text = it->stored = text;
        }
    });
}

void LanguageDescriptions::setText(const QString &code, const QString &text)
{
    for (auto &row : m_rows) {
        if (row.code == code) {
            row.text = text;
            return;
        }
    }
    ado::raise(ado::adErrItemNotFound,
               QStringLiteral("La lingua %1 non è tra quelle dell'archivio").arg(code),
               QStringLiteral("LanguageDescriptions.setText"));
}

bool LanguageDescriptions::hasChanges() const
{
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [](const LanguageText &t) { return t.changed(); });
}

void LanguageDescriptions::save()
{
    for (const auto &row : m_rows) {
        if (row.text.size() > MaxLength)
            ado::raise(ado::adErrInvalidArgument,
                       QStringLiteral("La descrizione in %1 supera i %2 caratteri")
                           .arg(row.name)
                           .arg(MaxLength),
                       QStringLiteral("LanguageDescriptions.save"));
    }
    if (!hasChanges())
        return;
    ado::passUp(QStringLiteral("LanguageDescriptions.save"), [&] {
        m_connection.BeginTrans();
        try {
            for (const auto &row : m_rows) {
                if (!row.changed())
                    continue;
                ado::Command remove;
                remove.setActiveConnection(&m_connection);
                remove.setCommandType(ado::adCmdText);
                remove.setCommandText(
                    QStringLiteral("DELETE FROM CI99_DESLINGUA WHERE CI99_CODLINGUA_MG52 = ?"
                                   " AND CI99_PROVID_FW4A = ? AND CI99_IDPROV = ?"));
                appendKey(remove, row.code, m_entity, m_rowId);
                remove.Execute(nullptr, ado::adCmdTextNoRecords);
                const QString text = ado::NormalizzaStringa(row.text);
                if (text.isEmpty())
                    continue;
                ado::Command insert;
                insert.setActiveConnection(&m_connection);
                insert.setCommandType(ado::adCmdText);
                insert.setCommandText(QStringLiteral(
                    "INSERT INTO CI99_DESLINGUA (CI99_CODLINGUA_MG52, CI99_PROVID_FW4A,"
                    " CI99_IDPROV, CI99_DESCRIZIONE) VALUES (?, ?, ?, ?)"));
                appendKey(insert, row.code, m_entity, m_rowId);
                insert.parameters().Append(parameter(insert, ado::adVarWChar, MaxLength, text));
                insert.Execute(nullptr, ado::adCmdTextNoRecords);
            }
            m_connection.CommitTrans();
        } catch (...) {
            ado::ignoreErrors({[&] { m_connection.RollbackTrans(); }});
            throw;
        }
    });
    for (auto &row : m_rows)
        row.stored = row.text = ado::NormalizzaStringa(row.text);
}

LanguageDialog::LanguageDialog(ado::Connection &connection, int entity, const QVariant &rowId,
                               QWidget *parent)
    : QDialog(parent), m_descriptions(connection, entity, rowId)
{
    setWindowTitle(QStringLiteral("Descrizioni in lingua"));
    setModal(true);
    try {
        m_descriptions.load();
    } catch (const ado::RuntimeError &e) {
        DialogService::instance().message(
            QStringLiteral("Le descrizioni in lingua non possono essere lette.\n%1")
                .arg(e.description()),
            vbOKOnly | vbCritical, windowTitle());
    }

    const auto &rows = m_descriptions.rows();
    m_table = new QTableWidget(int(rows.size()), 2, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Lingua"), QStringLiteral("Descrizione")});
    for (int r = 0; r < int(rows.size()); ++r) {
        auto *language = new QTableWidgetItem(
            QStringLiteral("%1 - %2").arg(rows[size_t(r)].code, rows[size_t(r)].name));
        language->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        language->setData(Qt::UserRole, rows[size_t(r)].code);
        m_table->setItem(r, 0, language);
        m_table->setItem(r, 1, new QTableWidgetItem(rows[size_t(r)].text));
    }
    m_table->setItemDelegateForColumn(1, new DescriptionDelegate(m_table));
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->resizeColumnToContents(0);
    m_table->setEditTriggers(QAbstractItemView::AllEditTriggers);
    if (!rows.empty())
        m_table->setCurrentCell(0, 1);

    auto *hint = new QLabel(QStringLiteral("Una descrizione vuota elimina quella lingua."), this);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Salva"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (saveEdits())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    resize(520, 260);
}

bool LanguageDialog::saveEdits()
{
    try {
        for (int r = 0; r < m_table->rowCount(); ++r)
            m_descriptions.setText(m_table->item(r, 0)->data(Qt::UserRole).toString(),
                                   m_table->item(r, 1)->text());
        m_descriptions.save();
        return true;
    } catch (const ado::RuntimeError &e) {
        DialogService::instance().message(
            QStringLiteral("Le descrizioni non sono state salvate.\n%1").arg(e.description()),
            vbOKOnly | vbCritical, windowTitle());
        return false;
    }
}

} // namespace host
