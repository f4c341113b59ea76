#include "host/recordset_factory.h"

#include "ado/recordset.h"

namespace host {

std::unique_ptr<ado::Recordset> RecordsetFactory::newRecordset() const
{
    ++m_created;
    return std::make_unique<ado::Recordset>();
}

} // namespace host
