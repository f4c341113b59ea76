#pragma once
// Every SQL text the module sends, taken from the builders the module itself uses (never a copy),
// with sample values: what the rewriter and the database stand-in are tested on.

#include <QString>

#include <utility>
#include <vector>

namespace moduletexts {

// Named texts, values placed as the module places them.
std::vector<std::pair<QString, QString>> all();

} // namespace moduletexts
