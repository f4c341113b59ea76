// Feeds any text to the Filter criteria and Sort parsers, and evaluates what parses on a few
// rows of every kind of value. A malformed text must be refused with a run-time error; nothing
// else may escape, crash or trip the sanitizers.

#include "ado/constants.h"
#include "ado/error.h"
#include "ado/filter.h"
#include "ado/vb.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Columns of the module's row sets, and a few of every kind.
const QStringList &columns()
{
    static const QStringList names{"CI06_INDTIPORIGA",
                                   "CI06_CAUSALE_CI03",
                                   "CI06_INDSEGNO",
                                   "CI06_PROVIDER_CI07",
                                   "CI10_PERCENTUALE",
                                   "CODLINGUA",
                                   "Ragione Sociale",
                                   "DAY",
                                   "NOTE",
                                   "AMOUNT"};
    return names;
}

int lookup(const QString &name)
{
    for (int i = 0; i < columns().size(); ++i) {
        if (columns()[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::vector<std::vector<QVariant>> rows()
{
    const std::vector<QVariant> kinds{QVariant(qlonglong(4)),
                                      QVariant(QStringLiteral("C1  ")),
                                      QVariant(-1.5),
                                      QVariant(QStringLiteral("10")),
                                      ado::Null(),
                                      QVariant(),
                                      QVariant(QDate(2024, 3, 15)),
                                      QVariant(QStringLiteral("2024-03-15 10:00:00")),
                                      QVariant(true),
                                      QVariant(QStringLiteral("L'Ottica"))};
    std::vector<std::vector<QVariant>> out;
    for (size_t shift = 0; shift < kinds.size(); ++shift) {
        std::vector<QVariant> row;
        for (size_t c = 0; c < size_t(columns().size()); ++c)
            row.push_back(kinds[(c + shift) % kinds.size()]);
        out.push_back(row);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::vector<std::vector<QVariant>> sample = rows();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const ado::FilterCriteria criteria = ado::FilterCriteria::parse(text, lookup);
        for (const auto &row : sample)
            criteria.matches([&row](int i) { return row.at(size_t(i)); });
        (void)criteria.isSingleComparison();
    } catch (const ado::RuntimeError &e) {
        if (e.number() != ado::adErrInvalidArgument && e.number() != ado::adErrItemNotFound)
            std::abort(); // a refusal must be 3001 or 3265
    }
    try {
        const std::vector<ado::SortKey> keys = ado::parseSort(text, lookup);
        for (const ado::SortKey &k : keys) {
            if (k.column < 0 || k.column >= columns().size())
                std::abort();
            for (const auto &a : sample)
                (void)ado::compareForSort(a[size_t(k.column)], sample[0][size_t(k.column)]);
        }
    } catch (const ado::RuntimeError &e) {
        if (e.number() != ado::adErrInvalidArgument && e.number() != ado::adErrItemNotFound)
            std::abort();
    }
    return 0;
}
