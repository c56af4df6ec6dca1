#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "settings/convertersettings.h"

namespace veltara::core {

inline constexpr std::size_t kSettingsSlotSize = 246;
inline constexpr std::size_t kSettingsRecordBytes = 138;
inline constexpr std::size_t kSettingsFillerSize = kSettingsSlotSize - kSettingsRecordBytes;

using SettingsSlot = std::array<std::uint8_t, kSettingsSlotSize>;
using SettingsFiller = std::array<std::uint8_t, kSettingsFillerSize>;

namespace slot {
inline constexpr std::size_t kCOM = 0;
inline constexpr std::size_t kReserved = 2;
inline constexpr std::size_t kCANTrImme1byte = 22;
inline constexpr std::size_t kCANTrID1 = 30;
inline constexpr std::size_t kCANMask1 = 46;
inline constexpr std::size_t kCANFilter1 = 62;
inline constexpr std::size_t kCANFilter2 = 78;
inline constexpr std::size_t kInputID1 = 94;
inline constexpr std::size_t kOutputID1 = 110;
inline constexpr std::size_t kPeriodmsCount = 126;
inline constexpr std::size_t kOutputProtectValue = 134;
inline constexpr std::size_t kFiller = 138;
}  // namespace slot

// Reads record 1 from up to 246 bytes; bytes beyond the end of a short slot count as zero.
ConverterSettings decodeSettingsRecord(std::span<const std::uint8_t> bytes);
// The filler bytes of a slot as read (zero where the slot was short), to be written back unchanged.
SettingsFiller settingsFiller(std::span<const std::uint8_t> bytes);
SettingsSlot encodeSettingsRecord(const ConverterSettings& record, const SettingsFiller& filler);

}  // namespace veltara::core
