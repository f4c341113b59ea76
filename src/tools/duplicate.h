#pragma once
// "Duplica": a new reason code made from the one shown. The user types the new code; the
// window then shows it as a new, unsaved code carrying the header fields, the account-type
// checks, the four lists and the description of the code it came from. "Conferma" writes it
// all in the save's one transaction, the descriptions in the other languages included;
// "Annulla" (or leaving it for another code) drops it and nothing is written.

#include <QString>

namespace causali {
class FRMCI_CAUSALI;
}

namespace tools {

// The reason code the user typed, as the code box keeps it (blanks around it dropped, upper
// case).
QString normalizedNewCode(const QString &typed);

// Why a typed code cannot be the new code (Italian, for the user), or "" when it can: it must
// be exactly `length` characters without blanks, and not a stored code (`inUse`).
QString newCodeRefusal(const QString &code, int length, bool inUse);

// The window's "Duplica". Refused with a message when the window shows no stored code or the
// code shown has unsaved changes.
void duplicateShownCode(causali::FRMCI_CAUSALI &window);

} // namespace tools
