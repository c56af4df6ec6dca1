#pragma once

#include <array>
#include <string_view>

#include "settings/convertersettings.h"
#include "settings/factorydefaults.h"

namespace veltara::core {

// What the settings record and the factory keep of each identifier row, in the rows' order (the
// dialog's row table, dialog/identifierrows.h, points here): the record's member, the texts "Default
// Config" writes, and the texts a blank record starts with. Box 0 (least significant) first.
struct IdentifierRecordSpec {
    IdTexts ConverterSettings::*record;
    FactoryDefaults::Row factoryTexts;
    std::array<std::string_view, 4> startupTexts;
};

inline constexpr std::array<IdentifierRecordSpec, 6> kIdentifierRecords{{
    {.record = &ConverterSettings::CANTrID1,
     .factoryTexts = FactoryDefaults::kCANTrID1,
     .startupTexts = {"22", "03", "0", "0"}},
    {.record = &ConverterSettings::CANMask1,
     .factoryTexts = FactoryDefaults::kCANMask1,
     .startupTexts = {"ff", "07", "0", "0"}},
    {.record = &ConverterSettings::CANFilter1,
     .factoryTexts = FactoryDefaults::kCANFilter1,
     .startupTexts = {"33", "03", "0", "0"}},
    {.record = &ConverterSettings::CANFilter2,
     .factoryTexts = FactoryDefaults::kCANFilter2,
     .startupTexts = {"33", "03", "0", "0"}},
    {.record = &ConverterSettings::InputID1,
     .factoryTexts = FactoryDefaults::kInputID1,
     .startupTexts = {"22", "07", "0", "0"}},
    {.record = &ConverterSettings::OutputID1,
     .factoryTexts = FactoryDefaults::kOutputID1,
     .startupTexts = {"22", "05", "0", "0"}},
}};

}  // namespace veltara::core
