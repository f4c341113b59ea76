#pragma once
// The rules of a reason code's four lists over their rows' values: the account types ticked
// per side, the default journals per company, the account search sequence and the posting
// proposal. The tab pages refuse a row or a save with them and show the message; the import of
// codes from a file checks whole lists with them, without a window.

#include "data/rule_refusal.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace causali {

// Account types ticked for one side, items 0 to 9 (PC03_INDTIPOCONTO).
using SideTypes = std::array<bool, 10>;

// What the lists' checks need from the database.
class SatelliteLookups
{
public:
    virtual ~SatelliteLookups() = default;
    // The company keeps cost accounting (it is offered for default journals).
    virtual bool companyUsable(int company) = 0;
    virtual bool journalExists(int company, const QString &journal) = 0;
    virtual bool providerExists(int provider) = 0;
    // A postable account of the chart whose type is among `types`.
    virtual bool accountAllowed(int chart, const QString &account, const SideTypes &types) = 0;
    // A postable item of the expense-item chart.
    virtual bool itemExists(int chart, const QString &item) = 0;
};

// The account-type checks of a code (CI11_CONTROLLOCONTI, sides 1 and 2).
struct AccountTypeChecks
{
    SideTypes debit{};  // side 1, LIST_TIPIDARE
    SideTypes credit{}; // side 2, LIST_TIPIAVERE
    bool operator==(const AccountTypeChecks &) const = default;
};

struct JournalRow // CI05_PROPSEZ
{
    int company = 0;
    QString journal;
    bool operator==(const JournalRow &) const = default;
};

struct SearchRow // CI06_RICERCACONTO
{
    int side = 1;
    int rowType = -1;
    int provider = 0;
    int rank = 1;
    bool operator==(const SearchRow &) const = default;
};

struct ProposalRow // CI10_PROPCONTICAUS
{
    int prog = 1;
    int sign = 2;
    double percent = 0;
    int chart = 0;
    QString account;
    std::optional<int> itemChart; // may be given without an item
    QString item;
    bool operator==(const ProposalRow &) const = default;
};

namespace satellite_rules {

// The empty item of the company combo: no company chosen.
constexpr int NoCompany = -1;
constexpr int MaxJournalLength = 2;
constexpr int MaxAccountLength = 15;

// Count of ticked types of a side.
int ticked(const SideTypes &types);
// At least one type ticked on each side (the save refuses otherwise).
bool typesChosenOnBothSides(const AccountTypeChecks &checks);
// Stock and labour movements allow one type per side at most; no movement chosen allows any.
bool typeCountAllowed(int movement, const AccountTypeChecks &checks);
// The types a proposal row of `sign` may post to: debit for 1 "Dare", credit for 2 "Avere".
const SideTypes &typesOfSign(const AccountTypeChecks &checks, int sign);

// Another row of the code already has the company: one default journal per company.
bool companyTaken(const QList<int> &otherRows, int company);

// Messages of the row refusals, as the pages show them.
QString companyRepeatedMessage(const QString &company);
QString journalNotFoundMessage(const QString &journal, const QString &company);
QString providerNotFoundMessage(const QString &provider);
QString accountRefusedMessage(const QString &account);
QString itemNotFoundMessage(const QString &item);

// Every refusal of a list about to be saved. Fields name the list and the row
// ("CI05_PROPSEZ[2].CI05_SEZIONALE_CG68": the second row, 1-based).
RuleRefusals checkAccountTypes(const AccountTypeChecks &checks, int movement);
RuleRefusals checkJournals(const QList<JournalRow> &rows, SatelliteLookups &lookups);
RuleRefusals checkSearchSequence(const QList<SearchRow> &rows, int movement,
                                 SatelliteLookups &lookups);
RuleRefusals checkProposal(const QList<ProposalRow> &rows, const AccountTypeChecks &checks,
                           SatelliteLookups &lookups);

} // namespace satellite_rules

} // namespace causali
