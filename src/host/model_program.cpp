#include "host/model_program.h"

#include "ado/command.h"
#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "host/cinterface.h"
#include "host/dialogs.h"
#include "host/qt_dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace host {

namespace {

const QString Title = QStringLiteral("Gestione modelli di movimento");

std::unique_ptr<ado::Recordset> run(ado::Connection &connection, const QString &sql,
                                    const QVariantList &values, long options = -1)
{
    ado::Command command;
    command.setActiveConnection(&connection);
    command.setCommandType(ado::adCmdText);
    command.setCommandText(sql);
    for (const auto &value : values) {
        const bool number = value.typeId() == QMetaType::Int;
        command.parameters().Append(
            command.CreateParameter(QString(), number ? ado::adInteger : ado::adVarWChar,
                                    ado::adParamInput, number ? 0 : 80, value));
    }
    return command.Execute(nullptr, options);
}

QString cleanCode(const QString &code)
{
    return ado::NormalizzaStringa(code).trimmed().toUpper();
}

} // namespace

// ----- stored models -----

std::vector<PostingModel> PostingModels::list(int modelType) const
{
    std::vector<PostingModel> models;
    auto rs = run(m_connection,
                  QStringLiteral("SELECT CI04_MODELLO, CI04_DESCR FROM CI04_MODELLI WITH (NOLOCK)"
                                 " WHERE CI04_INDSTAPER = ? ORDER BY CI04_MODELLO"),
                  {modelType});
    for (; rs && !rs->isEOF(); rs->MoveNext())
        models.push_back({ado::NormalizzaStringa(rs->Fields(0).Value()),
                          ado::NormalizzaStringa(rs->Fields(1).Value())});
    return models;
}

bool PostingModels::exists(int modelType, const QString &code) const
{
    auto rs = run(m_connection,
                  QStringLiteral("SELECT COUNT(*) FROM CI04_MODELLI"
                                 " WHERE CI04_INDSTAPER = ? AND CI04_MODELLO = ?"),
                  {modelType, cleanCode(code)});
    return rs && !rs->isEOF() && ado::CLng(rs->Fields(0).Value()) > 0;
}

void PostingModels::add(int modelType, const QString &code, const QString &description)
{
    const QString source = QStringLiteral("PostingModels.add");
    const QString key = cleanCode(code);
    const QString text = ado::NormalizzaStringa(description);
    if (key.isEmpty())
        ado::raise(ado::adErrInvalidArgument, QStringLiteral("Indicare il codice del modello"),
                   source);
    if (key.size() > CodeLength)
        ado::raise(
            ado::adErrInvalidArgument,
            QStringLiteral("Il codice del modello non può superare %1 caratteri").arg(CodeLength),
            source);
    if (text.isEmpty() || text.size() > DescriptionLength)
        ado::raise(ado::adErrInvalidArgument,
                   QStringLiteral("Indicare una descrizione di al massimo %1 caratteri")
                       .arg(DescriptionLength),
                   source);
    if (exists(modelType, key))
        ado::raise(ado::adErrInvalidArgument, QStringLiteral("Il modello %1 esiste già").arg(key),
                   source);
    ado::passUp(source, [&] {
        run(m_connection,
            QStringLiteral("INSERT INTO CI04_MODELLI (CI04_INDSTAPER, CI04_MODELLO, CI04_DESCR)"
                           " VALUES (?, ?, ?)"),
            {modelType, key, text}, ado::adCmdTextNoRecords);
    });
}

void PostingModels::setDescription(int modelType, const QString &code, const QString &description)
{
    const QString source = QStringLiteral("PostingModels.setDescription");
    const QString text = ado::NormalizzaStringa(description);
    if (text.isEmpty() || text.size() > DescriptionLength)
        ado::raise(ado::adErrInvalidArgument,
                   QStringLiteral("Indicare una descrizione di al massimo %1 caratteri")
                       .arg(DescriptionLength),
                   source);
    if (!exists(modelType, code))
        ado::raise(ado::adErrNoCurrentRecord,
                   QStringLiteral("Il modello %1 non esiste").arg(cleanCode(code)), source);
    ado::passUp(source, [&] {
        run(m_connection,
            QStringLiteral("UPDATE CI04_MODELLI SET CI04_DESCR = ?"
                           " WHERE CI04_INDSTAPER = ? AND CI04_MODELLO = ?"),
            {text, modelType, cleanCode(code)}, ado::adCmdTextNoRecords);
    });
}

void PostingModels::remove(int modelType, const QString &code)
{
    const QString source = QStringLiteral("PostingModels.remove");
    const QString key = cleanCode(code);
    auto rs = run(m_connection,
                  QStringLiteral("SELECT CI03_CODCAUS FROM CI03_CAUSALI WITH (NOLOCK)"
                                 " WHERE CI03_INDSTAPER_CI04 = ? AND CI03_MODELLO_CI04 = ?"
                                 " ORDER BY CI03_CODCAUS"),
                  {modelType, key});
    if (rs && !rs->isEOF())
        ado::raise(ado::adErrIllegalOperation,
                   QStringLiteral("Il modello %1 è usato dalla causale %2: impossibile eliminarlo")
                       .arg(key, ado::NormalizzaStringa(rs->Fields(0).Value())),
                   source);
    ado::passUp(source, [&] {
        run(m_connection,
            QStringLiteral(
                "DELETE FROM CI04_MODELLI WHERE CI04_INDSTAPER = ? AND CI04_MODELLO = ?"),
            {modelType, key}, ado::adCmdTextNoRecords);
    });
}

// ----- the program's window -----

ModelDialog::ModelDialog(ado::Connection &connection, int modelType, const QString &model,
                         QWidget *parent)
    : QDialog(parent), m_models(connection)
{
    setWindowTitle(Title);
    setModal(true);

    m_type = new QComboBox(this);
    m_type->addItem(QStringLiteral("Standard"), 0);
    m_type->addItem(QStringLiteral("Personalizzato"), 1);
    auto *typeLabel = new QLabel(QStringLiteral("&Tipo modello:"), this);
    typeLabel->setBuddy(m_type);

    m_table = new QTableWidget(0, 2, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Modello"), QStringLiteral("Descrizione")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_code = new QLineEdit(this);
    m_code->setMaxLength(PostingModels::CodeLength);
    m_description = new QLineEdit(this);
    m_description->setMaxLength(PostingModels::DescriptionLength);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Codice:"), m_code);
    form->addRow(QStringLiteral("&Descrizione:"), m_description);

    auto *buttons = new QDialogButtonBox(this);
    auto *newButton = buttons->addButton(QStringLiteral("&Nuovo"), QDialogButtonBox::ActionRole);
    auto *saveButton = buttons->addButton(QStringLiteral("&Salva"), QDialogButtonBox::ActionRole);
    m_delete = buttons->addButton(QStringLiteral("&Elimina"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("C&hiudi"), QDialogButtonBox::RejectRole);
    connect(newButton, &QPushButton::clicked, this, [this] { startNew(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { saveCurrent(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { deleteCurrent(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableWidget::currentCellChanged, this, [this] { showSelected(); });
    connect(m_type, &QComboBox::currentIndexChanged, this, [this] { reload(); });

    auto *top = new QHBoxLayout;
    top->addWidget(typeLabel);
    top->addWidget(m_type);
    top->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(520, 400);

    const QSignalBlocker block(m_type);
    m_type->setCurrentIndex(modelType == 1 ? 1 : 0);
    reload(cleanCode(model));
}

int ModelDialog::modelType() const
{
    return m_type->currentData().toInt();
}

void ModelDialog::setModelType(int modelType)
{
    m_type->setCurrentIndex(modelType == 1 ? 1 : 0);
}

QString ModelDialog::currentModel() const
{
    const int row = m_table->currentRow();
    return row >= 0 && m_table->item(row, 0) ? m_table->item(row, 0)->text() : QString();
}

void ModelDialog::selectModel(const QString &code)
{
    for (int r = 0; r < m_table->rowCount(); ++r) {
        if (m_table->item(r, 0)->text() == cleanCode(code)) {
            m_table->setCurrentCell(r, 0);
            return;
        }
    }
}

void ModelDialog::reload(const QString &select)
{
    std::vector<PostingModel> models;
    try {
        models = m_models.list(modelType());
    } catch (const ado::RuntimeError &e) {
        reportError(QStringLiteral("I modelli non possono essere letti."), e.description());
    }
    const QSignalBlocker block(m_table);
    m_table->setRowCount(int(models.size()));
    for (int r = 0; r < int(models.size()); ++r) {
        m_table->setItem(r, 0, new QTableWidgetItem(models[size_t(r)].code));
        m_table->setItem(r, 1, new QTableWidgetItem(models[size_t(r)].description));
    }
    m_table->resizeColumnToContents(0);
    m_table->setColumnWidth(0, m_table->columnWidth(0) + 16);
    m_table->setCurrentCell(models.empty() ? -1 : 0, 0);
    selectModel(select);
    showSelected();
}

void ModelDialog::showSelected()
{
    m_new = false;
    const int row = m_table->currentRow();
    const bool any = row >= 0;
    m_code->setText(any ? m_table->item(row, 0)->text() : QString());
    m_description->setText(any ? m_table->item(row, 1)->text() : QString());
    m_code->setReadOnly(true);
    m_delete->setEnabled(any);
}

void ModelDialog::startNew()
{
    m_new = true;
    m_code->clear();
    m_description->clear();
    m_code->setReadOnly(false);
    m_delete->setEnabled(false);
    m_code->setFocus();
}

bool ModelDialog::saveCurrent()
{
    const QString code = cleanCode(m_code->text());
    try {
        if (m_new)
            m_models.add(modelType(), code, m_description->text());
        else if (!code.isEmpty())
            m_models.setDescription(modelType(), code, m_description->text());
        else
            return false;
    } catch (const ado::RuntimeError &e) {
        reportError(QStringLiteral("Il modello non è stato salvato."), e.description());
        return false;
    }
    reload(code);
    return true;
}

bool ModelDialog::deleteCurrent()
{
    const QString code = currentModel();
    if (code.isEmpty())
        return false;
    const int answer = DialogService::instance().message(
        QStringLiteral("Eliminare il modello %1?").arg(code),
        vbYesNo | vbQuestion | vbDefaultButton2, Title);
    if (answer != vbYes)
        return false;
    try {
        m_models.remove(modelType(), code);
    } catch (const ado::RuntimeError &e) {
        reportError(QStringLiteral("Il modello non è stato eliminato."), e.description());
        return false;
    }
    reload();
    return true;
}

void ModelDialog::reportError(const QString &what, const QString &description)
{
    DialogService::instance().message(what + QLatin1Char('\n') + description,
                                      vbOKOnly | vbExclamation, Title);
}

// ----- launcher -----

void ModelProgram::run()
{
    const QString source = QStringLiteral("ModelProgram.Run");
    if (!m_interface)
        ado::raise(91, QStringLiteral("Il programma dei modelli non ha un modulo chiamante"),
                   source);
    ado::Connection *connection = m_interface->Connection();
    if (!connection)
        ado::raise(ado::adErrObjectClosed,
                   QStringLiteral("Il modulo chiamante non ha una connessione al database"),
                   source);
    const QString type = ado::NormalizzaStringa(m_modelType);
    ModelDialog dialog(*connection, type.isEmpty() ? 0 : int(ado::CLng(type)), m_model,
                       m_callerBox ? m_callerBox->window() : dialogParent());
    ++m_runs;
    dialog.exec();
}

} // namespace host
