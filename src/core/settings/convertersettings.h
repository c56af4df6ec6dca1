#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace veltara::core {

// A text field of exactly N characters in the single-byte character set of the settings file
// (ISO 8859-1 here); a character never written is 0.
template <std::size_t N>
struct FixedText {
    std::array<char, N> chars{};

    // Keeps the first N characters of a UTF-8 text and pads with spaces; a character with no
    // single-byte form becomes '?'.
    void store(std::string_view utf8);
    // The characters up to the first 0, as UTF-8, trailing spaces included.
    std::string text() const;

    bool operator==(const FixedText&) const = default;
};

using IdTexts = std::array<FixedText<4>, 4>;

// The persisted snapshot of the dialog's settings, in the order of the settings file.
struct ConverterSettings {
    std::int16_t COM = 0;
    std::int16_t Reserved = 0;
    std::int16_t RS232BaudRate = 0;
    std::int16_t CANBaudRate = 0;
    std::int16_t CANtrFrmType = 0;
    std::int16_t CANRecFrmType = 0;
    std::int16_t InputFrmType = 0;
    std::int16_t OutputFrmType = 0;
    std::int16_t OutputProtection = 0;
    std::int16_t RS232RecID = 0;
    std::int16_t RS232TrID = 0;
    std::int16_t CANTrImme1byte = 0;  // booleans: -1 true, 0 false
    std::int16_t CANTrMultiByte = 0;
    std::int16_t InputChangeTr = 0;
    std::int16_t InputPeriodTr = 0;
    IdTexts CANTrID1{};
    IdTexts CANMask1{};
    IdTexts CANFilter1{};
    IdTexts CANFilter2{};
    IdTexts InputID1{};
    IdTexts OutputID1{};
    FixedText<8> PeriodmsCount{};
    FixedText<4> OutputProtectValue{};

    bool operator==(const ConverterSettings&) const = default;
};

inline constexpr std::int16_t kTrue16 = -1;
inline constexpr std::int16_t kFalse16 = 0;

// A record that was never captured from the dialog: the two transmit-mode flags are equal.
bool IsBlankSettings(const ConverterSettings& record);
// Writes the start-up default of every field except Reserved.
void FillStartupDefaults(ConverterSettings& record);

// UTF-8 <-> ISO 8859-1 for the file's single-byte texts.
std::string latin1ToUtf8(std::string_view latin1);
std::string utf8ToLatin1(std::string_view utf8, std::size_t maxChars);

template <std::size_t N>
void FixedText<N>::store(std::string_view utf8) {
    const std::string bytes = utf8ToLatin1(utf8, N);
    chars.fill(' ');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        chars[i] = bytes[i];
    }
}

template <std::size_t N>
std::string FixedText<N>::text() const {
    std::size_t length = 0;
    while (length < N && chars[length] != '\0') {
        ++length;
    }
    return latin1ToUtf8(std::string_view(chars.data(), length));
}

}  // namespace veltara::core
