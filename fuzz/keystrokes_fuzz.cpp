// Random user sessions: edits (insert, delete, paste, select-all and type) in random boxes mixed with
// frame-type picks, check-box and option clicks, focus moves and "Default Config". After every step the
// dialog stays consistent, and "Program Config" either sends the frame of the current values or refuses
// with an "Input Data Error" message.
#include <cstdint>
#include <string>
#include <vector>

#include "fakes.h"
#include "invariants.h"
#include "validation/textconversion.h"

namespace {

using namespace veltara;
using namespace veltara::core;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_pos >= m_size; }
    unsigned next() { return m_pos < m_size ? m_data[m_pos++] : 0u; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

constexpr char kAlphabet[] = "0123456789abcdefABCDEF -.,+xGz";

std::vector<TextBox*> boxesOf(Dialog& d) {
    std::vector<TextBox*> boxes;
    for (TextBox* row :
         {d.txtCANTrID1, d.txtCANMask1, d.txtCANFilter1, d.txtCANFilter2, d.txtInputID1, d.txtOutputID1}) {
        for (int i = 0; i < 4; ++i) {
            boxes.push_back(&row[i]);
        }
    }
    boxes.push_back(&d.txtPeriodmsCount);
    boxes.push_back(&d.txtOutputProtectValue);
    return boxes;
}

// The limit the frame types put on what the user can leave in a box. The top byte of an extended
// identifier has none here: a box that took a larger byte while the row was standard (its boxes enabled
// again by the RS232 receive check box) or "All" keeps it when "Extended" is picked, until the box is
// edited, and "Program Config" refuses such a frame.
std::string checkLimits(const Dialog& d) {
    struct Row {
        const TextBox* boxes;
        const ComboBox& type;
    };
    const Row rows[] = {{d.txtCANTrID1, d.cmbCANtrFrmType},    {d.txtInputID1, d.cmbInputFrmType},
                        {d.txtOutputID1, d.cmbOutputFrmType},  {d.txtCANMask1, d.cmbCANRecFrmType},
                        {d.txtCANFilter1, d.cmbCANRecFrmType}, {d.txtCANFilter2, d.cmbCANRecFrmType}};
    for (const Row& r : rows) {
        if (r.type.listIndex() == 0 && parseHexByte(trimSpaces(r.boxes[1].text())).value_or(0) > 7) {
            return r.boxes[1].objectName() + " exceeds 7 under Standard";
        }
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 400) {
        return -1;
    }
    test::DialogFixture f;
    f.pump.step = std::chrono::milliseconds(400);
    f.start();
    Dialog& d = f.dialog;
    const std::vector<TextBox*> boxes = boxesOf(d);
    ComboBox* const types[] = {&d.cmbCANtrFrmType, &d.cmbCANRecFrmType, &d.cmbInputFrmType,
                               &d.cmbOutputFrmType};
    CheckBox* const checks[] = {&d.ChkRS232RecID, &d.chkOutputProtection, &d.ChkRS232TrID};
    OptionButton* const options[] = {&d.optCANTrImme1byte, &d.optCANTrMultiByte, &d.optInputPeriodTr,
                                     &d.optInputChangeTr};

    Input in(data, size);
    while (!in.done()) {
        const unsigned op = in.next() % 9;
        TextBox& box = *boxes[in.next() % boxes.size()];
        const bool editable = box.enabled();
        switch (op) {
            case 0:
            case 1:
                if (editable) {  // insert a character at a position
                    std::string text = box.text();
                    const std::size_t at = in.next() % (text.size() + 1);
                    text.insert(at, 1, kAlphabet[in.next() % (sizeof kAlphabet - 1)]);
                    box.setFocus();
                    box.setText(text);
                }
                break;
            case 2:
                if (editable && !box.text().empty()) {  // backspace at a position
                    std::string text = box.text();
                    text.erase(in.next() % text.size(), 1);
                    box.setFocus();
                    box.setText(text);
                }
                break;
            case 3:
                if (editable) {  // paste over everything
                    std::string text;
                    for (unsigned n = in.next() % 6; n > 0; --n) {
                        text += kAlphabet[in.next() % (sizeof kAlphabet - 1)];
                    }
                    box.setFocus();
                    box.setText(text);
                }
                break;
            case 4: {
                ComboBox& combo = *types[in.next() % 4];
                if (combo.enabled()) {
                    (void)combo.setListIndex(static_cast<int>(in.next() % combo.items().size()));
                }
                break;
            }
            case 5: {
                CheckBox& check = *checks[in.next() % 3];
                (void)check.setValue(check.value() == 1 ? 0 : 1);
                break;
            }
            case 6: {
                OptionButton& option = *options[in.next() % 4];
                if (option.enabled()) {
                    option.setValue(true);
                }
                break;
            }
            case 7:
                d.btnDefaultConfig_Click();
                break;
            default:
                if (editable) {
                    box.setFocus();  // the box that had the focus runs its LostFocus rule
                }
                break;
        }
        fuzz::require(fuzz::checkDialogInvariants(d));
        fuzz::require(checkLimits(d));
    }

    f.messages.clear();
    f.serial.received.push_back(0x55);
    d.btnProgramConfig_Click();
    if (f.serial.sent.empty()) {
        if (f.messages.shown.size() != 1 || f.messages.shown[0].title != "Input Data Error") {
            fuzz::require("Program Config neither sent a frame nor said why");
        }
    } else {
        ConfigFrame expected = d.ConfigFrameBytes;
        encodeConfigFrame(d.frameInputs(), expected);
        if (std::vector<std::uint8_t>(expected.begin(), expected.end()) != f.serial.sent.back()) {
            fuzz::require("the frame sent differs from the current values");
        }
    }
    return 0;
}
