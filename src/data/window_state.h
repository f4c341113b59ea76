#pragma once
// State of the reason-code editor window shared by its units (working tables, save and delete,
// lookups, combo fills), and what those units read from the window's controls.
//
// The window owns one WindowState and implements HeaderView; each unit receives both by
// reference and lives no longer than the window.

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

namespace ado {
class Command;
class Connection;
} // namespace ado

namespace causali {

// Which working tables have been created and filled (#CI99_DESLINGUA has no flag: it is
// rebuilt every time the language dialog closes).
struct PrepareFlags
{
    bool sezionali = false; // #SEZIONALI
    bool ricerca = false;   // #CI06_RICERCACONTO
    bool sviluppo = false;  // #SVILUPPO
};

struct WindowState
{
    ado::Connection *connection = nullptr; // the window's own connection
    QString CodLingua;                     // user's language, CHAR(4) ("ITA" is the base one)
    QVariant pdc;                          // chart of accounts of the company
    QVariant pdcVds;                       // expense/revenue-item chart ("-1" when none)
    bool separateVdsChart = false;         // expense/revenue items have a chart of their own

    bool AccountTypesChanged = false;
    bool UsedByStock = false;
    bool UsedByProduction = false;
    bool UsedByReallocation = false;
    bool DeletionInProgress = false;

    PrepareFlags prepareFlags;
    bool ricComboOptionSet = false; // CaricaComboRic switched the combo option off once
};

// What the units read of the window's header: the window implements it over its controls and
// the header frame's current row; tests implement it with plain values.
class HeaderView
{
public:
    virtual ~HeaderView() = default;
    // Text of TXT_CAUSALE as the box holds it (the units right-trim it).
    virtual QVariant causaleText() const = 0;
    // CI03_IDPROV of the header frame's current row.
    virtual QVariant idProv() const = 0;
    // Text of TXT_DCAUSALE.
    virtual QString descrizioneText() const = 0;
};

// A header shown by values rather than by a window: what a tool, a benchmark or a test hands
// the save and lookup routines for the code it writes.
class HeaderValues : public HeaderView
{
public:
    QVariant code;
    QVariant id;
    QString description;

    QVariant causaleText() const override { return code; }
    QVariant idProv() const override { return id; }
    QString descrizioneText() const override { return description; }
};

// The reason code shown: the right-trimmed text of TXT_CAUSALE ("" for Null or Empty).
QString codiceCausale(const HeaderView &header);

// The window's connection; raises a clear error when the window has none.
ado::Connection &connectionOf(const WindowState &state);

// The prepared command in slot, built on first use on the window's connection: text, then
// whatever configure adds (type, timeout, parameters), then Prepared. Building goes on past
// any error: a command that could not be completed fails, with its own error, when executed.
ado::Command &preparedCommand(std::unique_ptr<ado::Command> &slot, const WindowState &state,
                              const QString &text,
                              const std::function<void(ado::Command &)> &configure);

} // namespace causali
