#include "link/framefields.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "factoryframe.h"

namespace veltara::core {
namespace {

ConfigFrame sealed(ConfigFrame frame) {
    frame[frame::kChecksum] = frameChecksum(frame);
    return frame;
}

const ConfigFrame kFactory = [] {
    ConfigFrame frame{};
    std::copy(test::kFactoryFrame.begin(), test::kFactoryFrame.end(), frame.begin());
    return frame;
}();

const ConfigFrame kAllOnes = [] {
    ConfigFrame frame{};
    frame.fill(0xFF);
    return sealed(frame);
}();

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
    std::vector<ConfigFrame> frames{sealed({}), kAllOnes, kFactory};
    std::mt19937 random(20261208);
    for (int n = 0; n < 3000; ++n) {
        ConfigFrame frame{};
        std::generate(frame.begin(), frame.end(), [&] { return static_cast<std::uint8_t>(random()); });
        frames.push_back(sealed(frame));
    }
    for (const ConfigFrame& frame : frames) {
        const auto rebuilt = frameFromFields(valuesOf(frame));
        ASSERT_TRUE(rebuilt) << rebuilt.error().text;
        EXPECT_EQ(rebuilt.value(), frame) << describeFrameLine(frame);
    }
}

TEST(FrameFields, AWrongValueIsAnErrorThatNamesItsKey) {
    struct Case {
        const char* key;
        std::optional<FieldValue> value;  // nullopt: the key is left out
        const char* error;                // nullptr: accepted, the factory frame comes back
    };
    const Case cases[] = {
        {.key = "frobnicate", .value = true, .error = "frobnicate: unknown key"},
        {.key = "input_id_frame_type", .value = std::nullopt, .error = "input_id_frame_type: missing"},
        {.key = "input_id", .value = 0x800, .error = "input_id: 2048 (0x800) is too large for a standard"},
        {.key = "can_mask", .value = -1, .error = "can_mask: -1 is out of range"},
        {.key = "output_id", .value = "0x522", .error = "output_id: takes a whole number, not \"0x522\""},
        {.key = "can_filter2_frame_type", .value = "long", .error = "can_filter2_frame_type: takes one of"},
        {.key = "input_id_reserved_bits",
         .value = 0x200000,
         .error = "input_id_reserved_bits: 0x00200000 sets"},
        {.key = "can_receive_frame_type", .value = "any", .error = "can_receive_frame_type: takes one of"},
        {.key = "output_protection", .value = 1, .error = "output_protection: takes true or false, not 1"},
        {.key = "can_baud_rate",
         .value = 300000,
         .error = "can_baud_rate: 300000 is not one of 20000, 50000"},
        {.key = "can_baud_rate",
         .value = 500000,
         .error = "can_baud_rate: 500000 does not match can_baud_rate_code 5"},
        {.key = "rs232_baud_rate",
         .value = std::monostate{},
         .error = "rs232_baud_rate: null does not match"},
        {.key = "rs232_baud_rate_code", .value = 256, .error = "rs232_baud_rate_code: 256 is out of range"},
        {.key = "period_ms_count",
         .value = 65536,
         .error = "period_ms_count: 65536 is out of range (0 to 65535)"},
        {.key = "output_protect_value",
         .value = OtherJson{"1.5"},
         .error = "output_protect_value: takes a whole"},
        {.key = "checksum", .value = 0, .error = nullptr},
        {.key = "bytes", .value = OtherJson{"[]"}, .error = nullptr},
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
    struct Case {
        FieldValues values;
        const char* key;
        const char* text;
    };
    const Case cases[] = {
        {{{"input_id_frame_type", "extended"}}, "input_id", "extended 0x00000722"},
        {{{"can_transmit_id", 0x1FFFFFFF}, {"can_transmit_id_frame_type", "extended"}},
         "can_transmit_id",
         "extended 0x1FFFFFFF"},
        {{{"can_baud_rate", 1000000}}, "can_baud_rate", "1000K"},
        {{{"rs232_baud_rate_code", 0xFF}}, "rs232_baud_rate", "code 0xFF, no rate"},
    };
    for (const Case& c : cases) {
        ConfigFrame frame = kFactory;
        ASSERT_EQ(setFrameFields(frame, c.values), std::nullopt) << c.key;
        EXPECT_EQ(frameChecksum(frame), frame[frame::kChecksum]);
        for (const FieldReading& reading : describeFrame(frame)) {
            if (reading.field->key == c.key) {
                EXPECT_EQ(reading.text.rfind(c.text, 0), 0u) << reading.text;
            }
        }
    }
}

TEST(FrameFields, NamesWhatTheDialogNeverSends) {
    struct Case {
        const char* name;
        std::function<void(ConfigFrame&)> change;
        std::vector<std::string> expected;
    };
    const auto extendedAt = [](ConfigFrame& f, std::size_t offset) {
        const auto g = encodeExtendedId({1, 2, 3, 4});
        std::copy(g.begin(), g.end(), f.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    const Case cases[] = {
        {"factory", [](ConfigFrame&) {}, {}},
        {"rates and reserved bytes",
         [](ConfigFrame& f) {
             f[0] = 0xFF;
             f[1] = 0x12;
             f[2] = 0x99;
             f[3] = 1;
         },
         {"RS232 baud rate code 0xFF", "Reserved byte 1 = 0x12", "CAN bit rate code 0x99",
          "Reserved byte 3 = 0x01"}},
        {"flag bit", [](ConfigFrame& f) { f[12] |= 0x08; }, {"Reserved flag bit 3 (0x08) set"}},
        {"standard reserved bits",
         [](ConfigFrame& f) { f[7] = 1; },
         {"Input frame ID reserved bits 0x00000001"}},
        {"extended reserved bits",
         [&](ConfigFrame& f) {
             extendedAt(f, 8);
             f[9] |= 0x10;
         },
         {"Output frame ID reserved bits 0x00100000"}},
        {"period 0", [](ConfigFrame& f) { f[25] = f[26] = 0; }, {"Period ms count 0"}},
        {"mask against its type",
         [&](ConfigFrame& f) { extendedAt(f, 17); },
         {"CAN receive mask extended while the receive frame type is standard"}},
        {"standard under Extended",
         [](ConfigFrame& f) { f[12] ^= 3; },
         {"CAN receive mask standard while the receive frame type is extended",
          "CAN receive filter 1 standard while the receive frame type is extended",
          "CAN receive filter 2 standard while the receive frame type is extended"}},
        {"mixed under All",
         [&](ConfigFrame& f) {
             f[12] |= 3;
             extendedAt(f, 21);
         },
         {"CAN receive filter 1 extended while the mask is standard"}},
        {"one type under none",
         [&](ConfigFrame& f) {
             f[12] &= 0xFC;
             extendedAt(f, 17);
             extendedAt(f, 21);
             extendedAt(f, 28);
         },
         {}},
    };
    for (const Case& c : cases) {
        ConfigFrame frame = kFactory;
        c.change(frame);
        EXPECT_EQ(unsendableFields(frame), c.expected) << c.name;
    }
}

// Whatever the dialog holds, press after press on one buffer, the encoder makes no frame named above.
TEST(FrameFields, NothingTheEncoderMakesIsNamedUnsendable) {
    std::mt19937 random(20261209);
    const auto pick = [&](int low, int high) { return low + static_cast<int>(random() % (high - low + 1)); };
    ConfigFrame frame{};
    for (int n = 0; n < 3000; ++n) {
        FrameInputs in;
        in.rs232BaudRate = pick(0, 7);
        in.canBaudRate = pick(0, 7);
        for (int* type : {&in.inputFrmType, &in.outputFrmType, &in.canTrFrmType, &in.canRecFrmType}) {
            *type = pick(-1, 2);
        }
        for (int* check : {&in.outputProtection, &in.rs232RecId, &in.rs232TrId}) {
            *check = pick(0, 2);
        }
        in.canTrMultiByte = pick(0, 1) == 1;
        in.inputChangeTr = pick(0, 1) == 1;
        for (const frame::IdentifierField& field : frame::kIdentifierFields) {
            for (std::uint8_t& byte : in.*field.input) {
                byte = static_cast<std::uint8_t>(random());
            }
            (in.*field.input)[3] &= 0x1F;
        }
        in.periodmsCountValue = pick(1, 65535);
        frame[frame::kProtectValue] = static_cast<std::uint8_t>(random());
        ASSERT_EQ(frameInputProblem(in), std::nullopt);
        encodeConfigFrame(in, frame);
        EXPECT_EQ(unsendableFields(frame), std::vector<std::string>{}) << describeFrameLine(frame);
    }
}

}  // namespace
}  // namespace veltara::core
