#include "link/framefields.h"

#include <gtest/gtest.h>

#include <random>

#include "factoryframe.h"

namespace veltara::core {
namespace {

// The body's 32 bytes with their checksum.
ConfigFrame sealed(std::span<const std::uint8_t> body) {
    ConfigFrame frame{};
    std::copy_n(body.begin(), frame::kChecksum, frame.begin());
    frame[frame::kChecksum] = frameChecksum(frame);
    return frame;
}

const ConfigFrame kFactory = sealed(test::kFactoryFrame);
const ConfigFrame kAllOnes = sealed(std::vector<std::uint8_t>(32, 0xFF));

FieldValues valuesOf(const ConfigFrame& frame) {
    FieldValues values;
    for (const FieldReading& reading : describeFrame(frame)) {
        values.insert(reading.values.begin(), reading.values.end());
    }
    return values;
}

bool placedAt(const FrameField& field, std::size_t bit) {
    const std::size_t byte = bit / 8;
    return byte >= field.offset && byte < field.offset + field.size && (field.mask >> (bit % 8) & 1) != 0;
}

TEST(FrameFields, EveryBitOfTheBodyBelongsToExactlyOneField) {
    for (const ConfigFrame& base : {ConfigFrame{}, kAllOnes, kFactory}) {
        const auto before = describeFrame(base);
        for (std::size_t bit = 0; bit < 8 * frame::kChecksum; ++bit) {
            ConfigFrame flipped = base;
            flipped[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
            const auto after = describeFrame(flipped);
            std::vector<std::string_view> changed, placed;
            for (std::size_t i = 0; i < before.size(); ++i) {
                if (after[i].values != before[i].values) {
                    changed.push_back(before[i].field->key);
                }
                if (placedAt(*before[i].field, bit)) {
                    placed.push_back(before[i].field->key);
                }
            }
            ASSERT_EQ(changed.size(), 1u) << "bit " << bit;
            EXPECT_EQ(changed, placed) << "bit " << bit;
        }
    }
}

TEST(FrameFields, DescribedValuesGiveTheSameFrameBack) {
    std::vector<ConfigFrame> frames{sealed(ConfigFrame{}), kAllOnes, kFactory};
    std::independent_bits_engine<std::mt19937, 8, unsigned> random(20261208);
    for (int n = 0; n < 3000; ++n) {
        std::vector<std::uint8_t> body(32);
        std::generate(body.begin(), body.end(), [&] { return static_cast<std::uint8_t>(random()); });
        frames.push_back(sealed(body));
    }
    for (const ConfigFrame& frame : frames) {
        const auto rebuilt = frameFromFields(valuesOf(frame));
        ASSERT_TRUE(rebuilt) << rebuilt.error().text;
        EXPECT_EQ(rebuilt.value(), frame) << describeFrameLine(frame);
    }
}

// Each row sets one of the factory frame's keys (nullopt: leaves it out); no error: the frame comes back.
TEST(FrameFields, AWrongValueIsAnErrorThatNamesItsKey) {
    struct Case {
        const char* key;
        std::optional<FieldValue> value;
        const char* error;
    };
    const Case cases[] = {
        {"frobnicate", true, "frobnicate: unknown key"},
        {"input_id_frame_type", std::nullopt, "input_id_frame_type: missing"},
        {"input_id", 0x800, "input_id: 2048 (0x800) is too large for a standard identifier"},
        {"can_mask", -1, "can_mask: -1 is out of range"},
        {"output_id", "0x522", "output_id: takes a whole number, not \"0x522\""},
        {"can_filter2_frame_type", "long", "can_filter2_frame_type: takes one of"},
        {"input_id_reserved_bits", 0x200000, "input_id_reserved_bits: 0x00200000 sets bits"},
        {"can_receive_frame_type", "any", "can_receive_frame_type: takes one of"},
        {"output_protection", 1, "output_protection: takes true or false, not 1"},
        {"can_baud_rate", 300000, "can_baud_rate: 300000 is not one of 20000, 50000"},
        {"can_baud_rate", 500000, "can_baud_rate: 500000 does not match can_baud_rate_code 5"},
        {"rs232_baud_rate", std::monostate{}, "rs232_baud_rate: null does not match"},
        {"rs232_baud_rate_code", 256, "rs232_baud_rate_code: 256 is out of range"},
        {"period_ms_count", 65536, "period_ms_count: 65536 is out of range (0 to 65535)"},
        {"output_protect_value", OtherJson{"1.5"}, "output_protect_value: takes a whole"},
        {"checksum", 0, nullptr},
        {"bytes", OtherJson{"[]"}, nullptr},
    };
    for (const Case& c : cases) {
        FieldValues values = valuesOf(kFactory);
        if (c.value) {
            values.insert_or_assign(c.key, *c.value);
        } else {
            values.erase(c.key);
        }
        const auto frame = frameFromFields(values);
        if (c.error == nullptr) {
            EXPECT_EQ(frame.ok() ? frame.value() : ConfigFrame{}, kFactory) << c.key;
        } else {
            ASSERT_FALSE(frame) << c.key;
            EXPECT_EQ(frame.error().text.rfind(c.error, 0), 0u) << frame.error().text;
        }
    }
}

TEST(FrameFields, AKeyLeftOutKeepsWhatTheFrameHolds) {
    const std::pair<FieldValues, const char*> cases[] = {
        {{{"input_id_frame_type", "extended"}}, "Input frame ID: extended 0x00000722;"},
        {{{"can_transmit_id", 0x1FFFFFFF}, {"can_transmit_id_frame_type", "extended"}},
         "CAN transmit ID: extended 0x1FFFFFFF;"},
        {{{"can_baud_rate", 1000000}}, "CAN bit rate: 1000K;"},
        {{{"rs232_baud_rate_code", 0xFF}}, "RS232 baud rate: code 0xFF, no rate;"},
    };
    for (const auto& [values, text] : cases) {
        ConfigFrame frame = kFactory;
        ASSERT_EQ(setFrameFields(frame, values), std::nullopt) << text;
        EXPECT_NE(describeFrameLine(frame).find(text), std::string::npos) << describeFrameLine(frame);
        EXPECT_EQ(frameChecksum(frame), frame[frame::kChecksum]);
    }
}

TEST(FrameFields, NamesWhatTheDialogNeverSends) {
    using Bytes = std::vector<std::pair<std::size_t, std::uint8_t>>;           // offset, new byte
    const Bytes extendedMask{{17, 0x20}, {18, 0x0B}, {19, 0x02}, {20, 0x01}};  // extended 0x04030201
    struct Case {
        Bytes change;  // over the factory frame, whose flags are A1 (receive frame type standard)
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{{0, 0xFF}, {1, 0x12}, {2, 0x99}, {3, 1}},
         {"RS232 baud rate code 0xFF", "Reserved byte 1 = 0x12", "CAN bit rate code 0x99",
          "Reserved byte 3 = 0x01"}},
        {{{12, 0xA9}}, {"Reserved flag bit 3 (0x08) set"}},
        {{{7, 1}}, {"Input frame ID reserved bits 0x00000001"}},
        {{{8, 0x20}, {9, 0x1B}}, {"Output frame ID reserved bits 0x00100000"}},
        {{{25, 0}, {26, 0}}, {"Period ms count 0"}},
        {extendedMask, {"CAN receive mask extended while the receive frame type is standard"}},
        {{{12, 0xA2}},
         {"CAN receive mask standard while the receive frame type is extended",
          "CAN receive filter 1 standard while the receive frame type is extended",
          "CAN receive filter 2 standard while the receive frame type is extended"}},
        {{{12, 0xA3}, {22, 0x0B}}, {"CAN receive filter 1 extended while the mask is standard"}},
        {{{12, 0xA0}, {18, 0x08}, {22, 0x08}, {29, 0x08}}, {}},  // no type: three extended identifiers agree
    };
    for (const Case& c : cases) {
        ConfigFrame frame = kFactory;
        for (const auto& [offset, byte] : c.change) {
            frame[offset] = byte;
        }
        EXPECT_EQ(unsendableFields(frame), c.expected) << describeFrameLine(frame);
    }
}

// Whatever the dialog holds, press after press on one buffer, the encoder makes no frame named above.
TEST(FrameFields, NothingTheEncoderMakesIsNamedUnsendable) {
    std::mt19937 random(20261209);
    const auto pick = [&](int low, int high) { return low + static_cast<int>(random() % (high - low + 1)); };
    const auto byte = [&](unsigned mask) { return static_cast<std::uint8_t>(random() & mask); };
    ConfigFrame frame{};
    for (int n = 0; n < 3000; ++n) {
        FrameInputs in;
        in.rs232BaudRate = pick(0, 7);
        in.canBaudRate = pick(0, 7);
        in.canTrMultiByte = pick(0, 1) == 1;
        in.inputChangeTr = pick(0, 1) == 1;
        for (int* list : {&in.inputFrmType, &in.outputFrmType, &in.canTrFrmType, &in.canRecFrmType,
                          &in.outputProtection, &in.rs232RecId, &in.rs232TrId}) {
            *list = pick(-1, 2);  // a check value of -1 counts as unchecked, as 0 and 2 do
        }
        for (const frame::IdentifierField& field : frame::kIdentifierFields) {
            in.*field.input = {byte(0xFF), byte(0xFF), byte(0xFF), byte(0x1F)};
        }
        in.periodmsCountValue = pick(1, 65535);
        frame[frame::kProtectValue] = byte(0xFF);
        ASSERT_EQ(frameInputProblem(in), std::nullopt);
        encodeConfigFrame(in, frame);
        EXPECT_EQ(unsendableFields(frame), std::vector<std::string>{}) << describeFrameLine(frame);
    }
}

}  // namespace
}  // namespace veltara::core
