#pragma once

#include <QString>

class DoubleValidator;

// What a checked cell takes, in the selected language, for the technician
// whose text the cell does not take: "Eingabe nicht übernommen. Erlaubt: eine
// Zahl von 1 bis 3600, Nachkommastellen: höchstens 1."
namespace CellInputHint {

// From the checks the numeric editor's validator really makes.
QString forNumber(const DoubleValidator& validator);
// For a text cell checked against the device's pattern.
QString forPattern();

} // namespace CellInputHint
