#pragma once

#include <QMetaType>

// Enumerations shared by the device link and its listeners. Their names are
// registered as metatypes so they can travel through queued signals.
class GlobalEnums
{
public:
    // Kind of a telegram element, of a change notification and of a queued
    // request's mode.
    enum InstructionType {
        NO_INSTRUCTION = 0,   // a kind the mirror does not report
        GET = 1,
        DEL = 2,
        SET = 3
    };

    // Outcome of applying one telegram element to the mirror.
    enum InstructionResult {
        APPLIED = 0,
        BAD_PATH = 1,
        SET_WITHOUT_VALUE = 2,
        ELEMENT_FAILED = 3   // the element could not be applied; the rest of the telegram was
    };

    // State of the measurement the chart shows.
    enum ChartMeasureState {
        START = 0,   // a measurement runs
        STOP = 1
    };

    // The "ATR" of a chart data block, carried unchanged. The chart acts on
    // the first and further blocks of a stored window only; any other value
    // is kept as it came.
    enum GraphTelegramAttribute : int {
        NO_ATTRIBUTE = 0,
        HIST_WINDOW_FIRST = 11,
        HIST_WINDOW_NEXT = 12
    };

    // Registers "GlobalEnums::InstructionType", "GlobalEnums::InstructionResult",
    // "GlobalEnums::ChartMeasureState" and "GlobalEnums::GraphTelegramAttribute".
    static void registerMetaTypes();
};

Q_DECLARE_METATYPE(GlobalEnums::InstructionType)
Q_DECLARE_METATYPE(GlobalEnums::InstructionResult)
Q_DECLARE_METATYPE(GlobalEnums::ChartMeasureState)
Q_DECLARE_METATYPE(GlobalEnums::GraphTelegramAttribute)
