#pragma once

#include <QString>

// What the status bar says of a written value the device did not confirm in
// time, in the selected language; the same on every screen that writes.
namespace WriteNotice {

QString notConfirmed();

} // namespace WriteNotice
