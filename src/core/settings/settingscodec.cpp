#include "settings/settingscodec.h"

#include <algorithm>

namespace veltara::core {

namespace {

// The int16 fields, in file order from offset 0.
constexpr std::int16_t ConverterSettings::*kIntFields[] = {
    &ConverterSettings::COM,
    &ConverterSettings::Reserved,
    &ConverterSettings::RS232BaudRate,
    &ConverterSettings::CANBaudRate,
    &ConverterSettings::CANtrFrmType,
    &ConverterSettings::CANRecFrmType,
    &ConverterSettings::InputFrmType,
    &ConverterSettings::OutputFrmType,
    &ConverterSettings::OutputProtection,
    &ConverterSettings::RS232RecID,
    &ConverterSettings::RS232TrID,
    &ConverterSettings::CANTrImme1byte,
    &ConverterSettings::CANTrMultiByte,
    &ConverterSettings::InputChangeTr,
    &ConverterSettings::InputPeriodTr,
};

constexpr IdTexts ConverterSettings::*kIdFields[] = {
    &ConverterSettings::CANTrID1,   &ConverterSettings::CANMask1, &ConverterSettings::CANFilter1,
    &ConverterSettings::CANFilter2, &ConverterSettings::InputID1, &ConverterSettings::OutputID1,
};

std::int16_t readInt16(const SettingsSlot& s, std::size_t offset) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(s[offset] | (s[offset + 1] << 8)));
}

void writeInt16(SettingsSlot& s, std::size_t offset, std::int16_t value) {
    const auto raw = static_cast<std::uint16_t>(value);
    s[offset] = static_cast<std::uint8_t>(raw & 0xFF);
    s[offset + 1] = static_cast<std::uint8_t>(raw >> 8);
}

template <std::size_t N>
void readText(const SettingsSlot& s, std::size_t offset, FixedText<N>& text) {
    for (std::size_t i = 0; i < N; ++i) {
        text.chars[i] = static_cast<char>(s[offset + i]);
    }
}

template <std::size_t N>
void writeText(SettingsSlot& s, std::size_t offset, const FixedText<N>& text) {
    for (std::size_t i = 0; i < N; ++i) {
        s[offset + i] = static_cast<std::uint8_t>(text.chars[i]);
    }
}

SettingsSlot padded(std::span<const std::uint8_t> bytes) {
    SettingsSlot s{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), s.size()), s.begin());
    return s;
}

}  // namespace

ConverterSettings decodeSettingsRecord(std::span<const std::uint8_t> bytes) {
    const SettingsSlot s = padded(bytes);
    ConverterSettings r;
    std::size_t offset = slot::kCOM;
    for (auto field : kIntFields) {
        r.*field = readInt16(s, offset);
        offset += 2;
    }
    for (auto field : kIdFields) {
        for (auto& element : r.*field) {
            readText(s, offset, element);
            offset += 4;
        }
    }
    readText(s, slot::kPeriodmsCount, r.PeriodmsCount);
    readText(s, slot::kOutputProtectValue, r.OutputProtectValue);
    return r;
}

SettingsFiller settingsFiller(std::span<const std::uint8_t> bytes) {
    const SettingsSlot s = padded(bytes);
    SettingsFiller filler{};
    std::copy_n(s.begin() + slot::kFiller, filler.size(), filler.begin());
    return filler;
}

SettingsSlot encodeSettingsRecord(const ConverterSettings& r, const SettingsFiller& filler) {
    SettingsSlot s{};
    std::size_t offset = slot::kCOM;
    for (auto field : kIntFields) {
        writeInt16(s, offset, r.*field);
        offset += 2;
    }
    for (auto field : kIdFields) {
        for (const auto& element : r.*field) {
            writeText(s, offset, element);
            offset += 4;
        }
    }
    writeText(s, slot::kPeriodmsCount, r.PeriodmsCount);
    writeText(s, slot::kOutputProtectValue, r.OutputProtectValue);
    std::copy(filler.begin(), filler.end(), s.begin() + slot::kFiller);
    return s;
}

}  // namespace veltara::core
