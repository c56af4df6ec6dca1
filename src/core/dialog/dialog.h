#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "dialog/checkbox.h"
#include "dialog/combobox.h"
#include "dialog/control.h"
#include "dialog/entryhandlers.h"
#include "dialog/messageboxes.h"
#include "dialog/optionbutton.h"
#include "dialog/portstate.h"
#include "dialog/programmingrun.h"
#include "dialog/screen.h"
#include "dialog/settingssession.h"
#include "dialog/textbox.h"
#include "link/configframe.h"
#include "link/eventpump.h"
#include "link/monotonicclock.h"
#include "link/programmingexchange.h"
#include "link/serialcontrol.h"
#include "settings/convertersettings.h"
#include "settings/settingscodec.h"
#include "settings/settingsfile.h"

namespace veltara::core {

// The outside world as the dialog sees it; every piece is injected so tests can stand in for it.
struct DialogServices {
    MessageBoxes& messages;
    SerialControl& serial;
    EventPump& pump;
    MonotonicClock& clock;
    Screen& screen;
    SettingsFile& settingsFile;
};

using IdBoxes = std::array<TextBox*, 4>;

// The six identifier rows, in declaration order; identifierrows.h holds what tells them apart.
enum class IdRow { CANTrID1, CANMask1, CANFilter1, CANFilter2, InputID1, OutputID1 };
inline constexpr std::size_t kIdRowCount = 6;

// The configuration dialog: its controls, the values parsed from them and every handler.
class Dialog final : public FocusHost {
public:
    static constexpr const char* kCaption = "RS232-CAN BUS Configuration";
    static constexpr const char* kAppTitle = "Veltara";
    static constexpr const char* kPortFailure = "Com Port fails to open, try another com port";
    static constexpr const char* kInputDataError = "Input Data Error";
    static constexpr const char* kConfigSucceeds = "Configuration is successfull!";
    static constexpr const char* kConfigFails = "Configuration fails!";
    static constexpr int kClientWidth = 11700;
    static constexpr int kClientHeight = 8940;

    explicit Dialog(DialogServices services);
    ~Dialog() override;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Labels and frames.
    Control Label1{ControlKind::Label}, Label2{ControlKind::Label}, Label3{ControlKind::Label},
        Label4{ControlKind::Label}, Label5{ControlKind::Label}, Label6{ControlKind::Label},
        Label7{ControlKind::Label}, Label8{ControlKind::Label}, Label9{ControlKind::Label},
        Label10{ControlKind::Label}, Label11{ControlKind::Label}, Label12{ControlKind::Label},
        Label13{ControlKind::Label}, Label14{ControlKind::Label}, Label15{ControlKind::Label},
        Label16{ControlKind::Label}, Label17{ControlKind::Label}, Label18{ControlKind::Label},
        Label19{ControlKind::Label}, Label20{ControlKind::Label}, Label21{ControlKind::Label};
    Control Frame1{ControlKind::Frame}, Frame2{ControlKind::Frame}, Frame3{ControlKind::Frame},
        Frame4{ControlKind::Frame}, Frame5{ControlKind::Frame}, Frame6{ControlKind::Frame};

    CommandButton btnProgramConfig, btnDefaultConfig;
    ComboBox CmbCOM, CmbRS232BaudRate, CmbCANBaudRate;
    ComboBox cmbCANtrFrmType, cmbCANRecFrmType, cmbInputFrmType, cmbOutputFrmType;
    CheckBox ChkRS232RecID, ChkRS232TrID, chkOutputProtection;
    OptionButton optCANTrImme1byte, optCANTrMultiByte, optInputPeriodTr, optInputChangeTr;
    TextBox txtCANTrID1[4], txtCANMask1[4], txtCANFilter1[4], txtCANFilter2[4], txtInputID1[4],
        txtOutputID1[4];
    TextBox txtPeriodmsCount, txtOutputProtectValue;

    // Values the validation rules keep and the frame encoder reads.
    IdBytes CANTrID1Bytes{}, CANMask1Bytes{}, CANFilter1Bytes{}, CANFilter2Bytes{}, InputID1Bytes{},
        OutputID1Bytes{};
    std::int32_t PeriodmsCountValue = 0;
    ConfigFrame ConfigFrameBytes{};

    // Start-up and shutdown.
    void Form_Load();
    void Form_Unload();

    // Buttons and the port list.
    void btnProgramConfig_Click();
    void btnDefaultConfig_Click();
    void CmbCOM_Click();

    // Control-state rules.
    void cmbCANtrFrmType_Click();
    void cmbCANRecFrmType_Click();
    void cmbInputFrmType_Click();
    void cmbOutputFrmType_Click();
    void ChkRS232RecID_Click();
    void chkOutputProtection_Click();
    void optInputChangeTr_Click();
    void optInputPeriodTr_Click();

    // Identifier and numeric entry.
    void txtCANTrID1_Change(int index);
    void txtCANTrID1_LostFocus(int index);
    void txtCANMask1_Change(int index);
    void txtCANMask1_LostFocus(int index);
    void txtCANFilter1_Change(int index);
    void txtCANFilter1_LostFocus(int index);
    void txtCANFilter2_Change(int index);
    void txtCANFilter2_LostFocus(int index);
    void txtInputID1_Change(int index);
    void txtInputID1_LostFocus(int index);
    void txtOutputID1_Change(int index);
    void txtOutputID1_LostFocus(int index);
    void txtPeriodmsCount_Change();
    void txtOutputProtectValue_Change();

    // The settings record.
    void ApplySettings(const ConverterSettings& record);
    void CaptureSettings(ConverterSettings& record) const;
    const ConverterSettings& settings() const { return m_settingsSession.record(); }

    // Every control in tab order, for views and tests.
    const std::vector<Control*>& controls() const { return m_controls; }
    Control* findControl(const std::string& objectName) const;
    // The label an input is read with (screen readers, the command line's field names), or null.
    const Control* labelOf(const Control& input) const;

    // Dialog position in twips (top-left of the window), as start-up centres it.
    double left() const { return m_left; }
    double top() const { return m_top; }
    double width() const { return kClientWidth; }
    double height() const { return kClientHeight; }

    // The view tells the model when the window is on screen; only then can a box take the focus.
    void setShown(bool shown);
    bool shown() const { return m_shown; }
    // The user moved the focus (Tab, a click); raises LostFocus on the control that had it.
    void userMovedFocus(Control* to);

    // The locale's decimal separator, the only one the period count accepts.
    void setDecimalSeparator(std::string separator) { m_decimalSeparator = std::move(separator); }

    // True while a programming exchange waits for the converter.
    bool exchangeRunning() const { return m_programmingRun.running(); }
    // Set when the dialog is closing: a running exchange gives up without its message.
    void abandonExchange() { m_programmingRun.abandon(); }
    // Why the last opening of the port failed (code and the system's words); nullopt after a good opening.
    const std::optional<Error>& lastPortError() const { return m_portState.lastError(); }
    // The serial adapter closed the port on its own (device gone); the reason shows like a failed opening.
    void portClosedByFailure(const Error& failure);
    // How the last press of "Program Config" ended; NotRun while a press is still waiting.
    Verdict programVerdict() const { return m_programmingRun.verdict(); }
    std::string portDevice() const;

    // The values the frame encoder reads, taken from the controls now.
    FrameInputs frameInputs() const;
    // Checks the inputs and encodes them into ConfigFrameBytes, as "Program Config" sends it; the error
    // (InvalidArgument) is the "Input Data Error" message's text.
    Result<ConfigFrame> buildConfigFrame();

    // FocusHost
    bool requestFocus(Control& control) override;
    const Control* focusedControl() const override { return m_focused; }
    void focusedControlDisabled(Control& control) override;

    // Called after the port was opened, failed to open or closed itself, so the view can show its state
    // (tests hook in here too).
    std::function<void()> onPortStateChanged;

private:
    void buildControls();
    void wireHandlers();
    IdentifierRow row(IdRow which);
    void identifierChanged(IdRow which, int index);
    void identifierLostFocus(IdRow which, int index);

    void reduceToStandard(IdRow which);
    void twoWayFrameTypeRule(IdRow which);
    void enableInOrder(std::initializer_list<Control*> controls, bool enabled);

    void showPortFailure();
    void showStartupFailure(const std::string& text);
    void showMessage(std::string text, std::string title, MessageIcon icon = MessageIcon::None,
                     std::string field = {});

    DialogServices m_services;
    SettingsSession m_settingsSession;
    PortState m_portState;
    ProgrammingRun m_programmingRun;
    std::vector<Control*> m_controls;
    Control* m_focused = nullptr;
    bool m_shown = false;
    double m_left = 2760;
    double m_top = 3750;
    std::string m_decimalSeparator = ".";
};

}  // namespace veltara::core
