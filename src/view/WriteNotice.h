#pragma once

#include <QString>

// What the status bar says of a written value the device did not confirm in
// time, in the selected language; the same on every screen that writes.
namespace WriteNotice {

QString notConfirmed();
// Shows the notice on the status bar, or takes it back once the device has
// confirmed the value after all.
void showNotConfirmed();
void withdrawNotConfirmed();

} // namespace WriteNotice
