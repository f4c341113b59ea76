#include "host/dialogs.h"

#include "host/error_dialog.h"
#include "host/language_dialog.h"
#include "host/lookup_dialog.h"
#include "host/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>

namespace host {

namespace {

std::unique_ptr<DialogService> &slot()
{
    static std::unique_ptr<DialogService> service;
    return service;
}

struct ButtonChoice
{
    QMessageBox::StandardButton button;
    const char *caption;
};

// Buttons of each VB button group, in the order VB shows them.
std::vector<ButtonChoice> buttonsOf(int style)
{
    switch (style & 7) {
    case vbOKCancel:
        return {{QMessageBox::Ok, "OK"}, {QMessageBox::Cancel, "Annulla"}};
    case vbAbortRetryIgnore:
        return {{QMessageBox::Abort, "Interrompi"},
                {QMessageBox::Retry, "Riprova"},
                {QMessageBox::Ignore, "Ignora"}};
    case vbYesNoCancel:
        return {
            {QMessageBox::Yes, "Sì"}, {QMessageBox::No, "No"}, {QMessageBox::Cancel, "Annulla"}};
    case vbYesNo:
        return {{QMessageBox::Yes, "Sì"}, {QMessageBox::No, "No"}};
    case vbRetryCancel:
        return {{QMessageBox::Retry, "Riprova"}, {QMessageBox::Cancel, "Annulla"}};
    default:
        return {{QMessageBox::Ok, "OK"}};
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

DialogService &DialogService::instance()
{
    auto &service = slot();
    if (!service)
        service = std::make_unique<QtDialogs>();
    return *service;
}

std::unique_ptr<DialogService> DialogService::install(std::unique_ptr<DialogService> service)
{
    auto previous = std::move(slot());
    slot() = std::move(service);
    return previous;
}

int defaultButtonIndex(int style)
{
    return (style & 0x300) >> 8;
}

std::unique_ptr<QMessageBox> createMessageBox(const QString &text, int style, const QString &title,
                                              QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(title);
    box->setText(text);
    box->setIcon(iconOf(style));
    const auto choices = buttonsOf(style);
    for (const auto &choice : choices)
        box->addButton(choice.button)->setText(QString::fromUtf8(choice.caption));
    const int index = defaultButtonIndex(style);
    const auto &chosen = choices[size_t(index) < choices.size() ? size_t(index) : 0];
    box->setDefaultButton(chosen.button);
    if (style & vbSystemModal)
        box->setWindowModality(Qt::ApplicationModal);
    return box;
}

int answerOfButton(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok:
        return vbOK;
    case QMessageBox::Cancel:
        return vbCancel;
    case QMessageBox::Abort:
        return vbAbort;
    case QMessageBox::Retry:
        return vbRetry;
    case QMessageBox::Ignore:
        return vbIgnore;
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    default:
        return 0;
    }
}

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

int QtDialogs::message(const QString &text, int style, const QString &title)
{
    auto box = createMessageBox(text, style, title, dialogParent());
    box->exec();
    QAbstractButton *clicked = box->clickedButton();
    if (!clicked) // closed without a button: the answer of the escape button, as VB
        clicked = box->escapeButton();
    const int answer = clicked ? answerOfButton(box->standardButton(clicked)) : 0;
    if (answer)
        return answer;
    return (style & 7) == vbOKOnly ? vbOK : vbCancel;
}

std::unique_ptr<QMessageBox> createChoiceBox(const QString &text, const QString &title,
                                             const QStringList &answers, int cancelIndex,
                                             QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, title, text,
                                             QMessageBox::NoButton, parent);
    for (int i = 0; i < answers.size(); ++i) {
        QPushButton *button = box->addButton(
            answers[i], i == cancelIndex ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        if (i == cancelIndex) {
            box->setDefaultButton(button);
            box->setEscapeButton(button);
        }
    }
    return box;
}

int QtDialogs::choose(const QString &text, const QString &title, const QStringList &answers,
                      int cancelIndex)
{
    auto box = createChoiceBox(text, title, answers, cancelIndex, dialogParent());
    box->exec();
    const int index = box->buttons().indexOf(box->clickedButton());
    // buttons() lists them in the order they were added.
    return index >= 0 && index < answers.size() ? index : cancelIndex;
}

int QtDialogs::errorDialog(const QString &title, long number, const QString &description,
                           const QString &source, int style)
{
    ErrorDialog dialog(title, number, description, source, style, dialogParent());
    return dialog.ask();
}

std::optional<QString> QtDialogs::inputText(const QString &prompt, const QString &title,
                                            const QString &initial, int maxLength)
{
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Annulla"));
    if (maxLength > 0) {
        if (auto *edit = dialog.findChild<QLineEdit *>())
            edit->setMaxLength(maxLength);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QVariant QtDialogs::lookup(const LookupRequest &request)
{
    LookupDialog dialog(request, dialogParent());
    return dialog.pick();
}

void QtDialogs::editLanguageDescriptions(ado::Connection &connection, int entity,
                                         const QVariant &rowId)
{
    LanguageDialog dialog(connection, entity, rowId, dialogParent());
    dialog.exec();
}

} // namespace host
