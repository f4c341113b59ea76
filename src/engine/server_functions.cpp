// The functions the server offers to every session: the configuration masks of the linked
// reason-code lookups, the compatibility tests that use them, and the journal-description
// table function (journal_description.cpp).
//
// Mask of FNCI_CONCAUS_GETCONFIGMASK(A0..A9, D0..D9): bit i (0..9) is credit-side account
// type i, bit 10 + i is debit-side account type i. FNCI_CONCAUSRIF_GETCONFIGMASK(movement,
// A0..A9, D0..D9) gives the same twenty bits plus the data movement (0..3) in bits 20-21.
// Each flag is 0 or 1, given as a number or as the text "0"/"1"; anything else, or a wrong
// number of arguments, is an SQL error naming the function.
//
// Compatibility rule. The account types a reason code accepts on a side are the ticked flags of
// its CI11_CONTROLLOCONTI row for that side (CI11_SEGNO 1 debit, 2 credit); a side with no
// type ticked, or no row at all, accepts every type. Two sides "meet" when they accept at
// least one common type.
//
// - FNCI_CONCAUS_COMPATIBILE(mask, code): the linked code generates the counter-posting of the
//   edited one, so the sides swap: the candidate is compatible (1) when its debit side meets
//   the edited code's credit side and its credit side meets the edited code's debit side.
// - FNCI_CONCAUSRIF_COMPATIBILE(mask, code): only stock (1) and labour (2) movements generate
//   movements from a reference account, so for any other movement in the mask nothing is
//   compatible. The generated movement is a plain one: the candidate must have data movement
//   0 "Standard". It repeats the edited posting on the reference account, so the sides keep
//   their place: the candidate's debit side must meet the edited debit side and its credit side
//   the edited credit side.
//
// A candidate code that does not exist is not compatible; a NULL candidate gives 0.

#include "engine/server.h"
#include "engine/server_internal.h"
#include "engine/sqlite_util.h"

#include <sqlite3.h>

#include <cmath>
#include <memory>
#include <string>

namespace engine {

namespace {

constexpr int TypeCount = 10;
constexpr int FlagBits = 2 * TypeCount; // A0..A9, D0..D9
constexpr long long AllTypes = (1 << TypeCount) - 1;

// A whole number given as an integer, a float without fraction or a numeric text ("1", " 2 ").
bool wholeNumber(sqlite3_value *value, long long &number)
{
    switch (sqlite3_value_numeric_type(value)) {
    case SQLITE_INTEGER:
        number = sqlite3_value_int64(value);
        return true;
    case SQLITE_FLOAT: {
        const double v = sqlite3_value_double(value);
        if (v != std::floor(v) || std::fabs(v) > 9.0e15)
            return false;
        number = static_cast<long long>(v);
        return true;
    }
    default:
        return false;
    }
}

// A 0/1 flag, or -1 when the value is not one.
int flagValue(sqlite3_value *value)
{
    long long v = -1;
    return wholeNumber(value, v) && (v == 0 || v == 1) ? int(v) : -1;
}

std::string argumentText(sqlite3_value *value)
{
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_NULL)
        return "NULL";
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    const std::string shown = text ? text : "";
    return type == SQLITE_TEXT || type == SQLITE_BLOB ? "'" + shown + "'" : shown;
}

void fail(sqlite3_context *context, const std::string &message)
{
    sqlite3_result_error(context, message.c_str(), int(message.size()));
}

// Twenty flags starting at argument `first` into the mask bits; false after reporting an error.
bool readFlags(sqlite3_context *context, const char *name, sqlite3_value **argv, int first,
               long long &mask)
{
    for (int i = 0; i < FlagBits; ++i) {
        const int flag = flagValue(argv[first + i]);
        if (flag < 0) {
            fail(context, std::string(name) + ": argument " + std::to_string(first + i + 1)
                              + " must be 0 or 1, not " + argumentText(argv[first + i]));
            return false;
        }
        mask |= static_cast<long long>(flag) << i;
    }
    return true;
}

void concausMask(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const char *name = "FNCI_CONCAUS_GETCONFIGMASK";
    if (argc != FlagBits)
        return fail(context, std::string(name) + ": expected 20 arguments (A0..A9, D0..D9), got "
                                 + std::to_string(argc));
    long long mask = 0;
    if (readFlags(context, name, argv, 0, mask))
        sqlite3_result_int64(context, mask);
}

void concausRifMask(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const char *name = "FNCI_CONCAUSRIF_GETCONFIGMASK";
    if (argc != FlagBits + 1)
        return fail(context, std::string(name)
                                 + ": expected 21 arguments (movement, A0..A9, D0..D9), got "
                                 + std::to_string(argc));
    const int movement = movementValue(argv[0]);
    if (movement < 0)
        return fail(context, std::string(name) + ": argument 1 (data movement) must be 0 to 3, not "
                                 + argumentText(argv[0]));
    long long mask = static_cast<long long>(movement) << FlagBits;
    if (readFlags(context, name, argv, 1, mask))
        sqlite3_result_int64(context, mask);
}

// What the candidate reason code accepts, read from the database.
struct Candidate
{
    bool exists = false;
    int movement = 0;
    long long debit = AllTypes; // accepted types, bit i = type i
    long long credit = AllTypes;
};

// The two queries that read a candidate, prepared once per calling statement: they are kept as
// auxiliary data of the mask argument, which SQLite keeps while the mask stays the same (a
// literal in the lookups) and drops, finalizing them, when the calling statement ends.
class CandidateReader
{
public:
    explicit CandidateReader(sqlite3 *db)
        : m_header(db, "SELECT CI03_INDTIPOMOVDATI FROM CI03_CAUSALI WHERE CI03_CODCAUS = ?1")
        , m_checks(db, "SELECT CI11_SEGNO, CI11_FLGCOLLEG, CI11_FLGTRANSIT, CI11_FLGCOMPET,"
                       " CI11_FLGCDC, CI11_FLGLAVPROG, CI11_FLGMAGAZ, CI11_FLGMARGLORDI,"
                       " CI11_FLGMARGNETTI, CI11_FLGRISULT, CI11_FLGALTRITIPI"
                       " FROM CI11_CONTROLLOCONTI WHERE CI11_CODCAUS_CI03 = ?1")
    {}

    Candidate read(sqlite3_value *code)
    {
        Candidate candidate;
        sqlite3_bind_value(m_header.handle(), 1, code);
        const bool found = m_header.step();
        if (found)
            candidate.movement = int(m_header.intColumn(0));
        m_header.reset();
        if (!found)
            return candidate;
        candidate.exists = true;
        sqlite3_bind_value(m_checks.handle(), 1, code);
        while (m_checks.step()) {
            long long types = 0;
            for (int i = 0; i < TypeCount; ++i) {
                if (m_checks.intColumn(1 + i) != 0)
                    types |= 1LL << i;
            }
            if (types == 0)
                types = AllTypes; // nothing ticked: no restriction
            const long long side = m_checks.intColumn(0);
            if (side == 1)
                candidate.debit = types;
            else if (side == 2)
                candidate.credit = types;
        }
        m_checks.reset();
        return candidate;
    }

private:
    Statement m_header;
    Statement m_checks;
};

Candidate readCandidate(sqlite3_context *context, sqlite3_value *code)
{
    if (auto *cached = static_cast<CandidateReader *>(sqlite3_get_auxdata(context, 0)))
        return cached->read(code);
    auto reader = std::make_unique<CandidateReader>(sqlite3_context_db_handle(context));
    const Candidate candidate = reader->read(code);
    // On failure SQLite runs the destructor at once; the reader is not used afterwards.
    sqlite3_set_auxdata(context, 0, reader.release(),
                        [](void *p) { delete static_cast<CandidateReader *>(p); });
    return candidate;
}

long long sideOf(long long mask, int firstBit)
{
    const long long types = (mask >> firstBit) & AllTypes;
    return types == 0 ? AllTypes : types;
}

bool readMask(sqlite3_context *context, const char *name, sqlite3_value *value, int bits,
              long long &mask)
{
    if (!wholeNumber(value, mask) || mask < 0 || mask >= (1LL << bits)) {
        fail(context, std::string(name) + ": argument 1 must be a configuration mask, not "
                          + argumentText(value));
        return false;
    }
    return true;
}

void concausCompatible(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const char *name = "FNCI_CONCAUS_COMPATIBILE";
    if (argc != 2)
        return fail(context, std::string(name) + ": expected 2 arguments (mask, reason code), got "
                                 + std::to_string(argc));
    long long mask = 0;
    if (!readMask(context, name, argv[0], FlagBits, mask))
        return;
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_int(context, 0);
    try {
        const Candidate candidate = readCandidate(context, argv[1]);
        const long long editedCredit = sideOf(mask, 0);
        const long long editedDebit = sideOf(mask, TypeCount);
        const bool ok = candidate.exists && (candidate.debit & editedCredit) != 0
                        && (candidate.credit & editedDebit) != 0;
        sqlite3_result_int(context, ok ? 1 : 0);
    } catch (const std::exception &e) {
        fail(context, std::string(name) + ": " + e.what());
    }
}

void concausRifCompatible(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const char *name = "FNCI_CONCAUSRIF_COMPATIBILE";
    if (argc != 2)
        return fail(context, std::string(name) + ": expected 2 arguments (mask, reason code), got "
                                 + std::to_string(argc));
    long long mask = 0;
    if (!readMask(context, name, argv[0], FlagBits + 2, mask))
        return;
    const long long movement = mask >> FlagBits;
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL || (movement != 1 && movement != 2))
        return sqlite3_result_int(context, 0);
    try {
        const Candidate candidate = readCandidate(context, argv[1]);
        const long long editedCredit = sideOf(mask, 0);
        const long long editedDebit = sideOf(mask, TypeCount);
        const bool ok = candidate.exists && candidate.movement == 0
                        && (candidate.debit & editedDebit) != 0
                        && (candidate.credit & editedCredit) != 0;
        sqlite3_result_int(context, ok ? 1 : 0);
    } catch (const std::exception &e) {
        fail(context, std::string(name) + ": " + e.what());
    }
}

void createFunction(sqlite3 *db, const char *name,
                    void (*function)(sqlite3_context *, int, sqlite3_value **), int flags)
{
    // -1 arguments: the function checks the count itself and names itself in the error.
    check(db,
          sqlite3_create_function_v2(db, name, -1, SQLITE_UTF8 | flags, nullptr, function, nullptr,
                                     nullptr, nullptr),
          std::string("cannot register ") + name);
}

} // namespace

int movementValue(sqlite3_value *value)
{
    long long movement = -1;
    return wholeNumber(value, movement) && movement >= 0 && movement <= 3 ? int(movement) : -1;
}

void registerServerFunctions(sqlite3 *db)
{
    if (!db)
        throw Error("registerServerFunctions: no connection");
    check(db, sqlite3_busy_timeout(db, 5000), "cannot set the busy timeout");
    createFunction(db, "FNCI_CONCAUS_GETCONFIGMASK", concausMask, SQLITE_DETERMINISTIC);
    createFunction(db, "FNCI_CONCAUSRIF_GETCONFIGMASK", concausRifMask, SQLITE_DETERMINISTIC);
    // The compatibility tests read tables: not deterministic.
    createFunction(db, "FNCI_CONCAUS_COMPATIBILE", concausCompatible, 0);
    createFunction(db, "FNCI_CONCAUSRIF_COMPATIBILE", concausRifCompatible, 0);
    registerJournalDescription(db);
}

} // namespace engine
