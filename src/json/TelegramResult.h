#pragma once

#include <string>

namespace KORVALIS {
namespace JSON {

// One record per telegram element processed by JSONObject::applyTelegram.
struct TelegramResult
{
    enum Instruction { Set = 2, Delete = 3 };
    enum Result { Applied = 0, BadPath = 1, SetWithoutValue = 2, ElementFailed = 3 };

    int instruction = Set;   // 3 for an element of the "DEL" list, 2 for one of the "SET" list
    std::string path;        // the element's "DEST"."PATH" text, unchanged
    int result = Applied;    // one of Result, the values of GlobalEnums::InstructionResult
};

} // namespace JSON
} // namespace KORVALIS
