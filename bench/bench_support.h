#pragma once
// What the benchmarks share: scratch databases made once per process, plain SQLite
// connections set up as the data-access layer sets up its own, and a cheap heap meter.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>

struct sqlite3;

namespace bench {

// Path of a database file named `name` in this process's scratch directory, created on the
// first call by `fill` (handed an empty, open database) and reused by every later call with
// the same name: benchmarks and their repetitions share it. The directory goes when the
// process ends.
QString scratchDatabase(const QString &name, const std::function<void(sqlite3 *)> &fill);

// A database with the schema, the demo data and `reasonCodes` generated reason codes with
// `rowsPerSatellite` rows in each list satellite (engine::generateReasonCodes), made once per
// process and shared like scratchDatabase's.
QString reasonCodeDatabase(int reasonCodes, int rowsPerSatellite);

// A plain SQLite connection opened the way ado::Connection::Open opens one (read-write,
// extended result codes, synchronous FULL, foreign keys on, the server functions and the
// busy timeout), so that a direct run and a run through the layer do the same work.
class RawConnection
{
public:
    explicit RawConnection(const QString &path);
    ~RawConnection();
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    sqlite3 *handle() const { return m_db; }
    // Runs one or more statements through sqlite3_exec; throws engine::Error on failure.
    void exec(const QByteArray &sql) const;
    // Single integer result of a query.
    long long queryInt(const char *sql) const;

private:
    sqlite3 *m_db = nullptr;
};

// Bytes the allocator has handed out and not taken back (heap and mmapped blocks), from
// mallinfo2: a difference of two readings around an allocation measures it.
std::size_t heapInUse();

} // namespace bench
