#include "kill_vfs.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include <unistd.h>

namespace crashtest {

namespace {

sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_vfs;
int g_killAt = -1; // -1: not armed
int g_count = 0;

// Our file object; the real file layer's object follows it in the same allocation.
struct KillFile
{
    sqlite3_file base;
    bool counted;
};

sqlite3_file *real(sqlite3_file *file)
{
    return reinterpret_cast<sqlite3_file *>(reinterpret_cast<KillFile *>(file) + 1);
}

void countCall(sqlite3_file *file)
{
    if (g_killAt < 0 || !reinterpret_cast<KillFile *>(file)->counted)
        return;
    ++g_count;
    if (g_killAt > 0 && g_count >= g_killAt)
        _exit(KilledExitCode); // no destructor, no flush: the process just stops
}

int fileClose(sqlite3_file *f)
{
    return real(f)->pMethods->xClose(real(f));
}
int fileRead(sqlite3_file *f, void *buf, int amount, sqlite3_int64 offset)
{
    return real(f)->pMethods->xRead(real(f), buf, amount, offset);
}
int fileWrite(sqlite3_file *f, const void *buf, int amount, sqlite3_int64 offset)
{
    countCall(f);
    return real(f)->pMethods->xWrite(real(f), buf, amount, offset);
}
int fileTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    return real(f)->pMethods->xTruncate(real(f), size);
}
int fileSync(sqlite3_file *f, int flags)
{
    countCall(f);
    return real(f)->pMethods->xSync(real(f), flags);
}
int fileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return real(f)->pMethods->xFileSize(real(f), size);
}
int fileLock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xLock(real(f), level);
}
int fileUnlock(sqlite3_file *f, int level)
{
    return real(f)->pMethods->xUnlock(real(f), level);
}
int fileCheckReservedLock(sqlite3_file *f, int *out)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int fileControl(sqlite3_file *f, int op, void *arg)
{
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int fileSectorSize(sqlite3_file *f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int fileDeviceCharacteristics(sqlite3_file *f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int fileShmMap(sqlite3_file *f, int region, int size, int extend, void volatile **out)
{
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
}
int fileShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void fileShmBarrier(sqlite3_file *f)
{
    real(f)->pMethods->xShmBarrier(real(f));
}
int fileShmUnmap(sqlite3_file *f, int deleteFlag)
{
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}
int fileFetch(sqlite3_file *f, sqlite3_int64 offset, int amount, void **out)
{
    return real(f)->pMethods->xFetch(real(f), offset, amount, out);
}
int fileUnfetch(sqlite3_file *f, sqlite3_int64 offset, void *page)
{
    return real(f)->pMethods->xUnfetch(real(f), offset, page);
}

// Methods of version 3 (memory-mapped reads): the default Unix layer has them all; a file whose
// layer has fewer gets a copy of this table with its own version number.
const sqlite3_io_methods kMethods = {3,
                                     fileClose,
                                     fileRead,
                                     fileWrite,
                                     fileTruncate,
                                     fileSync,
                                     fileSize,
                                     fileLock,
                                     fileUnlock,
                                     fileCheckReservedLock,
                                     fileControl,
                                     fileSectorSize,
                                     fileDeviceCharacteristics,
                                     fileShmMap,
                                     fileShmLock,
                                     fileShmBarrier,
                                     fileShmUnmap,
                                     fileFetch,
                                     fileUnfetch};

int vfsOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    auto *ours = reinterpret_cast<KillFile *>(file);
    ours->base.pMethods = nullptr;
    ours->counted = (flags
                     & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL
                        | SQLITE_OPEN_SUPER_JOURNAL))
                    != 0;
    const int rc = g_real->xOpen(g_real, name, real(file), flags, outFlags);
    if (rc != SQLITE_OK || !real(file)->pMethods)
        return rc;
    if (real(file)->pMethods->iVersion < kMethods.iVersion)
        return real(file)->pMethods->xClose(real(file)), SQLITE_CANTOPEN;
    ours->base.pMethods = &kMethods;
    return SQLITE_OK;
}

} // namespace

void installKillingVfs()
{
    if (g_real)
        throw std::logic_error("the killing file layer is installed already");
    g_real = sqlite3_vfs_find(nullptr);
    if (!g_real)
        throw std::runtime_error("SQLite has no default file layer");
    g_vfs = *g_real;
    g_vfs.zName = "causali-kill";
    g_vfs.szOsFile = int(sizeof(KillFile)) + g_real->szOsFile;
    g_vfs.xOpen = vfsOpen;
    const int rc = sqlite3_vfs_register(&g_vfs, 1);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot register the killing file layer: "
                                 + std::string(sqlite3_errstr(rc)));
}

void armKill(int killAt)
{
    g_killAt = killAt;
    g_count = 0;
}

int countedCalls()
{
    return g_count;
}

} // namespace crashtest
