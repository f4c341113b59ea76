#pragma once
// The working tables in which the satellites of a reason code are edited: local temporary
// tables of the window's connection, created once (empty) and filled with the stored rows of
// the code shown each time a code is shown, by one set-based INSERT ... SELECT each.
//
//   #SEZIONALI          <- CI05_PROPSEZ (with company name and journal description)
//   #CI06_RICERCACONTO  <- CI06_RICERCACONTO
//   #SVILUPPO           <- CI10_PROPCONTICAUS (PDCVDS -1 for no expense/revenue item)
//   #CI99_DESLINGUA     <- CI99_DESLINGUA, provenance 903, the window's language only
//
// The first three are created once per window (WindowState::prepareFlags; a failed
// preparation leaves its flag False); the language table is created on every call (and filled
// with the code shown) and dropped by the language dialog's close.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace ado {
class Command;
}

namespace causali {

struct WindowState;

class WorkingTables
{
public:
    explicit WorkingTables(WindowState &state);
    ~WorkingTables();
    WorkingTables(const WorkingTables &) = delete;
    WorkingTables &operator=(const WorkingTables &) = delete;

    void PreparazioneTabellaSezionali();
    void PreparazioneTabellaRic();
    void PreparazioneTabellaSviluppo();
    void PreparazioneTabellaCausaliLingua();
    // Replaces the working tables' rows with the stored rows of one reason code (its lists, and
    // its descriptions in the window's language when idProv is given).
    void loadWorkingCopy(const QString &code, const QVariant &idProv);
    // Drops #CI99_DESLINGUA when it exists.
    void dropTabellaCausaliLingua();

    // ----- statement texts -----
    static QString createSezionaliText();
    static QString createRicText();
    static QString createSviluppoText();
    static QString createCausaliLinguaText();
    static QString fillSezionaliText();
    static QString fillRicText();
    static QString fillSviluppoText();
    static QString fillCausaliLinguaText(const QString &codLingua, const QVariant &idProv);
    // "DELETE #TABLE": every row of a working table.
    static QString emptyText(const QString &table);
    static QString dropCausaliLinguaText();
    // Drops a working table when it exists ("#NAME").
    static QString dropText(const QString &table);
    // The index built on each filled working table over the columns that select one reason
    // code's rows.
    static QString indexSezionaliText();
    static QString indexRicText();
    static QString indexSviluppoText();
    static QString indexCausaliLinguaText();
    // Every statement that preparing the four tables runs, in the order it runs them (create
    // and index of each table), and every statement that loading one code runs (fills with the
    // code and language placed in the text): what the benchmarks run beside the layer.
    static QStringList preparationTexts();
    static QStringList loadingTexts(const QString &code, const QString &codLingua,
                                    const QVariant &idProv);
    // Removal of one reason code's rows (code quoted in place of "@CAUSALE").
    static QString deleteRicRowsText(const QString &code);
    static QString deleteSviluppoRowsText(const QString &code);
    static QString deleteSezionaliRowsText(const QString &code);
    // Removal of the description rows of one header row (CI03_IDPROV, placed bare).
    static QString deleteCausaliLinguaRowsText(const QVariant &idProv);

private:
    void prepare(bool *flag, const QString &createText, const QString &indexText);
    void fill(std::unique_ptr<ado::Command> &slot, const QString &text, const QString &code);
    void fillCausaliLingua();

    WindowState &m_state;
    std::unique_ptr<ado::Command> m_fillSezionali;
    std::unique_ptr<ado::Command> m_fillRic;
    std::unique_ptr<ado::Command> m_fillSviluppo;
    bool m_linguaPrepared = false; // #CI99_DESLINGUA exists
    QVariant m_loadedIdProv;
};

} // namespace causali
