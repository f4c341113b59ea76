#pragma once
// The coded values of a reason code (D1..D10) with their captions, and the routines that fill
// the window's combo boxes from them.
//
// Combo items carry the stored code; the linked-code lookups print some codes with texts of
// their own (lookupText). Items are listed in the order the combos show them.

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace ado {
class Connection;
}

namespace causali {

struct DomainItem
{
    QVariant code;                     // qint32 for D1..D5, qint16 for D6, D8, D10, int for D7
    QString caption;                   // combo item text
    std::optional<QString> lookupText; // text printed by the lookups; none when they print none
};

struct ValueDomain
{
    QString column;          // stored column ("CI03_INDTIPOCOSRIC", ...)
    QString combo;           // combo box that edits it ("" when none)
    QString comboCaption;    // the combo's caption ("" when none)
    QList<DomainItem> items; // in combo order
};

const ValueDomain &domainTipoCosto();   // D1 CI03_INDTIPOCOSRIC
const ValueDomain &domainMovDati();     // D2 CI03_INDTIPOMOVDATI
const ValueDomain &domainPropCosto();   // D3 CI03_INDPROPCOSTO
const ValueDomain &domainProvCosto();   // D4 CI03_INDPROVCOSTO (combo order 2, 0, 1)
const ValueDomain &domainTipoModello(); // D5 CI03_INDSTAPER_CI04
const ValueDomain &domainQtaValore();   // D6 CI03_INDREGVALQTA
const ValueDomain &domainFlag();        // D7 0/1 flags as the lookups print them
const ValueDomain &domainSegno();       // D8 CI10_INDSEGNO / SEGNO ("Avere" first)
const ValueDomain &domainTipoRiga();    // D10 CI06_INDTIPORIGA: six row types, then -1

// The item of `domain` with `code` (compared as numbers); nullptr when there is none.
const DomainItem *findItem(const ValueDomain &domain, const QVariant &code);

// Codes other units compare against.
enum MovDati : qint32 { MovStandard = 0, MovMagazzino = 1, MovManodopera = 2, MovRipartizione = 3 };
enum PropCosto : qint32 { PropNessuno = 0, PropCostoAnagrafico = 1, PropCostoScheda = 2 };
enum ProvCosto : qint32 { ProvDaConto = 0, ProvDaVoce = 1, ProvNessuna = 2 };
enum Segno : qint16 { SegnoDare = 1, SegnoAvere = 2 };                 // D8
enum LatoRicerca : qint16 { ContoDestinazione = 1, ContoOrigine = 2 }; // D9
enum TipoRiga : qint16 {
    RigaNessuna = -1,
    RigaArticolo = 0,
    RigaArticoloManuale = 1,
    RigaSpesa = 4,
    RigaNodoProgetto = 15,
    RigaAttivitaProgetto = 16,
    RigaSpesaProgetto = 17
};
inline constexpr int ProvenienzaCausale = 903; // CI99_PROVID_FW4A of reason-code descriptions
inline const QString LinguaBase = QStringLiteral("ITA");

// What the fill routines need of a combo box. The window adapts its ComboBox controls; tests
// pass a recording fake.
class ComboControl
{
public:
    virtual ~ComboControl() = default;
    virtual void clear() = 0;
    // The Boolean option every fill switches off before adding items (items keep the order
    // in which they are added).
    virtual void setSorted(bool sorted) = 0;
    virtual void addItem(const QString &caption, const QVariant &code) = 0;
    virtual void selectIndex(int index) = 0;
    // The code of the selected item as text ("" when none is selected).
    virtual QString valueText() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

// The combos CaricaCombo fills.
struct ComboTargets
{
    ComboControl &movDati;       // CBO_MOVDATI
    ComboControl &tipoCosto;     // CBO_TIPOCOSTO
    ComboControl &tipoPropCosto; // CBO_TIPOPROPCOSTO
    ComboControl &provCosto;     // CBO_PROVCOSTO
    ComboControl &tipoModello;   // CBO_TIPOMODELLO
    ComboControl &tipoQtaVal;    // CBO_TIPOQTAVAL
    ComboControl &ditta;         // CBO_DITTA
    ComboControl &segno;         // CBO_SEGNO
};

// The six header combos, then CaricaComboSezionali, then CaricaComboSviluppo.
void CaricaCombo(const ComboTargets &combos, ado::Connection &connection);
// CBO_SEGNO: "Avere" (2), "Dare" (1).
void CaricaComboSviluppo(ComboControl &segno);
// CBO_DITTA: the empty item (-1), then "code - name" of every company with cost accounting.
void CaricaComboSezionali(ComboControl &ditta, ado::Connection &connection);
// CBO_RICTIPORIGA for the data movement shown in CBO_MOVDATI. `optionSet` is the window's
// memory that the combo option was switched off once; `aggiornamentoFiltroRic` re-applies the
// row-type filter of the search-sequence frames.
void CaricaComboRic(ComboControl &ricTipoRiga, const ComboControl &movDati, bool &optionSet,
                    const std::function<void()> &aggiornamentoFiltroRic);

// The company-list statement of CaricaComboSezionali.
QString companyListText();

} // namespace causali
