#include "settings/convertersettings.h"

#include "settings/identifierrecords.h"

namespace veltara::core {

bool IsBlankSettings(const ConverterSettings& record) {
    return record.CANTrImme1byte == record.CANTrMultiByte;
}

void FillStartupDefaults(ConverterSettings& r) {
    r.COM = 0;
    r.RS232BaudRate = 3;
    r.CANBaudRate = 5;
    r.CANtrFrmType = 0;
    r.CANRecFrmType = 0;
    r.InputFrmType = 0;
    r.OutputFrmType = 0;
    r.OutputProtection = 0;
    r.RS232RecID = 0;
    r.RS232TrID = 0;
    r.CANTrImme1byte = kTrue16;
    r.CANTrMultiByte = kFalse16;
    r.InputChangeTr = kTrue16;
    r.InputPeriodTr = kFalse16;
    for (const IdentifierRecordSpec& row : kIdentifierRecords) {
        for (std::size_t box = 0; box < row.startupTexts.size(); ++box) {
            (r.*row.record)[box].store(row.startupTexts[box]);
        }
    }
    r.PeriodmsCount.store("300");
    r.OutputProtectValue.store("00");
}

std::string latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

std::string utf8ToLatin1(std::string_view utf8, std::size_t maxChars) {
    auto continuation = [&](std::size_t at) {
        return at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0u) == 0x80u;
    };
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size() && out.size() < maxChars) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++i;
            continue;
        }
        // Only C2 and C3 lead the two-byte forms of U+0080..U+00FF; anything longer has no
        // single-byte form. A malformed sequence becomes one '?' and ends where its continuation
        // bytes end, so the characters after it survive.
        std::size_t length = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
        }
        std::size_t valid = 1;
        while (valid < length && continuation(i + valid)) {
            ++valid;
        }
        if (length == 0 || valid < length) {
            out.push_back('?');
            i += valid;
            continue;
        }
        if (length == 2 && lead <= 0xC3) {
            const unsigned code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            out.push_back(static_cast<char>(code));
        } else {
            out.push_back('?');
        }
        i += length;
    }
    return out;
}

}  // namespace veltara::core
