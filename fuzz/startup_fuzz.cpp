// Any settings file, 0 to 600 bytes: start-up and shutdown never crash or hang, leave a consistent dialog
// and write back Reserved and every byte beyond the record unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fakes.h"
#include "invariants.h"
#include "settings/settingscodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltara;
    if (size > 600) {
        return -1;
    }
    test::DialogFixture f;
    f.file.bytes.assign(data, data + size);
    f.file.exists = true;
    f.dialog.Form_Load();
    f.dialog.setShown(true);
    fuzz::require(fuzz::checkDialogInvariants(f.dialog));
    f.dialog.Form_Unload();

    const auto& written = f.file.bytes;
    if (written.size() != std::max<std::size_t>(size, core::kSettingsSlotSize)) {
        fuzz::require("the file changed its length to " + std::to_string(written.size()));
    }
    for (std::size_t i = core::kSettingsSlotSize; i < size; ++i) {
        if (written[i] != data[i]) {
            fuzz::require("byte " + std::to_string(i) + " beyond the record changed");
        }
    }
    for (std::size_t i : {core::slot::kReserved, core::slot::kReserved + 1}) {
        const std::uint8_t before = i < size ? data[i] : 0;
        if (written[i] != before) {
            fuzz::require("Reserved changed");
        }
    }
    return 0;
}
