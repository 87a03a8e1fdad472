#include "common/GlobalEnums.h"

void GlobalEnums::registerMetaTypes()
{
    qRegisterMetaType<GlobalEnums::InstructionType>("GlobalEnums::InstructionType");
    qRegisterMetaType<GlobalEnums::InstructionResult>("GlobalEnums::InstructionResult");
    qRegisterMetaType<GlobalEnums::ChartMeasureState>("GlobalEnums::ChartMeasureState");
    qRegisterMetaType<GlobalEnums::GraphTelegramAttribute>("GlobalEnums::GraphTelegramAttribute");
}
