#include "host/error_dialog.h"

#include "host/dialogs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace host {

namespace {

// The source as the dialog lists it: one routine a line, without the blank first line that
// the event handler puts in front.
QString sourceLines(const QString &source)
{
    QString text = source;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (text.startsWith(QLatin1Char('\n')))
        text.remove(0, 1);
    return text;
}

} // namespace

ErrorDialog::ErrorDialog(const QString &title, long number, const QString &description,
                         const QString &source, int style, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    setModal(true);

    auto *icon = new QLabel(this);
    const int side = style & 0x70;
    const auto pixmap = side == vbExclamation ? QStyle::SP_MessageBoxWarning
                                              : QStyle::SP_MessageBoxCritical;
    icon->setPixmap(QApplication::style()->standardIcon(pixmap).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto *heading = new QLabel(QStringLiteral("<b>Errore n. %1</b>").arg(number), this);
    auto *text = new QLabel(
        description.isEmpty() ? QStringLiteral("(nessuna descrizione)") : description, this);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setObjectName(QStringLiteral("description"));

    auto *sourceLabel = new QLabel(QStringLiteral("Origine:"), this);
    auto *sourceText = new QPlainTextEdit(sourceLines(source), this);
    sourceText->setObjectName(QStringLiteral("source"));
    sourceText->setReadOnly(true);
    sourceText->setLineWrapMode(QPlainTextEdit::NoWrap);
    sourceText->setMinimumHeight(90);

    // The three buttons in the order the user knows them, whatever the platform's habit.
    auto *buttons = new QHBoxLayout;
    m_abort = new QPushButton(QStringLiteral("Interrompi"), this);
    m_retry = new QPushButton(QStringLiteral("Riprova"), this);
    m_ignore = new QPushButton(QStringLiteral("Ignora"), this);
    buttons->addStretch(1);
    QPushButton *order[] = {m_abort, m_retry, m_ignore};
    for (int i = 0; i < 3; ++i) {
        buttons->addWidget(order[i]);
        connect(order[i], &QPushButton::clicked, this, [this, i] {
            m_answer = vbAbort + i;
            done(m_answer);
        });
    }
    const int defaultIndex = (style & 0x300) >> 8;
    button(vbAbort + (defaultIndex <= 2 ? defaultIndex : 0))->setDefault(true);

    auto *body = new QVBoxLayout;
    body->addWidget(heading);
    body->addWidget(text);
    body->addSpacing(6);
    body->addWidget(sourceLabel);
    body->addWidget(sourceText, 1);

    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(body, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    resize(460, 280);
}

QPushButton *ErrorDialog::button(int answer) const
{
    switch (answer) {
    case vbAbort:
        return m_abort;
    case vbRetry:
        return m_retry;
    case vbIgnore:
        return m_ignore;
    default:
        return nullptr;
    }
}

int ErrorDialog::ask()
{
    m_answer = vbAbort;
    exec();
    return m_answer;
}

} // namespace host
