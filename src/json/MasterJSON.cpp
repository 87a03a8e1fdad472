#include "json/MasterJSON.h"

namespace KORVALIS {
namespace HighLevelCommunication {

MasterJSON::MasterJSON()
{
    id = 0;
}

MasterJSON::~MasterJSON() = default;

int MasterJSON::getId()
{
    return JSONObject::getId();
}

void MasterJSON::setId(int newId)
{
    JSONObject::setId(newId);
}

} // namespace HighLevelCommunication
} // namespace KORVALIS
