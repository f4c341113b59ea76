#pragma once
// A small form for the data-frame tests: one control of each kind bound to a test table and a
// child frame in batch mode with a grid and a grid navigator, wired the way the editor window
// wires its header and satellites (the child follows the header's row, the header's save
// writes the child's pending rows).
//
// Tables (SampleDatabase creates them in a temporary file):
//   PROVE_TESTATA  header: PT_CODICE (key), PT_DESCR, PT_TIPO, PT_QUANTITA, PT_CONTO,
//                  PT_ATTIVO, PT_IDPROV (given by a trigger on insert); the database refuses
//                  (RAISE ABORT) a description "RIFIUTATA".
//   PROVE_RIGHE    rows of a header: PR_CODICE, PR_RIGA (key within the header), PR_NOTA.
// Seed: headers AAAA, BBBB, CCCC (identifiers 101, 102, 103); rows AAAA 1 "prima",
// AAAA 2 "seconda", BBBB 1 "unica".

#include <QString>
#include <QWidget>

#include <memory>

class QTemporaryDir;

namespace ado {
class Connection;
class Recordset;
} // namespace ado

namespace host {
class AccountBox;
class CheckBox;
class CodeBox;
class ComboBox;
class DataFrame;
class Grid;
class GridNavigator;
class MainNavigator;
class NumberBox;
} // namespace host

namespace hosttest {

class SampleDatabase
{
public:
    SampleDatabase();
    ~SampleDatabase();
    SampleDatabase(const SampleDatabase &) = delete;
    SampleDatabase &operator=(const SampleDatabase &) = delete;

    ado::Connection &connection() { return *m_connection; }
    // A value read with a second connection, as another user would see it (Null for no row).
    QVariant scalar(const QString &sql) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<ado::Connection> m_connection;
};

class SampleForm : public QWidget
{
    Q_OBJECT

public:
    static const QString HeaderSql;

    explicit SampleForm(ado::Connection &connection, QWidget *parent = nullptr);
    ~SampleForm() override;

    host::MainNavigator *navigator = nullptr;
    host::CodeBox *codeBox = nullptr;
    host::CodeBox *descriptionBox = nullptr;
    host::ComboBox *kindCombo = nullptr;
    host::NumberBox *quantityBox = nullptr;
    host::AccountBox *accountBox = nullptr;
    host::CheckBox *activeCheck = nullptr;

    host::Grid *grid = nullptr;
    host::GridNavigator *gridNavigator = nullptr;
    host::NumberBox *rowBox = nullptr;
    host::CodeBox *noteBox = nullptr;

    host::DataFrame *header = nullptr;
    host::DataFrame *rows = nullptr;

    ado::Recordset &headerRecordset() { return *m_headerRs; }
    ado::Recordset &rowsRecordset() { return *m_rowsRs; }
    // SELECT of the rows of a header code (no rows for an empty code).
    static QString rowsSql(const QString &code);

private:
    void buildHeader();
    void buildRows();
    void wireHeader();
    void wireRows();
    void loadRows(const QString &code);

    ado::Connection &m_connection;
    std::unique_ptr<ado::Recordset> m_headerRs;
    std::unique_ptr<ado::Recordset> m_rowsRs;
};

} // namespace hosttest
