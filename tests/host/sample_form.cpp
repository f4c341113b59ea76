#include "sample_form.h"

#include "ado/connection.h"
#include "ado/constants.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "engine/sqlite_util.h"
#include "host/account_box.h"
#include "host/check_box.h"
#include "host/code_box.h"
#include "host/combo_box.h"
#include "host/data_frame.h"
#include "host/grid.h"
#include "host/grid_navigator.h"
#include "host/handler_connection.h"
#include "host/main_navigator.h"
#include "host/number_box.h"

#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <stdexcept>

namespace hosttest {

namespace {

const char *const Tables[] = {
    "CREATE TABLE PROVE_TESTATA (\r\n"
    "    PT_CODICE   NCHAR(4) COLLATE DATABASE_DEFAULT NOT NULL PRIMARY KEY,\r\n"
    "    PT_DESCR    NVARCHAR(40) NULL,\r\n"
    "    PT_TIPO     INT NOT NULL DEFAULT 0,\r\n"
    "    PT_QUANTITA INT NULL,\r\n"
    "    PT_CONTO    NVARCHAR(20) NULL,\r\n"
    "    PT_ATTIVO   INT NOT NULL DEFAULT 0,\r\n"
    "    PT_IDPROV   DECIMAL(18, 0) NULL UNIQUE)",
    "CREATE TABLE PROVE_RIGHE (\r\n"
    "    PR_CODICE   NCHAR(4) COLLATE DATABASE_DEFAULT NOT NULL,\r\n"
    "    PR_RIGA     INT NOT NULL,\r\n"
    "    PR_NOTA     NVARCHAR(40) NULL,\r\n"
    "    PRIMARY KEY (PR_CODICE, PR_RIGA))",
};

// Trigger bodies are SQLite's own syntax, which the connection's T-SQL rewriter refuses by
// design; they go to the same connection's handle.
const char *const Triggers =
    "CREATE TRIGGER PROVE_TESTATA_IDPROV AFTER INSERT ON PROVE_TESTATA\n"
    "    WHEN NEW.PT_IDPROV IS NULL\n"
    "BEGIN\n"
    "    UPDATE PROVE_TESTATA\n"
    "        SET PT_IDPROV = (SELECT IFNULL(MAX(PT_IDPROV), 100) + 1 FROM PROVE_TESTATA)\n"
    "        WHERE rowid = NEW.rowid;\n"
    "END;\n"
    "CREATE TRIGGER PROVE_TESTATA_RIFIUTO_INS BEFORE INSERT ON PROVE_TESTATA\n"
    "    WHEN NEW.PT_DESCR = 'RIFIUTATA'\n"
    "BEGIN SELECT RAISE(ABORT, 'descrizione rifiutata dal database'); END;\n"
    "CREATE TRIGGER PROVE_TESTATA_RIFIUTO_UPD BEFORE UPDATE ON PROVE_TESTATA\n"
    "    WHEN NEW.PT_DESCR = 'RIFIUTATA'\n"
    "BEGIN SELECT RAISE(ABORT, 'descrizione rifiutata dal database'); END;\n";

const char *const Seed[] = {
    "INSERT INTO PROVE_TESTATA (PT_CODICE, PT_DESCR, PT_TIPO, PT_QUANTITA, PT_CONTO, PT_ATTIVO)"
    " VALUES ('AAAA', 'Prima prova', 0, 10, '01.01', 1), ('BBBB', 'Seconda prova', 1, NULL, NULL, "
    "0),"
    " ('CCCC', 'Terza prova', 0, 3, '02.01', 0)",
    "INSERT INTO PROVE_RIGHE (PR_CODICE, PR_RIGA, PR_NOTA)"
    " VALUES ('AAAA', 1, 'prima'), ('AAAA', 2, 'seconda'), ('BBBB', 1, 'unica')",
};

QString quoted(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

} // namespace

// ---------------------------------------------------------------- database

SampleDatabase::SampleDatabase()
    : m_dir(std::make_unique<QTemporaryDir>()), m_connection(std::make_unique<ado::Connection>())
{
    if (!m_dir->isValid())
        throw std::runtime_error("SampleDatabase: no temporary directory");
    m_path = QDir(m_dir->path()).absoluteFilePath(QStringLiteral("prove.db"));
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("SampleDatabase: cannot create " + m_path.toStdString());
    file.close();
    m_connection->Open(QStringLiteral("Data Source=") + m_path);
    for (const char *sql : Tables)
        m_connection->Execute(QString::fromUtf8(sql), nullptr, ado::adCmdTextNoRecords);
    engine::exec(m_connection->handle(), Triggers);
    for (const char *sql : Seed)
        m_connection->Execute(QString::fromUtf8(sql), nullptr, ado::adCmdTextNoRecords);
}

SampleDatabase::~SampleDatabase() = default;

QVariant SampleDatabase::scalar(const QString &sql) const
{
    ado::Connection other;
    other.Open(QStringLiteral("Data Source=") + m_path);
    auto rs = other.Execute(sql);
    if (!rs || rs->State() != ado::adStateOpen || rs->isEOF())
        return ado::Null();
    return rs->Fields(0).Value();
}

// ---------------------------------------------------------------- form

const QString SampleForm::HeaderSql = QStringLiteral("SELECT\r\n"
                                                     "      PT_CODICE\r\n"
                                                     "    , PT_DESCR\r\n"
                                                     "    , PT_TIPO\r\n"
                                                     "    , PT_QUANTITA\r\n"
                                                     "    , PT_CONTO\r\n"
                                                     "    , PT_ATTIVO\r\n"
                                                     "    , PT_IDPROV\r\n"
                                                     "FROM\r\n"
                                                     "    PROVE_TESTATA WITH (NOLOCK) \r\n"
                                                     "ORDER BY PT_CODICE");

QString SampleForm::rowsSql(const QString &code)
{
    return QStringLiteral("SELECT PR_CODICE, PR_RIGA, PR_NOTA FROM PROVE_RIGHE WHERE %1"
                          " ORDER BY PR_RIGA")
        .arg(code.isEmpty() ? QStringLiteral("1 = 0")
                            : QStringLiteral("PR_CODICE = ") + quoted(code));
}

SampleForm::SampleForm(ado::Connection &connection, QWidget *parent)
    : QWidget(parent)
    , m_connection(connection)
    , m_headerRs(std::make_unique<ado::Recordset>())
    , m_rowsRs(std::make_unique<ado::Recordset>())
{
    setObjectName(QStringLiteral("SampleForm"));
    resize(1100, 800);
    auto *layout = new QVBoxLayout(this);
    navigator = new host::MainNavigator(this);
    layout->addWidget(navigator);
    buildHeader();
    buildRows();
    wireHeader();
    wireRows();
}

SampleForm::~SampleForm()
{
    // The frames and the grid let go of the row sets before these are destroyed.
    header->Terminate();
    rows->Terminate();
    grid->setDataSource(nullptr);
}

namespace {

// A control of the form, named, bound to its field with its caption, and put in `fields`.
template<typename Control>
Control *bound(QWidget *parent, QFormLayout *fields, const char *name, const char *field,
               const QString &caption)
{
    auto *control = new Control(parent);
    control->setObjectName(QLatin1String(name));
    control->setDataField(QLatin1String(field));
    control->setCaption(caption);
    if (fields)
        fields->addRow(caption, control);
    return control;
}

} // namespace

void SampleForm::buildHeader()
{
    auto *fields = new QFormLayout;
    static_cast<QVBoxLayout *>(layout())->addLayout(fields);
    codeBox = bound<host::CodeBox>(this, fields, "TXT_CODICE", "PT_CODICE",
                                   QStringLiteral("Codice"));
    codeBox->setMaxLength(4);
    codeBox->setUpperCase(true);
    codeBox->setRequired(true);
    descriptionBox = bound<host::CodeBox>(this, fields, "TXT_DESCR", "PT_DESCR",
                                          QStringLiteral("Descrizione"));
    descriptionBox->setRequired(true);
    kindCombo = bound<host::ComboBox>(this, fields, "CBO_TIPO", "PT_TIPO", QStringLiteral("Tipo"));
    kindCombo->addCodeItem(QStringLiteral("Normale"), 0);
    kindCombo->addCodeItem(QStringLiteral("Speciale"), 1);
    kindCombo->setDefaultValue(0);
    quantityBox = bound<host::NumberBox>(this, fields, "TXT_QUANTITA", "PT_QUANTITA",
                                         QStringLiteral("Quantità"));
    accountBox = bound<host::AccountBox>(this, fields, "TXT_CONTO", "PT_CONTO",
                                         QStringLiteral("Conto"));
    activeCheck = bound<host::CheckBox>(this, fields, "CHK_ATTIVO", "PT_ATTIVO",
                                        QStringLiteral("Attivo"));

    m_headerRs->Open(HeaderSql, &m_connection, ado::adOpenUnspecified, ado::adLockUnspecified,
                     ado::adCmdText);
    header = new host::DataFrame(this);
    header->Initialize(nullptr, &m_connection, m_headerRs.get(), HeaderSql,
                       QStringLiteral("PT_CODICE"), navigator, nullptr);
    header->AddControl(codeBox);
    header->AddControl(descriptionBox);
    header->AddControl(kindCombo);
    header->AddControl(quantityBox);
    header->AddControl(accountBox);
    header->AddControl(activeCheck);
    header->setFirstControl(codeBox);
    header->setOptionA(true);
    header->setOptionD(true);
    header->setMessageSubject(QStringLiteral("della prova"), QStringLiteral("della prova"));
    header->setOptionE(-1);
}

void SampleForm::buildRows()
{
    auto *box = static_cast<QVBoxLayout *>(layout());
    grid = new host::Grid(this);
    grid->setObjectName(QStringLiteral("GRD_RIGHE"));
    grid->AddColumn(QStringLiteral("PR_RIGA"), QStringLiteral("Riga"), 1, 900, true);
    grid->AddColumn(QStringLiteral("PR_NOTA"), QStringLiteral("Nota"), 1, 3000, true);
    grid->ApplyLayout();
    gridNavigator = new host::GridNavigator(this);
    gridNavigator->setObjectName(QStringLiteral("GNV_RIGHE"));
    rowBox = bound<host::NumberBox>(this, nullptr, "TXT_RIGA", "PR_RIGA", QStringLiteral("Riga"));
    rowBox->setRequired(true);
    noteBox = bound<host::CodeBox>(this, nullptr, "TXT_NOTA", "PR_NOTA", QStringLiteral("Nota"));
    box->addWidget(grid);
    box->addWidget(gridNavigator);
    box->addWidget(rowBox);
    box->addWidget(noteBox);

    const QString sql = rowsSql(QString());
    m_rowsRs->Open(sql, &m_connection, ado::adOpenUnspecified, ado::adLockUnspecified,
                   ado::adCmdText);
    rows = new host::DataFrame(this);
    rows->Initialize(nullptr, &m_connection, m_rowsRs.get(), sql, QStringLiteral("PR_RIGA"),
                     gridNavigator, grid);
    rows->AddControl(rowBox);
    rows->AddControl(noteBox);
    rows->setFirstControl(rowBox);
    rows->setMessageSubject(QStringLiteral("della riga"), QStringLiteral("della riga"));
    rows->setOptionE(0);
    header->AddChild(rows);
}

// What the editor window does for its header frame, reduced to this form.
void SampleForm::wireHeader()
{
    connect(header, &host::DataFrame::ChangeStatus, this, [this](long status, long reason) {
        if (status == host::DataFrame::StatusBrowse && reason != host::DataFrame::ReasonSaved)
            loadRows(ado::NormalizzaStringa(codeBox->Text()));
        else if (status == host::DataFrame::StatusNew)
            loadRows(QString());
    });
    host::connectHandler(header, &host::DataFrame::IsRecordChanged, this, [this](bool &changed) {
        changed = changed || rows->Modified() || rows->RecordChanged();
    });
    host::connectHandler(header, &host::DataFrame::BeforeUpdate, this, [this](bool &cancel) {
        if (!cancel && rows->RecordChanged() && !rows->ConfirmPending(true, true, false))
            cancel = true;
    });
    connect(header, &host::DataFrame::AfterUpdate, this, [this](long result) {
        if (result == host::DataFrame::OperationSucceeded)
            rows->WriteBatch();
    });
    connect(header, &host::DataFrame::AfterUndo, this, [this](long result) {
        if (result != host::DataFrame::OperationSucceeded)
            return;
        rows->ResetControls();
        m_rowsRs->Requery();
        rows->setSqlText(QString());
    });
}

// What the editor window does for a satellite frame in batch mode.
void SampleForm::wireRows()
{
    connect(rows, &host::DataFrame::AfterAddNew, this, [this](long result) {
        if (result == host::DataFrame::OperationSucceeded)
            m_rowsRs->Fields(QStringLiteral("PR_CODICE"))
                .setValue(ado::NormalizzaStringa(codeBox->Text()));
    });
    connect(rows, &host::DataFrame::UpdateBatchAll, this, [this] {
        if (!rows->Modified())
            return;
        if (rows->Status() == host::DataFrame::StatusNew)
            m_rowsRs->CancelUpdate();
        rows->setGrid(nullptr);
        grid->setDataSource(nullptr);
        rows->setRecordset(nullptr);
        m_rowsRs->UpdateBatch(ado::adAffectAllChapters);
        rows->setRecordset(m_rowsRs.get());
        grid->setDataSource(m_rowsRs.get());
        rows->setGrid(grid);
        rows->setSqlText(QString());
    });
}

void SampleForm::loadRows(const QString &code)
{
    const QString sql = rowsSql(code);
    m_rowsRs->Close();
    m_rowsRs->Open(sql, &m_connection, ado::adOpenUnspecified, ado::adLockUnspecified,
                   ado::adCmdText);
    rows->setSqlText(sql);
}

} // namespace hosttest
