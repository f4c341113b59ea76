#pragma once
// The abort/retry/ignore dialog of a run-time error: its number, description and the chain of
// routines it went through (its source, one routine a line).

#include <QDialog>

class QPushButton;

namespace host {

class ErrorDialog : public QDialog
{
    Q_OBJECT
public:
    ErrorDialog(const QString &title, long number, const QString &description,
                const QString &source, int style, QWidget *parent = nullptr);

    // Shows the dialog modally; 3 (Interrompi, also Esc and closing), 4 (Riprova), 5 (Ignora).
    int ask();
    // The answer given so far (3 until a button is pressed).
    int answer() const { return m_answer; }
    QPushButton *button(int answer) const;

private:
    int m_answer = 3;
    QPushButton *m_abort = nullptr;
    QPushButton *m_retry = nullptr;
    QPushButton *m_ignore = nullptr;
};

} // namespace host
