#include "engine/server.h"
#include "engine/sqlite_util.h"

namespace engine {

void createSchema(sqlite3 *)
{
    throw Error("createSchema: not written yet");
}

void fillDemoData(sqlite3 *)
{
    throw Error("fillDemoData: not written yet");
}

void generateReasonCodes(sqlite3 *, int, int)
{
    throw Error("generateReasonCodes: not written yet");
}

void createDemoDatabase(const QString &)
{
    throw Error("createDemoDatabase: not written yet");
}

} // namespace engine
