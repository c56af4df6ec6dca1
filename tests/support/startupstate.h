#pragma once

namespace veltara::test {

// One control as the user first sees the dialog when no settings file exists yet.
struct StartupControl {
    const char* name;       // the object name: an identifier box adds its index
    const char* text = "";  // the item a list shows or a box's text; empty for check and option buttons
    bool checked = false;   // a check box ticked or an option button selected
    bool enabled = true;
};

// Every control that holds a setting, at a first start without a settings file. The headless start and
// the real window are both held to this one table.
inline constexpr StartupControl kStartupState[] = {
    {.name = "CmbCOM", .text = "COM1"},
    {.name = "CmbRS232BaudRate", .text = "9600"},
    {.name = "CmbCANBaudRate", .text = "250K"},
    {.name = "cmbCANtrFrmType", .text = "Standard"},
    {.name = "cmbCANRecFrmType", .text = "Standard"},
    {.name = "cmbInputFrmType", .text = "Standard"},
    {.name = "cmbOutputFrmType", .text = "Standard"},
    {.name = "ChkRS232RecID"},
    {.name = "ChkRS232TrID"},
    {.name = "chkOutputProtection"},
    {.name = "optCANTrImme1byte", .checked = true},
    {.name = "optCANTrMultiByte"},
    {.name = "optInputPeriodTr"},
    {.name = "optInputChangeTr", .checked = true},
    // A standard frame leaves boxes 2 and 3 of each identifier row with nothing to hold.
    {.name = "txtCANTrID1_0", .text = "22"},
    {.name = "txtCANTrID1_1", .text = "03"},
    {.name = "txtCANTrID1_2", .text = "00", .enabled = false},
    {.name = "txtCANTrID1_3", .text = "00", .enabled = false},
    {.name = "txtCANMask1_0", .text = "FF"},
    {.name = "txtCANMask1_1", .text = "07"},
    {.name = "txtCANMask1_2", .text = "00", .enabled = false},
    {.name = "txtCANMask1_3", .text = "00", .enabled = false},
    {.name = "txtCANFilter1_0", .text = "33"},
    {.name = "txtCANFilter1_1", .text = "03"},
    {.name = "txtCANFilter1_2", .text = "00", .enabled = false},
    {.name = "txtCANFilter1_3", .text = "00", .enabled = false},
    {.name = "txtCANFilter2_0", .text = "33"},
    {.name = "txtCANFilter2_1", .text = "03"},
    {.name = "txtCANFilter2_2", .text = "00", .enabled = false},
    {.name = "txtCANFilter2_3", .text = "00", .enabled = false},
    {.name = "txtInputID1_0", .text = "22"},
    {.name = "txtInputID1_1", .text = "07"},
    {.name = "txtInputID1_2", .text = "00", .enabled = false},
    {.name = "txtInputID1_3", .text = "00", .enabled = false},
    {.name = "txtOutputID1_0", .text = "22"},
    {.name = "txtOutputID1_1", .text = "05"},
    {.name = "txtOutputID1_2", .text = "00", .enabled = false},
    {.name = "txtOutputID1_3", .text = "00", .enabled = false},
    // Input changes trigger transmitting and protection is off, so neither number is asked for.
    {.name = "txtPeriodmsCount", .text = "300     ", .enabled = false},
    {.name = "txtOutputProtectValue", .text = "00  ", .enabled = false},
};

}  // namespace veltara::test
