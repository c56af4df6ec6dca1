#include "flip.h"

#include "session.h"

namespace veltara::test {

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
