#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <tuple>
#include <type_traits>

#include "settings/convertersettings.h"

namespace veltara::core {

inline constexpr std::size_t kSettingsSlotSize = 246;
inline constexpr std::size_t kSettingsRecordBytes = 138;
inline constexpr std::size_t kSettingsFillerSize = kSettingsSlotSize - kSettingsRecordBytes;

using SettingsSlot = std::array<std::uint8_t, kSettingsSlotSize>;
using SettingsFiller = std::array<std::uint8_t, kSettingsFillerSize>;

// Where each field of record 1 lies in a slot: the codec reads and writes through this table alone, and
// checks at compile time that the fields follow each other without a gap up to the filler.
namespace slot {
template <typename T>
struct Field {
    T ConverterSettings::*member;
    std::size_t offset;
};

inline constexpr std::size_t kReserved = 2;
inline constexpr std::size_t kFiller = kSettingsRecordBytes;

using Int16 = Field<std::int16_t>;
using Ids = Field<IdTexts>;
using S = ConverterSettings;
inline constexpr std::tuple kLayout{
    Int16{&S::COM, 0},
    Int16{&S::Reserved, kReserved},
    Int16{&S::RS232BaudRate, 4},
    Int16{&S::CANBaudRate, 6},
    Int16{&S::CANtrFrmType, 8},
    Int16{&S::CANRecFrmType, 10},
    Int16{&S::InputFrmType, 12},
    Int16{&S::OutputFrmType, 14},
    Int16{&S::OutputProtection, 16},
    Int16{&S::RS232RecID, 18},
    Int16{&S::RS232TrID, 20},
    Int16{&S::CANTrImme1byte, 22},
    Int16{&S::CANTrMultiByte, 24},
    Int16{&S::InputChangeTr, 26},
    Int16{&S::InputPeriodTr, 28},
    Ids{&S::CANTrID1, 30},
    Ids{&S::CANMask1, 46},
    Ids{&S::CANFilter1, 62},
    Ids{&S::CANFilter2, 78},
    Ids{&S::InputID1, 94},
    Ids{&S::OutputID1, 110},
    Field<FixedText<8>>{&S::PeriodmsCount, 126},
    Field<FixedText<4>>{&S::OutputProtectValue, 134},
};

// Where `member` lies in a slot, as the layout above says (the slot's size for a member it lacks).
template <typename T>
constexpr std::size_t offsetOf(T ConverterSettings::*member) {
    std::size_t offset = kSettingsSlotSize;
    std::apply(
        [&](const auto&... field) {
            (
                [&](const auto& f) {
                    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(f.member)>,
                                                 T ConverterSettings::*>) {
                        if (f.member == member) {
                            offset = f.offset;
                        }
                    }
                }(field),
                ...);
        },
        kLayout);
    return offset;
}
}  // namespace slot

// Reads record 1 from up to 246 bytes; bytes beyond the end of a short slot count as zero.
ConverterSettings decodeSettingsRecord(std::span<const std::uint8_t> bytes);
// The filler bytes of a slot as read (zero where the slot was short), to be written back unchanged.
SettingsFiller settingsFiller(std::span<const std::uint8_t> bytes);
SettingsSlot encodeSettingsRecord(const ConverterSettings& record, const SettingsFiller& filler);

}  // namespace veltara::core
