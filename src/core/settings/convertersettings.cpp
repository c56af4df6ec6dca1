#include "settings/convertersettings.h"

namespace veltara::core {

namespace {

void storeRow(IdTexts& row, std::string_view e0, std::string_view e1, std::string_view e2,
              std::string_view e3) {
    row[0].store(e0);
    row[1].store(e1);
    row[2].store(e2);
    row[3].store(e3);
}

}  // namespace

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
    storeRow(r.CANTrID1, "22", "03", "0", "0");
    storeRow(r.CANMask1, "ff", "07", "0", "0");
    storeRow(r.CANFilter1, "33", "03", "0", "0");
    storeRow(r.CANFilter2, "33", "03", "0", "0");
    storeRow(r.InputID1, "22", "07", "0", "0");
    storeRow(r.OutputID1, "22", "05", "0", "0");
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
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size() && out.size() < maxChars) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 1;
        if (lead >= 0xF0) {
            length = 4;
        } else if (lead >= 0xE0) {
            length = 3;
        } else if (lead >= 0xC0) {
            length = 2;
        }
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
        } else if (length == 2 && i + 1 < utf8.size()) {
            const unsigned code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            out.push_back(code <= 0xFF ? static_cast<char>(code) : '?');
        } else {
            out.push_back('?');
        }
        i += length;
    }
    return out;
}

}  // namespace veltara::core
