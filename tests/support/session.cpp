#include "session.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace veltara::test {

namespace fs = std::filesystem;

namespace {

void storeRow(IdTexts& texts, const char* e0, const char* e1, const char* e2, const char* e3) {
    texts[0].store(e0);
    texts[1].store(e1);
    texts[2].store(e2);
    texts[3].store(e3);
}

}  // namespace

TempDir::TempDir() {
    // create_directory says whether it made the folder, so a name another test took is never shared.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("veltara-settings-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace);
            m_path = candidate;
        }
    }
    if (m_path.empty()) {
        throw std::runtime_error("no fresh temporary directory");
    }
}

TempDir::~TempDir() {
    // Tests take permissions away; give them back so that everything can be removed.
    std::error_code ec;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (const auto& entry : fs::recursive_directory_iterator(m_path, ec)) {
        if (!entry.is_symlink()) {
            const auto perms =
                entry.is_directory() ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write;
            fs::permissions(entry.path(), perms, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(m_path, ec);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const fs::path& directory) : m_previous(fs::current_path()) {
    fs::current_path(directory);
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
    std::error_code ec;
    fs::current_path(m_previous, ec);
}

std::vector<std::uint8_t> HeadlessSession::programFrame() {
    const std::size_t before = serial.sent.size();
    dialog.btnProgramConfig.click();
    if (serial.sent.size() != before + 1) {
        return {};
    }
    return serial.sent.back();
}

std::vector<std::uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> slotBytes(const ConverterSettings& record, const SettingsFiller& filler) {
    const SettingsSlot slot = encodeSettingsRecord(record, filler);
    return {slot.begin(), slot.end()};
}

ConverterSettings savedRecord() {
    ConverterSettings r;
    r.COM = 2;
    r.RS232BaudRate = 6;
    r.CANBaudRate = 7;
    r.CANtrFrmType = 1;
    r.CANRecFrmType = 1;
    r.InputFrmType = 1;
    r.OutputFrmType = 0;
    r.OutputProtection = 1;
    r.RS232RecID = 0;
    r.RS232TrID = 1;
    r.CANTrImme1byte = kFalse16;
    r.CANTrMultiByte = kTrue16;
    r.InputChangeTr = kFalse16;
    r.InputPeriodTr = kTrue16;
    storeRow(r.CANTrID1, "12", "34", "56", "1F");
    storeRow(r.CANMask1, "FF", "FF", "FF", "1F");
    storeRow(r.CANFilter1, "01", "02", "03", "04");
    storeRow(r.CANFilter2, "A0", "B0", "C0", "0D");
    storeRow(r.InputID1, "78", "56", "34", "12");
    storeRow(r.OutputID1, "22", "05", "00", "00");
    r.PeriodmsCount.store("1234");
    r.OutputProtectValue.store("5A");
    return r;
}

ConverterSettings otherRecord() {
    ConverterSettings r;
    r.COM = 1;
    r.RS232BaudRate = 1;
    r.CANBaudRate = 2;
    r.CANtrFrmType = 0;
    r.CANRecFrmType = 2;
    r.InputFrmType = 0;
    r.OutputFrmType = 1;
    r.OutputProtection = 0;
    r.RS232RecID = 1;
    r.RS232TrID = 0;
    r.CANTrImme1byte = kTrue16;
    r.CANTrMultiByte = kFalse16;
    r.InputChangeTr = kTrue16;
    r.InputPeriodTr = kFalse16;
    storeRow(r.CANTrID1, "21", "03", "00", "00");
    storeRow(r.CANMask1, "EE", "DD", "CC", "0B");
    storeRow(r.CANFilter1, "AA", "BB", "CC", "0D");
    storeRow(r.CANFilter2, "11", "22", "33", "04");
    storeRow(r.InputID1, "09", "06", "00", "00");
    storeRow(r.OutputID1, "87", "65", "43", "01");
    r.PeriodmsCount.store("4321");
    r.OutputProtectValue.store("A5");
    return r;
}

void flipSettings(Dialog& dialog) {
    const ConverterSettings next =
        dialog.CmbCOM.listIndex() == savedRecord().COM ? otherRecord() : savedRecord();
    dialog.ApplySettings(next);
    // Applying a record selects only one option of each pair (start-up begins from the design state,
    // where the partner is already selected); the user's click selects the partner here.
    if (next.CANTrMultiByte == kTrue16) {
        dialog.optCANTrMultiByte.setValue(true);
    }
    if (next.InputChangeTr == kTrue16) {
        dialog.optInputChangeTr.setValue(true);
    }
}

std::vector<std::string> rowTexts(const TextBox* boxes) {
    return {boxes[0].text(), boxes[1].text(), boxes[2].text(), boxes[3].text()};
}

std::map<std::string, std::string> visibleState(const Dialog& dialog) {
    std::map<std::string, std::string> state;
    for (const Control* c : dialog.controls()) {
        switch (c->kind()) {
            case ControlKind::ComboBox:
                state[c->objectName()] = std::to_string(static_cast<const ComboBox*>(c)->listIndex());
                break;
            case ControlKind::CheckBox:
                state[c->objectName()] = std::to_string(static_cast<const CheckBox*>(c)->value());
                break;
            case ControlKind::OptionButton:
                state[c->objectName()] = static_cast<const OptionButton*>(c)->value() ? "true" : "false";
                break;
            case ControlKind::TextBox:
                state[c->objectName()] = "\"" + static_cast<const TextBox*>(c)->text() + "\"";
                break;
            default:
                break;
        }
    }
    return state;
}

}  // namespace veltara::test
