#include "flip.h"

#include "session.h"

namespace veltara::test {

namespace {

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
    auto row = [](IdTexts& texts, const char* e0, const char* e1, const char* e2, const char* e3) {
        texts[0].store(e0);
        texts[1].store(e1);
        texts[2].store(e2);
        texts[3].store(e3);
    };
    row(r.CANTrID1, "21", "03", "00", "00");
    row(r.CANMask1, "EE", "DD", "CC", "0B");
    row(r.CANFilter1, "AA", "BB", "CC", "0D");
    row(r.CANFilter2, "11", "22", "33", "04");
    row(r.InputID1, "09", "06", "00", "00");
    row(r.OutputID1, "87", "65", "43", "01");
    r.PeriodmsCount.store("4321");
    r.OutputProtectValue.store("A5");
    return r;
}

}  // namespace

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

}  // namespace veltara::test
