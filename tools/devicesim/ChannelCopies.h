#pragma once

#include "DeviceTree.h"

#include <string>

namespace devicesim {

// "--channels N": the tree's channels ($.DATA.MK) repeated, or cut, to N.
// Copy k (from 0) of a channel gets "IDX" k, "ADR" "CH" and k + 1 in at
// least two digits, the name with the number of the round ("Luftdruck 2")
// and its values moved a little (maximum, minimum and mean alike), in their
// form; values without a number ("-----") stay.
class ChannelCopies
{
public:
    // False with a reason when the tree has no channels to repeat.
    static bool resize(DeviceTree& tree, int count, std::string& error);
};

} // namespace devicesim
