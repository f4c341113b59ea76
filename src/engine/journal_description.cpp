// FNCG68_NUMERDESC(journal, company): the description of a journal of a company, as a table
// function usable in FROM: SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC('VE', 1).
//
// An eponymous-only virtual table: its result columns are CG68_DESCSEZ, CG68_SEZIONALE and
// CG68_DITTA_CG18, its two hidden columns the arguments. It reads CG68_NUMERDESC; the journal
// code is compared ignoring trailing blanks. No row when the company has no such journal (or an
// argument is NULL); a call without both arguments is an error.

#include "engine/server_internal.h"
#include "engine/sqlite_util.h"

#include <memory>
#include <string>
#include <vector>

namespace engine {

namespace {

enum Column { DescriptionColumn, JournalColumn, CompanyColumn, JournalArgument, CompanyArgument };

struct Row
{
    std::string description;
    std::string journal;
    long long company = 0;
};

struct Table
{
    sqlite3_vtab base{};
    sqlite3 *db = nullptr;
};

struct Cursor
{
    sqlite3_vtab_cursor base{};
    std::vector<Row> rows;
    size_t position = 0;
};

void setError(sqlite3_vtab *vtab, const std::string &message)
{
    sqlite3_free(vtab->zErrMsg);
    vtab->zErrMsg = sqlite3_mprintf("%s", message.c_str());
}

int connect(sqlite3 *db, void *, int, const char *const *, sqlite3_vtab **vtab, char **error)
{
    const int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(CG68_DESCSEZ TEXT,"
                                            " CG68_SEZIONALE TEXT, CG68_DITTA_CG18 INTEGER,"
                                            " journal HIDDEN, company HIDDEN)");
    if (rc != SQLITE_OK) {
        *error = sqlite3_mprintf("FNCG68_NUMERDESC: %s", sqlite3_errmsg(db));
        return rc;
    }
    auto table = std::make_unique<Table>();
    table->db = db;
    *vtab = &table.release()->base;
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab *vtab)
{
    delete reinterpret_cast<Table *>(vtab);
    return SQLITE_OK;
}

// Both arguments must be given as equality constraints; argv[0] is the journal, argv[1] the
// company.
int bestIndex(sqlite3_vtab *vtab, sqlite3_index_info *info)
{
    int journal = -1;
    int company = -1;
    bool unusable = false;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto &constraint = info->aConstraint[i];
        if (constraint.iColumn != JournalArgument && constraint.iColumn != CompanyArgument)
            continue;
        if (constraint.op != SQLITE_INDEX_CONSTRAINT_EQ)
            continue;
        if (!constraint.usable) {
            unusable = true;
            continue;
        }
        (constraint.iColumn == JournalArgument ? journal : company) = i;
    }
    if (journal < 0 || company < 0) {
        if (unusable)
            return SQLITE_CONSTRAINT; // another plan will give the arguments
        setError(vtab, "FNCG68_NUMERDESC: expected 2 arguments (journal, company)");
        return SQLITE_ERROR;
    }
    info->aConstraintUsage[journal].argvIndex = 1;
    info->aConstraintUsage[journal].omit = 1;
    info->aConstraintUsage[company].argvIndex = 2;
    info->aConstraintUsage[company].omit = 1;
    info->estimatedCost = 1;
    info->estimatedRows = 1;
    return SQLITE_OK;
}

int open(sqlite3_vtab *, sqlite3_vtab_cursor **cursor)
{
    *cursor = &(new Cursor)->base;
    return SQLITE_OK;
}

int close(sqlite3_vtab_cursor *cursor)
{
    delete reinterpret_cast<Cursor *>(cursor);
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor *base, int, const char *, int argc, sqlite3_value **argv)
{
    auto *cursor = reinterpret_cast<Cursor *>(base);
    auto *table = reinterpret_cast<Table *>(base->pVtab);
    cursor->rows.clear();
    cursor->position = 0;
    if (argc != 2)
        return SQLITE_ERROR;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return SQLITE_OK;
    try {
        Statement query(table->db,
                        "SELECT CG68_DESCSEZ, CG68_SEZIONALE, CG68_DITTA_CG18 FROM CG68_NUMERDESC"
                        " WHERE CG68_SEZIONALE = RTRIM(?1) COLLATE RTRIM"
                        " AND CG68_DITTA_CG18 = ?2 ORDER BY CG68_SEZIONALE");
        sqlite3_bind_value(query.handle(), 1, argv[0]);
        sqlite3_bind_value(query.handle(), 2, argv[1]);
        while (query.step())
            cursor->rows.push_back({query.textColumn(0), query.textColumn(1), query.intColumn(2)});
    } catch (const std::exception &e) {
        setError(base->pVtab, std::string("FNCG68_NUMERDESC: ") + e.what());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor *base)
{
    ++reinterpret_cast<Cursor *>(base)->position;
    return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor *base)
{
    auto *cursor = reinterpret_cast<Cursor *>(base);
    return cursor->position >= cursor->rows.size();
}

int column(sqlite3_vtab_cursor *base, sqlite3_context *context, int index)
{
    const auto *cursor = reinterpret_cast<Cursor *>(base);
    const Row &row = cursor->rows[cursor->position];
    switch (index) {
    case DescriptionColumn:
        sqlite3_result_text(context, row.description.c_str(), int(row.description.size()),
                            SQLITE_TRANSIENT);
        break;
    case JournalColumn:
        sqlite3_result_text(context, row.journal.c_str(), int(row.journal.size()),
                            SQLITE_TRANSIENT);
        break;
    case CompanyColumn:
    case CompanyArgument:
        sqlite3_result_int64(context, row.company);
        break;
    default:
        sqlite3_result_text(context, row.journal.c_str(), int(row.journal.size()),
                            SQLITE_TRANSIENT);
        break;
    }
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor *base, sqlite3_int64 *id)
{
    *id = sqlite3_int64(reinterpret_cast<Cursor *>(base)->position);
    return SQLITE_OK;
}

sqlite3_module makeModule()
{
    sqlite3_module module{};
    module.iVersion = 0;
    module.xCreate = nullptr; // eponymous only: no CREATE VIRTUAL TABLE
    module.xConnect = connect;
    module.xBestIndex = bestIndex;
    module.xDisconnect = disconnect;
    module.xDestroy = disconnect;
    module.xOpen = open;
    module.xClose = close;
    module.xFilter = filter;
    module.xNext = next;
    module.xEof = eof;
    module.xColumn = column;
    module.xRowid = rowid;
    return module;
}

const sqlite3_module journalModule = makeModule();

} // namespace

void registerJournalDescription(sqlite3 *db)
{
    check(db, sqlite3_create_module_v2(db, "FNCG68_NUMERDESC", &journalModule, nullptr, nullptr),
          "cannot register FNCG68_NUMERDESC");
}

} // namespace engine
