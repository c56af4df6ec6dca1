#include "settings/settingscodec.h"

#include <algorithm>

namespace veltara::core {

namespace {

template <typename T>
constexpr std::size_t fieldSize(const slot::Field<T>&) {
    return sizeof(T);
}

static_assert(sizeof(FixedText<4>) == 4 && sizeof(IdTexts) == 16, "texts are stored without padding");

constexpr bool fieldsFollowEachOther() {
    std::size_t next = 0;
    bool contiguous = true;
    std::apply(
        [&](const auto&... field) {
            ((contiguous = contiguous && field.offset == next, next = field.offset + fieldSize(field)), ...);
        },
        slot::kLayout);
    return contiguous && next == slot::kFiller;
}
static_assert(fieldsFollowEachOther(), "the record's fields must cover bytes 0..137 in order");

void read(const SettingsSlot& s, std::size_t offset, std::int16_t& value) {
    value = static_cast<std::int16_t>(static_cast<std::uint16_t>(s[offset] | (s[offset + 1] << 8)));
}

void write(SettingsSlot& s, std::size_t offset, std::int16_t value) {
    const auto raw = static_cast<std::uint16_t>(value);
    s[offset] = static_cast<std::uint8_t>(raw & 0xFF);
    s[offset + 1] = static_cast<std::uint8_t>(raw >> 8);
}

template <std::size_t N>
void read(const SettingsSlot& s, std::size_t offset, FixedText<N>& text) {
    for (std::size_t i = 0; i < N; ++i) {
        text.chars[i] = static_cast<char>(s[offset + i]);
    }
}

template <std::size_t N>
void write(SettingsSlot& s, std::size_t offset, const FixedText<N>& text) {
    for (std::size_t i = 0; i < N; ++i) {
        s[offset + i] = static_cast<std::uint8_t>(text.chars[i]);
    }
}

// The four bytes of an identifier lie one after the other, byte 0 first.
void read(const SettingsSlot& s, std::size_t offset, IdTexts& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        read(s, offset + i * sizeof(texts[i]), texts[i]);
    }
}

void write(SettingsSlot& s, std::size_t offset, const IdTexts& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        write(s, offset + i * sizeof(texts[i]), texts[i]);
    }
}

template <typename Visit>
void forEachField(Visit&& visit) {
    std::apply([&](const auto&... field) { (visit(field), ...); }, slot::kLayout);
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
    forEachField([&](const auto& field) { read(s, field.offset, r.*field.member); });
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
    forEachField([&](const auto& field) { write(s, field.offset, r.*field.member); });
    std::copy(filler.begin(), filler.end(), s.begin() + slot::kFiller);
    return s;
}

}  // namespace veltara::core
