#include "tools/exchange_dialogs.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "tools/exchange_import.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace causali {

namespace {

QString codesText(const QStringList &codes)
{
    return codes.join(QStringLiteral(","));
}

} // namespace

FileExchangeDialog::FileExchangeDialog(Mode mode, QString connectionString, QWidget *parent)
    : QDialog(parent), m_mode(mode), m_connectionString(std::move(connectionString))
{
    const bool exporting = mode == Mode::Export;
    setWindowTitle(exporting ? QStringLiteral("Esporta causali")
                             : QStringLiteral("Importa causali"));
    setObjectName(exporting ? QStringLiteral("DLG_ESPORTA") : QStringLiteral("DLG_IMPORTA"));
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("TXT_FILE"));
    auto *browseButton = new QPushButton(QStringLiteral("&Sfoglia..."), this);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browseButton);
    auto *fileLabel = new QLabel(QStringLiteral("&File JSON"), this);
    fileLabel->setBuddy(m_file);
    auto *form = new QFormLayout;
    form->addRow(fileLabel, fileRow);
    if (exporting) {
        m_codes = new QLineEdit(this);
        m_codes->setObjectName(QStringLiteral("TXT_CODICI"));
        m_codes->setPlaceholderText(QStringLiteral("tutte; oppure codici separati da virgole"));
        form->addRow(QStringLiteral("&Causali"), m_codes);
    } else {
        m_dryRun = new QCheckBox(QStringLiteral("Solo &verifica, senza scrivere"), this);
        m_dryRun->setObjectName(QStringLiteral("CHK_VERIFICA"));
        form->addRow(QString(), m_dryRun);
    }
    m_run = new QPushButton(exporting ? QStringLiteral("&Esporta") : QStringLiteral("&Importa"),
                            this);
    m_run->setObjectName(QStringLiteral("CMD_ESEGUI"));
    m_report = new QPlainTextEdit(this);
    m_report->setObjectName(QStringLiteral("TXT_RESOCONTO"));
    m_report->setReadOnly(true);
    m_report->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_run, QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("C&hiudi"), QDialogButtonBox::RejectRole);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_report, 1);
    layout->addWidget(buttons);
    resize(640, 400);
    connect(browseButton, &QPushButton::clicked, this, &FileExchangeDialog::browse);
    connect(m_run, &QPushButton::clicked, this, &FileExchangeDialog::run);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void FileExchangeDialog::setCodes(const QStringList &codes)
{
    if (m_codes)
        m_codes->setText(codesText(codes));
}

void FileExchangeDialog::browse()
{
    const QString filter = QStringLiteral("Causali (*.json)");
    const QString path =
        m_mode == Mode::Export
            ? QFileDialog::getSaveFileName(this, windowTitle(), m_file->text(), filter)
            : QFileDialog::getOpenFileName(this, windowTitle(), m_file->text(), filter);
    if (!path.isEmpty())
        m_file->setText(path);
}

void FileExchangeDialog::run()
{
    const QString path = m_file->text().trimmed();
    if (path.isEmpty()) {
        m_report->setPlainText(QStringLiteral("Indicare il file JSON."));
        m_file->setFocus();
        return;
    }
    QString report;
    try {
        report = m_mode == Mode::Export ? exportFile(path) : importFile(path);
    } catch (const ado::RuntimeError &e) {
        report = QStringLiteral("Errore: %1").arg(e.description());
    }
    m_report->setPlainText(report);
}

QString FileExchangeDialog::exportFile(const QString &path)
{
    QStringList codes;
    for (const QString &part : m_codes->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!part.trimmed().isEmpty())
            codes << part.trimmed().toUpper();
    }
    ado::Connection connection;
    connection.Open(m_connectionString);
    const QByteArray document = exchange::exportCodes(connection, codes);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size()
        || !file.commit())
        return QStringLiteral("Impossibile scrivere %1: %2").arg(path, file.errorString());
    return QStringLiteral("Esportate le causali %1 in %2")
        .arg(codes.isEmpty() ? QStringLiteral("(tutte)") : codesText(codes), path);
}

QString FileExchangeDialog::importFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Impossibile leggere %1: %2").arg(path, file.errorString());
    exchange::ImportOptions options;
    options.dryRun = m_dryRun->isChecked();
    options.knownLanguages = m_languages;
    options.userLanguage = m_userLanguage;
    ado::Connection connection;
    connection.Open(m_connectionString);
    const exchange::ImportReport report = exchange::importCodes(connection, file.readAll(),
                                                                options);
    if (report.written) {
        m_written = true;
        emit codesWritten();
    }
    return report.lines.join(QLatin1Char('\n'));
}

void FileExchangeDialog::runExport(QWidget *parent, const QString &connectionString,
                                   const QStringList &codes)
{
    FileExchangeDialog dialog(Mode::Export, connectionString, parent);
    dialog.setCodes(codes);
    dialog.exec();
}

bool FileExchangeDialog::runImport(QWidget *parent, const QString &connectionString,
                                   const QStringList &knownLanguages, const QString &userLanguage)
{
    FileExchangeDialog dialog(Mode::Import, connectionString, parent);
    dialog.setKnownLanguages(knownLanguages);
    dialog.setUserLanguage(userLanguage);
    dialog.exec();
    return dialog.written();
}

} // namespace causali
