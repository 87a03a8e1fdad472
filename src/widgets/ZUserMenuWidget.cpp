#include "ZUserMenuWidget.h"

#include "ZLabel.h"
#include "ZMeasureTextWidget.h"

#include <QGridLayout>
#include <QLabel>
#include <QSpacerItem>

namespace {
const int TILE_MARGIN = 8;
}

ZUserMenuWidget::ZUserMenuWidget(QWidget* parent)
    : ZStylableWidget(parent),
      channelNumber(new QLabel(this)),
      channelName(new ZLabel(this)),
      measureText(new ZMeasureTextWidget(true, this))
{
    auto* layout = new QGridLayout(this);
    // A press anywhere on the tile, the big value included, goes to the table.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->setContentsMargins(TILE_MARGIN, TILE_MARGIN, TILE_MARGIN, TILE_MARGIN);

    channelNumber->setObjectName(QStringLiteral("ZUserMenuChannelNumber"));
    channelName->setObjectName(QStringLiteral("ZUserMenuChannelName"));
    measureText->setObjectName(QStringLiteral("ZUserMenuMeasureText"));
    // Device texts: never taken for markup.
    channelNumber->setTextFormat(Qt::PlainText);
    channelName->setTextFormat(Qt::PlainText);
    measureText->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    layout->addWidget(measureText, 0, 0, 1, 3);
    layout->addWidget(channelNumber, 1, 0, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(channelName, 1, 1, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Preferred), 1, 2);
}
