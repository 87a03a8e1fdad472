#include "view/WriteNotice.h"

#include "view/OverallView.h"

namespace {

const int TEXT_NOT_CONFIRMED = 1590;
const int NOTICE_MS = 10000;

} // namespace

QString WriteNotice::notConfirmed()
{
    return OverallView::translated(TEXT_NOT_CONFIRMED, QStringLiteral("Das Gerät hat den Wert nicht bestätigt."));
}

void WriteNotice::showNotConfirmed()
{
    OverallView::showStatus(notConfirmed(), NOTICE_MS);
}

void WriteNotice::withdrawNotConfirmed()
{
    OverallView::withdrawStatus(notConfirmed());
}
