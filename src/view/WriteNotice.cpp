#include "view/WriteNotice.h"

#include "view/OverallView.h"

namespace {

const int TEXT_NOT_CONFIRMED = 1590;

} // namespace

QString WriteNotice::notConfirmed()
{
    return OverallView::translated(TEXT_NOT_CONFIRMED, QStringLiteral("Das Gerät hat den Wert nicht bestätigt."));
}
