#include "common/ChannelData.h"

ChannelData::ChannelData() = default;

void ChannelData::registerMetaTypes()
{
    qRegisterMetaType<ChannelData>("ChannelData");
    qRegisterMetaType<ChannelData>("ChannelData&");
}
