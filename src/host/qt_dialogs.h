#pragma once
// The dialog service that shows real Qt dialogs, and the pieces it is made of (kept public so
// that the mapping of VB styles can be checked and the dialogs rendered on their own).

#include "host/dialogs.h"

#include <QMessageBox>

#include <memory>

namespace host {

// A message box laid out as VB's MsgBox style asks: buttons (style & 7, Italian captions),
// icon (16 critical, 32 question, 48 exclamation, 64 information) and default button
// (256 second, 512 third). Unknown button groups raise nothing: they fall back to OK.
std::unique_ptr<QMessageBox> createMessageBox(const QString &text, int style, const QString &title,
                                              QWidget *parent = nullptr);
// The VB answer (MsgAnswer) of a standard button; 0 for a button that is not one of VB's.
int answerOfButton(QMessageBox::StandardButton button);
// The default button a style names among the buttons it shows (0 based).
int defaultButtonIndex(int style);

class QtDialogs : public DialogService
{
public:
    int message(const QString &text, int style, const QString &title) override;
    int errorDialog(const QString &title, long number, const QString &description,
                    const QString &source, int style) override;
    int choose(const QString &text, const QString &title, const QStringList &answers,
               int cancelIndex) override;
    QVariant lookup(const LookupRequest &request) override;
    std::optional<QString> inputText(const QString &prompt, const QString &title,
                                     const QString &initial, int maxLength) override;
    void editLanguageDescriptions(ado::Connection &connection, int entity,
                                  const QVariant &rowId) override;
};

// The question of QtDialogs::choose, one button per answer; the cancel answer is the default
// and the escape button.
std::unique_ptr<QMessageBox> createChoiceBox(const QString &text, const QString &title,
                                             const QStringList &answers, int cancelIndex,
                                             QWidget *parent = nullptr);

// The window the dialogs are shown over (the active window, or none).
QWidget *dialogParent();

} // namespace host
