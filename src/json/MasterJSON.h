#pragma once

#include "json/JSONObject.h"

namespace KORVALIS {
namespace HighLevelCommunication {

// The one mirror of the device's JSON tree. A document of its own type,
// created with id 0.
class MasterJSON : public KORVALIS::JSON::JSONObject
{
public:
    MasterJSON();
    ~MasterJSON() override;

    int getId() override;
    void setId(int id) override;
};

} // namespace HighLevelCommunication
} // namespace KORVALIS
