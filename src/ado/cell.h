#pragma once
// A value as the database gave it, kept compactly: numbers inline, text (UTF-8) and blobs in
// an arena of the row set. Both database backends read their result values into cells.

#include <QVariant>

#include <memory>
#include <vector>

namespace ado {

struct Cell
{
    enum Kind : quint8 { NullValue, Integer, Real, Text, Blob };
    Kind kind = NullValue;
    quint32 size = 0; // Text: UTF-8 bytes; Blob: bytes
    union {
        qint64 integer = 0;
        double real;
        const char *bytes; // Text and Blob: in the store's arena
    };
};

// Where text and blobs read from the database live: chunks that never move.
class ByteArena
{
public:
    const char *keep(const char *data, size_t size);

private:
    std::vector<std::unique_ptr<char[]>> m_chunks;
    char *m_free = nullptr;
    size_t m_left = 0;
};

// The value a cell holds, as a row set gives it (NULL as Null).
QVariant cellValue(const Cell &cell);

} // namespace ado
