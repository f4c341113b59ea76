#pragma once
// Gives the module its row sets: a new, unopened ado::Recordset each time (client-side and
// batch-optimistic, as every Recordset of the data-access layer).

#include <memory>

namespace ado {
class Recordset;
}

namespace host {

class RecordsetFactory
{
public:
    std::unique_ptr<ado::Recordset> newRecordset() const;
    int created() const { return m_created; }

private:
    mutable int m_created = 0;
};

} // namespace host
