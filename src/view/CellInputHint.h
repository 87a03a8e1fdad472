#pragma once

#include <QString>

class DoubleValidator;

// What a checked cell takes, in the selected language: "Erlaubt: eine Zahl
// von 1 bis 3600, Nachkommastellen: höchstens 1." The editor's tool tip, and
// what the status bar says when the cell does not take a text.
namespace CellInputHint {

// From the checks the numeric editor's validator really makes.
QString forNumber(const DoubleValidator& validator);
// For a text cell checked against the device's pattern.
QString forPattern();
// The status-bar message for a text the cell did not take.
QString notTaken(const QString& hint);

} // namespace CellInputHint
