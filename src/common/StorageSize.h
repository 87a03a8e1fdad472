#pragma once

#include <QString>

// Storage sizes as the instrument gives them: a number and a unit text.
// B, KB, MB, GB and TB are understood in any letter case, in steps of 1024.
namespace StorageSize {

// Bytes per unit; false when the unit is none of the above.
bool bytesPerUnit(const QString& unit, double& bytes);

// value in unit "from" expressed in unit "to". Equal unit texts give value
// unchanged, whatever they say. False (result untouched) when either unit
// cannot be converted.
bool convert(double value, const QString& from, const QString& to, double& result);

} // namespace StorageSize
