#include "data/value_domains.h"

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/recordset.h"
#include "ado/vb.h"
#include "data/sql_text.h"

namespace causali {

namespace {

DomainItem item32(qint32 code, const QString &caption, std::optional<QString> lookup)
{
    return {QVariant::fromValue(code), caption, std::move(lookup)};
}

DomainItem item16(qint16 code, const QString &caption)
{
    return {QVariant::fromValue(code), caption, std::nullopt};
}

void fillFromDomain(ComboControl &combo, const ValueDomain &domain)
{
    combo.clear();
    combo.setSorted(false);
    for (const DomainItem &item : domain.items)
        combo.addItem(item.caption, item.code);
}

} // namespace

const ValueDomain &domainTipoCosto()
{
    static const ValueDomain d{
        QStringLiteral("CI03_INDTIPOCOSRIC"),
        QStringLiteral("CBO_TIPOCOSTO"),
        QStringLiteral("Tipologia: costo / ricavo"),
        {item32(0, QStringLiteral("Causale di costo"), QStringLiteral("Costo")),
         item32(1, QStringLiteral("Causale di ricavo"), QStringLiteral("Ricavo"))}};
    return d;
}

const ValueDomain &domainMovDati()
{
    static const ValueDomain d{
        QStringLiteral("CI03_INDTIPOMOVDATI"),
        QStringLiteral("CBO_MOVDATI"),
        QStringLiteral("Tipo movimentazione dati"),
        {item32(0, QStringLiteral("Standard"), QStringLiteral("Standard")),
         item32(1, QStringLiteral("Magazzino"), QStringLiteral("Magazzino")),
         item32(2, QStringLiteral("Manodopera"), QStringLiteral("Manodopera")),
         item32(3, QStringLiteral("Ripartizione costi indiretti"),
                QStringLiteral("Ripartizione costi indiretti"))}};
    return d;
}

const ValueDomain &domainPropCosto()
{
    static const ValueDomain d{
        QStringLiteral("CI03_INDPROPCOSTO"),
        QStringLiteral("CBO_TIPOPROPCOSTO"),
        QStringLiteral("Tipo costo standard"),
        {item32(0, QStringLiteral("Nessuno"), QStringLiteral("Nessuno")),
         item32(1, QStringLiteral("Costo std anagrafico"), QStringLiteral("Costo std anagrafico")),
         // the lookups have no branch for 2 and print an empty cell
         item32(2, QStringLiteral("Costo std da scheda"), std::nullopt)}};
    return d;
}

const ValueDomain &domainProvCosto()
{
    static const ValueDomain d{QStringLiteral("CI03_INDPROVCOSTO"),
                               QStringLiteral("CBO_PROVCOSTO"),
                               QStringLiteral("Provenienza costo"),
                               {item32(2, QStringLiteral("Nessuna"), QStringLiteral("Nessuna")),
                                item32(0, QStringLiteral("Da conto"), QStringLiteral("Da conto")),
                                item32(1, QStringLiteral("Da voce di spesa/ricavo"),
                                       QStringLiteral("Da voce di spesa o di ricavo"))}};
    return d;
}

const ValueDomain &domainTipoModello()
{
    static const ValueDomain d{
        QStringLiteral("CI03_INDSTAPER_CI04"),
        QStringLiteral("CBO_TIPOMODELLO"),
        QStringLiteral("Tipo modello: standard / personalizzato"),
        {item32(0, QStringLiteral("Standard"), QStringLiteral("Standard")),
         item32(1, QStringLiteral("Personalizzato"), QStringLiteral("Personalizzato"))}};
    return d;
}

const ValueDomain &domainQtaValore()
{
    static const ValueDomain d{
        QStringLiteral("CI03_INDREGVALQTA"),
        QStringLiteral("CBO_TIPOQTAVAL"),
        QStringLiteral("Qta/Valore"),
        {item16(0, QStringLiteral("Qta e valore")), item16(1, QStringLiteral("Solo valore"))}};
    return d;
}

const ValueDomain &domainFlag()
{
    static const ValueDomain d{QString(),
                               QString(),
                               QString(),
                               {{QVariant(0), QStringLiteral("No"), QStringLiteral("No")},
                                {QVariant(1), QStringLiteral("Sì"), QStringLiteral("Sì")}}};
    return d;
}

const ValueDomain &domainSegno()
{
    static const ValueDomain d{
        QStringLiteral("CI10_INDSEGNO"),
        QStringLiteral("CBO_SEGNO"),
        QStringLiteral("Segno"),
        {item16(SegnoAvere, QStringLiteral("Avere")), item16(SegnoDare, QStringLiteral("Dare"))}};
    return d;
}

const ValueDomain &domainTipoRiga()
{
    static const ValueDomain d{
        QStringLiteral("CI06_INDTIPORIGA"),
        QStringLiteral("CBO_RICTIPORIGA"),
        QStringLiteral("Tipo riga"),
        {item16(RigaArticolo, QStringLiteral("Riga articolo")),
         item16(RigaArticoloManuale, QStringLiteral("Riga articolo manuale")),
         item16(RigaSpesa, QStringLiteral("Riga spesa")),
         item16(RigaNodoProgetto, QStringLiteral("Riga nodo di progetto")),
         item16(RigaAttivitaProgetto, QStringLiteral("Riga attività di progetto")),
         item16(RigaSpesaProgetto, QStringLiteral("Riga spesa di progetto")),
         item16(RigaNessuna, QString())}};
    return d;
}

const DomainItem *findItem(const ValueDomain &domain, const QVariant &code)
{
    bool ok = false;
    const qlonglong wanted = code.toLongLong(&ok);
    if (!ok)
        return nullptr;
    for (const DomainItem &item : domain.items) {
        if (item.code.toLongLong() == wanted)
            return &item;
    }
    return nullptr;
}

void CaricaCombo(const ComboTargets &combos, ado::Connection &connection)
{
    ado::passUp(QStringLiteral("CaricaCombo"), [&] {
        fillFromDomain(combos.movDati, domainMovDati());
        fillFromDomain(combos.tipoCosto, domainTipoCosto());
        fillFromDomain(combos.tipoPropCosto, domainPropCosto());
        fillFromDomain(combos.provCosto, domainProvCosto());
        fillFromDomain(combos.tipoModello, domainTipoModello());
        fillFromDomain(combos.tipoQtaVal, domainQtaValore());
        CaricaComboSezionali(combos.ditta, connection);
        CaricaComboSviluppo(combos.segno);
    });
}

void CaricaComboSviluppo(ComboControl &segno)
{
    ado::passUp(QStringLiteral("CaricaComboSviluppo"),
                [&] { fillFromDomain(segno, domainSegno()); });
}

QString companyListText()
{
    return sql::lines(
        {QStringLiteral("SELECT"), QStringLiteral("    CG18_DITTA          AS CODICE"),
         QStringLiteral("    , CG16_RAGSOANAG    AS RAGIONESOCIALE"), QStringLiteral("FROM"),
         QStringLiteral("    CG18_ANADITTABASE"), QStringLiteral("    INNER JOIN"),
         QStringLiteral("    CG25_ANADITTAGEST"), QStringLiteral("    ON"),
         QStringLiteral("    CG18_DITTA = CG25_DITTA_CG18"), QStringLiteral("    INNER JOIN"),
         QStringLiteral("    CG16_ANAGGEN"), QStringLiteral("    ON"),
         QStringLiteral("    CG18_CODICE_CG16 = CG16_CODICE"), QStringLiteral("WHERE"),
         QStringLiteral("    CG25_FLGCONIND = 1")});
}

void CaricaComboSezionali(ComboControl &ditta, ado::Connection &connection)
{
    ado::passUp(QStringLiteral("CaricaComboSezionali"), [&] {
        ditta.clear();
        ditta.setSorted(false);
        const QString text = companyListText();
        ditta.addItem(QString(), QVariant(-1));
        const auto rs = connection.Execute(text, nullptr, ado::adCmdText);
        if (rs && rs->State() == ado::adStateOpen && !rs->isBOF() && !rs->isEOF()) {
            while (!rs->isEOF()) {
                const QVariant code = rs->Fields(QStringLiteral("CODICE")).Value();
                const QVariant name = rs->Fields(QStringLiteral("RAGIONESOCIALE")).Value();
                ditta.addItem(
                    ado::CStr(code) + QStringLiteral(" - ") + ado::NormalizzaStringa(name), code);
                rs->MoveNext();
            }
        }
        ditta.selectIndex(0);
    });
}

void CaricaComboRic(ComboControl &ricTipoRiga, const ComboControl &movDati, bool &optionSet,
                    const std::function<void()> &aggiornamentoFiltroRic)
{
    ado::passUp(QStringLiteral("CaricaComboRic"), [&] {
        if (!optionSet) {
            ricTipoRiga.setSorted(false);
            optionSet = true;
        }
        ricTipoRiga.clear();
        const QString movimento = movDati.valueText();
        const QList<DomainItem> &types = domainTipoRiga().items;
        if (movimento == QLatin1String("0") || movimento == QLatin1String("2")
            || movimento == QLatin1String("3")) {
            ricTipoRiga.addItem(QString(), QVariant::fromValue(qint16(RigaNessuna)));
            ricTipoRiga.setEnabled(false);
        } else if (movimento == QLatin1String("1")) {
            for (const DomainItem &type : types) {
                if (type.code.toInt() != RigaNessuna)
                    ricTipoRiga.addItem(type.caption, type.code);
            }
            ricTipoRiga.setEnabled(true);
        }
        ricTipoRiga.selectIndex(0);
        if (aggiornamentoFiltroRic)
            aggiornamentoFiltroRic();
    });
}

} // namespace causali
