#include "data/value_domains.h"

#include "data_fixture.h"

#include <QStringList>

using causali::ComboControl;

namespace {

// Records what a fill routine does to a combo, one line per call.
class RecordingCombo : public ComboControl
{
public:
    QStringList calls;
    QList<QVariant> codes;
    QString value;

    void clear() override
    {
        calls << "clear";
        codes.clear();
    }
    void setSorted(bool sorted) override { calls << (sorted ? "sorted=true" : "sorted=false"); }
    void addItem(const QString &caption, const QVariant &code) override
    {
        calls << "add " + caption + '|' + code.toString();
        codes << code;
    }
    void selectIndex(int index) override { calls << QStringLiteral("select %1").arg(index); }
    QString valueText() const override { return value; }
    void setEnabled(bool on) override { calls << (on ? "enabled=true" : "enabled=false"); }
};

QStringList filled(std::initializer_list<const char *> items)
{
    QStringList calls{"clear", "sorted=false"};
    for (const char *item : items)
        calls << "add " + QString::fromUtf8(item);
    return calls;
}

class ComboFill : public datatest::DataTest
{
protected:
    RecordingCombo movDati, tipoCosto, tipoPropCosto, provCosto, tipoModello, tipoQtaVal, ditta,
        segno;
    causali::ComboTargets targets{movDati,     tipoCosto,  tipoPropCosto, provCosto,
                                  tipoModello, tipoQtaVal, ditta,         segno};
};

TEST_F(ComboFill, CaricaComboGivesEveryItemInComboOrder)
{
    causali::CaricaCombo(targets, connection);

    EXPECT_EQ(movDati.calls, filled({"Standard|0", "Magazzino|1", "Manodopera|2",
                                     "Ripartizione costi indiretti|3"}));
    EXPECT_EQ(tipoCosto.calls, filled({"Causale di costo|0", "Causale di ricavo|1"}));
    EXPECT_EQ(tipoPropCosto.calls,
              filled({"Nessuno|0", "Costo std anagrafico|1", "Costo std da scheda|2"}));
    EXPECT_EQ(provCosto.calls, filled({"Nessuna|2", "Da conto|0", "Da voce di spesa/ricavo|1"}));
    EXPECT_EQ(tipoModello.calls, filled({"Standard|0", "Personalizzato|1"}));
    EXPECT_EQ(tipoQtaVal.calls, filled({"Qta e valore|0", "Solo valore|1"}));
    EXPECT_EQ(segno.calls, filled({"Avere|2", "Dare|1"}));

    // Item codes keep their widths: 32-bit for the header indicators, 16-bit for the others.
    EXPECT_EQ(movDati.codes.first().typeId(), QMetaType::Int);
    EXPECT_EQ(tipoQtaVal.codes.first().typeId(), QMetaType::Short);
    EXPECT_EQ(segno.codes.first().typeId(), QMetaType::Short);

    // Companies: the empty item, then the cost-accounting companies as "code - name", then the
    // empty item selected. Company 4 has no cost accounting.
    ASSERT_EQ(ditta.calls.size(), 2 + 1 + testsupport::demo::CostAccountingCompanyCount + 1);
    EXPECT_EQ(ditta.calls.mid(0, 3), (QStringList{"clear", "sorted=false", "add |-1"}));
    QStringList companies = ditta.calls.mid(3, testsupport::demo::CostAccountingCompanyCount);
    companies.sort();
    EXPECT_EQ(companies, (QStringList{"add 1 - Meccanica Lombarda S.p.A.|1",
                                      "add 2 - Tessitura Val Seriana S.r.l.|2",
                                      "add 3 - Conserve dell'Adriatico S.p.A.|3"}));
    EXPECT_EQ(ditta.calls.last(), "select 0");
}

TEST_F(ComboFill, CompanyListFailurePassesUpBothLabels)
{
    exec("DROP TABLE CG25_ANADITTAGEST");
    const QString source = datatest::errorSource(
        [&] { causali::CaricaCombo(targets, connection); });
    EXPECT_TRUE(source.startsWith("CaricaCombo:\r\nCaricaComboSezionali:\r\n"))
        << source.toStdString();
    // The header combos were filled before the failure; the sign combo was not reached.
    EXPECT_FALSE(tipoQtaVal.calls.isEmpty());
    EXPECT_TRUE(segno.calls.isEmpty());
}

TEST(CaricaComboRic, RowTypesFollowTheDataMovement)
{
    RecordingCombo movDati, ric;
    bool optionSet = false;
    int filterUpdates = 0;
    const auto refilter = [&] { ++filterUpdates; };

    movDati.value = "1";
    causali::CaricaComboRic(ric, movDati, optionSet, refilter);
    EXPECT_EQ(ric.calls,
              (QStringList{"sorted=false", "clear", "add Riga articolo|0",
                           "add Riga articolo manuale|1", "add Riga spesa|4",
                           "add Riga nodo di progetto|15", "add Riga attività di progetto|16",
                           "add Riga spesa di progetto|17", "enabled=true", "select 0"}));
    EXPECT_TRUE(optionSet);
    EXPECT_EQ(filterUpdates, 1);

    // The option is switched off only the first time; other movements leave only -1, disabled.
    for (const char *movement : {"0", "2", "3"}) {
        ric.calls.clear();
        movDati.value = movement;
        causali::CaricaComboRic(ric, movDati, optionSet, refilter);
        EXPECT_EQ(ric.calls, (QStringList{"clear", "add |-1", "enabled=false", "select 0"}))
            << movement;
        EXPECT_EQ(ric.codes.first().typeId(), QMetaType::Short);
    }

    // No movement chosen: nothing added, enabled state left alone.
    ric.calls.clear();
    movDati.value = QString();
    causali::CaricaComboRic(ric, movDati, optionSet, refilter);
    EXPECT_EQ(ric.calls, (QStringList{"clear", "select 0"}));
    EXPECT_EQ(filterUpdates, 5);
}

} // namespace
