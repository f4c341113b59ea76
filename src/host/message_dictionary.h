#pragma once
// The host's numbered messages: Italian texts by number, and their display through the dialog
// service. A text may hold placeholders %1, %2, ... filled from the message parameters.

#include <QString>
#include <QStringList>

namespace host {

class MessageDictionary
{
public:
    // The message's text with the parameters filled in. An unknown number gives a text that
    // names the number ("Messaggio n. 123 non presente nel dizionario dei messaggi").
    QString GetText(long number, const QStringList &params = {}) const;
    bool contains(long number) const;
    // Shows the message with the message-box style given; returns the answer (MsgAnswer).
    // An empty title shows the application's.
    int ShowMessage(long number, int style, const QString &title = {},
                    const QStringList &params = {}) const;
    // Shows a text that is not in the dictionary, as ShowMessage does.
    int messageBox(const QString &text, int style, const QString &title = {}) const;

    void setApplicationTitle(const QString &title) { m_applicationTitle = title; }
    QString applicationTitle() const { return m_applicationTitle; }

private:
    QString m_applicationTitle = QStringLiteral("Contabilità analitica");
};

// Numbers of the host messages the module shows.
namespace msg {
enum : long {
    CompanyChangeRefused = 30179,  // the company cannot change while the module is open
    ExportToOfficeRefused = 69054, // export to a spreadsheet or word processor
    FunctionNotAvailable = 45614,  // a navigator function this module does not offer
    NoCostAccounting = 43671,      // start-up precondition on the current company
    DescriptionMissing = 21782,
    StandardCostNeedsSource = 1456,
    AccountTypeMissing = 1261,
    TooManyAccountTypes = 1333,
};
// The ten account types, in the order of the account-type checks (CI11_FLGCOLLEG ..
// CI11_FLGALTRITIPI) and of PC03_INDTIPOCONTO 0..9.
constexpr long AccountTypeTexts[10] = {15718, 15884, 15719, 10643, 73249,
                                       15768, 15772, 15773, 15742, 6107};
} // namespace msg

} // namespace host
