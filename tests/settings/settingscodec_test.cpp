#include <gtest/gtest.h>

#include <random>

#include "session.h"
#include "settings/settingscodec.h"

namespace veltara::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using CS = ConverterSettings;

Bytes at(const SettingsSlot& slot, std::size_t offset, std::size_t size) {
    return Bytes(slot.begin() + static_cast<long>(offset), slot.begin() + static_cast<long>(offset + size));
}

struct IntField {
    const char* name;
    std::int16_t CS::*member;
    std::size_t offset;
};

const IntField kIntFields[] = {
    {"COM", &CS::COM, 0},
    {"Reserved", &CS::Reserved, 2},
    {"RS232BaudRate", &CS::RS232BaudRate, 4},
    {"CANBaudRate", &CS::CANBaudRate, 6},
    {"CANtrFrmType", &CS::CANtrFrmType, 8},
    {"CANRecFrmType", &CS::CANRecFrmType, 10},
    {"InputFrmType", &CS::InputFrmType, 12},
    {"OutputFrmType", &CS::OutputFrmType, 14},
    {"OutputProtection", &CS::OutputProtection, 16},
    {"RS232RecID", &CS::RS232RecID, 18},
    {"RS232TrID", &CS::RS232TrID, 20},
    {"CANTrImme1byte", &CS::CANTrImme1byte, 22},
    {"CANTrMultiByte", &CS::CANTrMultiByte, 24},
    {"InputChangeTr", &CS::InputChangeTr, 26},
    {"InputPeriodTr", &CS::InputPeriodTr, 28},
};

struct IdField {
    const char* name;
    IdTexts CS::*member;
    std::size_t offset;
};

const IdField kIdFields[] = {
    {"CANTrID1", &CS::CANTrID1, 30},     {"CANMask1", &CS::CANMask1, 46}, {"CANFilter1", &CS::CANFilter1, 62},
    {"CANFilter2", &CS::CANFilter2, 78}, {"InputID1", &CS::InputID1, 94}, {"OutputID1", &CS::OutputID1, 110},
};

TEST(SettingsCodec, EveryIntegerSitsAtItsOffsetLittleEndian) {
    CS record;
    for (std::size_t i = 0; i < std::size(kIntFields); ++i) {
        // Low byte 0x10 + i, high byte 0x80 + i: negative values and byte order both show.
        record.*kIntFields[i].member = static_cast<std::int16_t>(((0x80 + i) << 8) | (0x10 + i));
    }
    const SettingsSlot slot = encodeSettingsRecord(record, {});
    for (std::size_t i = 0; i < std::size(kIntFields); ++i) {
        const auto& f = kIntFields[i];
        EXPECT_EQ(at(slot, f.offset, 2),
                  (Bytes{static_cast<std::uint8_t>(0x10 + i), static_cast<std::uint8_t>(0x80 + i)}))
            << f.name;
        EXPECT_EQ(decodeSettingsRecord(slot).*f.member, record.*f.member) << f.name;
    }
}

TEST(SettingsCodec, EveryTextElementSitsAtItsOffsetOneBytePerCharacter) {
    CS record;
    for (std::size_t f = 0; f < std::size(kIdFields); ++f) {
        for (std::size_t e = 0; e < 4; ++e) {
            const char text[] = {static_cast<char>('A' + f), static_cast<char>('0' + e), 0};
            (record.*kIdFields[f].member)[e].store(text);
        }
    }
    record.PeriodmsCount.store("12345678");
    record.OutputProtectValue.store("wxyz");
    const SettingsSlot slot = encodeSettingsRecord(record, {});
    for (std::size_t f = 0; f < std::size(kIdFields); ++f) {
        for (std::size_t e = 0; e < 4; ++e) {
            const auto letter = static_cast<std::uint8_t>('A' + f);
            const auto digit = static_cast<std::uint8_t>('0' + e);
            EXPECT_EQ(at(slot, kIdFields[f].offset + 4 * e, 4), (Bytes{letter, digit, 0x20, 0x20}))
                << kIdFields[f].name << " element " << e;
        }
    }
    EXPECT_EQ(at(slot, 126, 8), (Bytes{'1', '2', '3', '4', '5', '6', '7', '8'}));
    EXPECT_EQ(at(slot, 134, 4), (Bytes{'w', 'x', 'y', 'z'}));
    EXPECT_EQ(decodeSettingsRecord(slot), record);
}

TEST(SettingsCodec, TextsAndFlagsAsTheFileHoldsThem) {
    CS record;
    record.CANTrID1[0].store("22");
    record.PeriodmsCount.store("300");
    record.CANTrImme1byte = kTrue16;
    record.InputPeriodTr = kTrue16;
    const SettingsSlot slot = encodeSettingsRecord(record, {});
    EXPECT_EQ(at(slot, 30, 4), (Bytes{0x32, 0x32, 0x20, 0x20}));
    EXPECT_EQ(at(slot, 126, 8), (Bytes{0x33, 0x30, 0x30, 0x20, 0x20, 0x20, 0x20, 0x20}));
    EXPECT_EQ(at(slot, 22, 8), (Bytes{0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF}));
    // A field never stored into stays zero bytes.
    EXPECT_EQ(at(slot, 34, 4), (Bytes{0, 0, 0, 0}));
}

TEST(SettingsCodec, FillerIsWrittenBackAsRead) {
    SettingsFiller filler;
    for (std::size_t i = 0; i < filler.size(); ++i) {
        filler[i] = static_cast<std::uint8_t>(0xA0 ^ i);
    }
    const SettingsSlot slot = encodeSettingsRecord(savedRecord(), filler);
    EXPECT_EQ(settingsFiller(slot), filler);
    EXPECT_EQ(at(slot, 138, 108), Bytes(filler.begin(), filler.end()));
}

TEST(SettingsCodec, AnySlotSurvivesDecodeAndEncodeByteForByte) {
    std::mt19937 random(246);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        SettingsSlot slot;
        for (auto& b : slot) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        const SettingsSlot again = encodeSettingsRecord(decodeSettingsRecord(slot), settingsFiller(slot));
        ASSERT_EQ(again, slot) << "round " << round;
    }
}

TEST(SettingsCodec, TruncatedSlotReadsMissingBytesAsZero) {
    SettingsFiller filler;
    filler.fill(0x5C);
    CS full = savedRecord();
    full.Reserved = 0x1234;
    full.CANTrImme1byte = kTrue16;  // as a start with defaults saves it: FF FF 00 00 at 22
    full.CANTrMultiByte = kFalse16;
    const SettingsSlot reference = encodeSettingsRecord(full, filler);
    for (std::size_t length = 0; length <= kSettingsSlotSize; ++length) {
        SettingsSlot expected{};
        std::copy_n(reference.begin(), length, expected.begin());
        const Bytes prefix(reference.begin(), reference.begin() + static_cast<long>(length));

        const CS decoded = decodeSettingsRecord(prefix);
        ASSERT_EQ(decoded, decodeSettingsRecord(expected)) << "length " << length;
        ASSERT_EQ(encodeSettingsRecord(decoded, settingsFiller(prefix)), expected) << "length " << length;
        // Up to 22 bytes the transmit-mode flags are both missing, so the record counts as never saved.
        ASSERT_EQ(IsBlankSettings(decoded), length <= 22) << "length " << length;
    }
}

}  // namespace
}  // namespace veltara::test
