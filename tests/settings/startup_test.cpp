#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "session.h"
#include "startupstate.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Each scenario runs as the program would: in a fresh current directory with a bare file name.
class Startup : public ::testing::Test {
protected:
    TempDir dir;
    ScopedCurrentDirectory cwd{dir.path()};
    fs::path file() const { return dir / "quorvel.ini"; }
    std::string fileName() const { return (fs::current_path() / "quorvel.ini").string(); }

    // The visible state after a clean start from the given file content, in a directory of its own.
    static std::map<std::string, std::string> stateStartedFrom(const Bytes& content) {
        TempDir other;
        ScopedCurrentDirectory there(other.path());
        writeBytes(other / "quorvel.ini", content);
        HeadlessSession s;
        s.start();
        EXPECT_TRUE(s.messages.shown.empty());
        return visibleState(s.dialog);
    }
};

TEST_F(Startup, FirstStartWithoutAFileShowsTheStartupDefaultsAndSavesThem) {
    HeadlessSession s;
    s.start();
    EXPECT_TRUE(s.messages.shown.empty());
    const Dialog& d = s.dialog;
    std::map<std::string, const Control*, std::less<>> byName;
    for (const Control* c : d.controls()) {
        byName[c->objectName()] = c;
    }
    for (const StartupControl& expected : kStartupState) {
        const auto found = byName.find(expected.name);
        ASSERT_NE(found, byName.end()) << expected.name;
        const Control& c = *found->second;
        std::string text;
        bool checked = false;
        switch (c.kind()) {
            case ControlKind::ComboBox:
                text = static_cast<const ComboBox&>(c).text();
                break;
            case ControlKind::TextBox:
                text = static_cast<const TextBox&>(c).text();
                break;
            case ControlKind::CheckBox:
                checked = static_cast<const CheckBox&>(c).value() != 0;
                break;
            case ControlKind::OptionButton:
                checked = static_cast<const OptionButton&>(c).value();
                break;
            default:
                break;
        }
        EXPECT_EQ(text, expected.text) << expected.name;
        EXPECT_EQ(checked, expected.checked) << expected.name;
        EXPECT_EQ(c.enabled(), expected.enabled) << expected.name;
        byName.erase(found);
    }
    for (const auto& [name, c] : byName) {
        const ControlKind kind = c->kind();
        EXPECT_TRUE(kind == ControlKind::Label || kind == ControlKind::Frame ||
                    kind == ControlKind::CommandButton)
            << name << " holds a setting the start-up table leaves out";
    }
    EXPECT_EQ(d.CANMask1Bytes, (IdBytes{0xFF, 0x07, 0, 0}));
    EXPECT_EQ(d.PeriodmsCountValue, 300);
    // Created empty at start-up; the port is open on COM1 at 9600 8N1.
    EXPECT_EQ(fs::file_size(file()), 0u);
    EXPECT_TRUE(s.serial.open);
    EXPECT_EQ(s.serial.commPort, 1);
    EXPECT_EQ(s.serial.settings, "9600,N,8,1");

    s.close();
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_FALSE(s.serial.open);
    const Bytes bytes = readBytes(file());
    ASSERT_EQ(bytes.size(), 246u);
    EXPECT_EQ(Bytes(bytes.begin() + 22, bytes.begin() + 30), (Bytes{0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(std::string(bytes.begin() + 30, bytes.begin() + 46), "22  03  00  00  ");
    EXPECT_EQ(std::string(bytes.begin() + 126, bytes.begin() + 138), "300     00  ");
}

TEST_F(Startup, CentresTheDialogOnTheScreen) {
    struct Case {
        double width, height, left, top;
    };
    const Case cases[] = {{.width = 28800, .height = 16200, .left = 8550, .top = 3630},
                          {.width = 20491, .height = 12001, .left = 4395.5, .top = 1530.5},
                          {.width = 9000, .height = 6000, .left = -1350, .top = -1470}};
    for (const auto& c : cases) {
        HeadlessSession s;
        s.screen.width = c.width;
        s.screen.height = c.height;
        s.start();
        EXPECT_DOUBLE_EQ(s.dialog.left(), c.left) << c.width;
        EXPECT_DOUBLE_EQ(s.dialog.top(), c.top) << c.height;
    }
}

TEST_F(Startup, SavedSettingsAreRestoredAndSavedBackUnchanged) {
    ConverterSettings saved = savedRecord();
    saved.Reserved = 0x1234;
    const Bytes original = slotBytes(saved);
    writeBytes(file(), original);
    for (int run = 0; run < 3; ++run) {
        HeadlessSession s;
        s.start();
        EXPECT_TRUE(s.messages.shown.empty());
        const Dialog& d = s.dialog;
        EXPECT_EQ(d.CmbCOM.text(), "COM3");
        EXPECT_EQ(d.CmbRS232BaudRate.text(), "115200");
        EXPECT_EQ(d.CmbCANBaudRate.text(), "1000K");
        EXPECT_EQ(d.cmbCANtrFrmType.text(), "Extended");
        EXPECT_EQ(d.cmbCANRecFrmType.text(), "Extended");
        EXPECT_EQ(d.cmbInputFrmType.text(), "Extended");
        EXPECT_EQ(d.cmbOutputFrmType.text(), "Standard");
        EXPECT_EQ(d.chkOutputProtection.value(), 1);
        EXPECT_EQ(d.ChkRS232RecID.value(), 0);
        EXPECT_EQ(d.ChkRS232TrID.value(), 1);
        EXPECT_TRUE(d.optCANTrMultiByte.value());
        EXPECT_FALSE(d.optCANTrImme1byte.value());
        EXPECT_TRUE(d.optInputPeriodTr.value());
        EXPECT_FALSE(d.optInputChangeTr.value());
        EXPECT_EQ(rowTexts(d.txtCANTrID1), (Texts{"12", "34", "56", "1F"}));
        EXPECT_EQ(rowTexts(d.txtCANFilter2), (Texts{"A0", "B0", "C0", "0D"}));
        EXPECT_EQ(d.txtPeriodmsCount.text(), "1234    ");
        EXPECT_EQ(d.txtOutputProtectValue.text(), "5A  ");
        EXPECT_TRUE(d.txtPeriodmsCount.enabled());
        EXPECT_TRUE(d.txtOutputProtectValue.enabled());
        EXPECT_TRUE(s.serial.open);
        EXPECT_EQ(s.serial.commPort, 3);
        s.close();
        ASSERT_EQ(readBytes(file()), original) << "run " << run;
    }
}

TEST_F(Startup, BytesBeyondTheRecordAndTheFillerAreKept) {
    Bytes content(500);
    for (std::size_t i = 138; i < content.size(); ++i) {
        content[i] = static_cast<std::uint8_t>(i * 7);
    }
    content[2] = 0x34;
    content[3] = 0x12;
    writeBytes(file(), content);
    for (int run = 0; run < 2; ++run) {
        HeadlessSession s;
        s.start();
        s.close();
        EXPECT_TRUE(s.messages.shown.empty());
    }
    const Bytes after = readBytes(file());
    ASSERT_EQ(after.size(), 500u);
    EXPECT_EQ(Bytes(after.begin() + 138, after.end()), Bytes(content.begin() + 138, content.end()));
    EXPECT_EQ(after[2], 0x34);
    EXPECT_EQ(after[3], 0x12);
    EXPECT_EQ(Bytes(after.begin() + 22, after.begin() + 30), (Bytes{0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0}));
}

TEST_F(Startup, AZeroByteEndsAStoredText) {
    Bytes content = slotBytes(savedRecord());
    for (std::size_t offset :
         {std::size_t{62}, std::size_t{134}}) {  // CANFilter1 element 0, protection value
        content[offset] = 'A';
        content[offset + 1] = 'B';
        content[offset + 2] = 0;
        content[offset + 3] = 0;
    }
    writeBytes(file(), content);
    HeadlessSession s;
    s.start();
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(s.dialog.txtOutputProtectValue.text(), "AB");
    EXPECT_EQ(s.dialog.txtCANFilter1[0].text(), "AB");
    EXPECT_EQ(s.dialog.CANFilter1Bytes[0], 0xAB);
    EXPECT_EQ(s.dialog.ConfigFrameBytes[27], 0xAB);
    s.close();
    const Bytes after = readBytes(file());
    EXPECT_EQ(std::string(after.begin() + 134, after.begin() + 138), "AB  ");
}

TEST_F(Startup, CheckedReceiveIdKeepsTheTransmitGroupDisabled) {
    // With an extended transmit type the frame-type rule enables boxes 2 and 3 again after the
    // check box's rule; start-up must disable the group once more.
    for (const std::int16_t transmitType : {std::int16_t{0}, std::int16_t{1}}) {
        ConverterSettings saved = savedRecord();
        saved.RS232RecID = 1;
        saved.CANtrFrmType = transmitType;
        saved.CANTrID1[1].store("05");  // valid for both frame types
        saved.CANTrID1[2].store("00");
        saved.CANTrID1[3].store("00");
        writeBytes(file(), slotBytes(saved));
        HeadlessSession s;
        s.start();
        EXPECT_TRUE(s.messages.shown.empty());
        const Dialog& d = s.dialog;
        const Control* group[] = {&d.cmbCANtrFrmType,
                                  &d.txtCANTrID1[0],
                                  &d.txtCANTrID1[1],
                                  &d.txtCANTrID1[2],
                                  &d.txtCANTrID1[3],
                                  &d.optCANTrImme1byte,
                                  &d.optCANTrMultiByte,
                                  &d.Label5,
                                  &d.Label6,
                                  &d.Label7};
        for (const Control* c : group) {
            EXPECT_FALSE(c->enabled()) << c->objectName() << " with transmit type " << transmitType;
        }
        EXPECT_TRUE(d.Frame5.enabled());
    }
}

TEST_F(Startup, AStoredValueThatAControlRefusesFailsAloneAndSaysSo) {
    const std::map<std::string, std::string> full = stateStartedFrom(slotBytes(savedRecord()));
    struct Case {
        const char* field;
        std::int16_t ConverterSettings::*member;
        std::int16_t value;
        const char* control;
        const char* ownValue;  // what the control keeps: its design value
    };
    const Case cases[] = {{.field = "COM",
                           .member = &ConverterSettings::COM,
                           .value = 12,
                           .control = "CmbCOM",
                           .ownValue = "-1"},
                          {.field = "COM",
                           .member = &ConverterSettings::COM,
                           .value = -2,
                           .control = "CmbCOM",
                           .ownValue = "-1"},
                          {.field = "RS232BaudRate",
                           .member = &ConverterSettings::RS232BaudRate,
                           .value = 9,
                           .control = "CmbRS232BaudRate",
                           .ownValue = "-1"},
                          {.field = "CANBaudRate",
                           .member = &ConverterSettings::CANBaudRate,
                           .value = 8,
                           .control = "CmbCANBaudRate",
                           .ownValue = "-1"},
                          {.field = "CANRecFrmType",
                           .member = &ConverterSettings::CANRecFrmType,
                           .value = 3,
                           .control = "cmbCANRecFrmType",
                           .ownValue = "-1"},
                          {.field = "OutputFrmType",
                           .member = &ConverterSettings::OutputFrmType,
                           .value = -5,
                           .control = "cmbOutputFrmType",
                           .ownValue = "-1"},
                          {.field = "OutputProtection",
                           .member = &ConverterSettings::OutputProtection,
                           .value = 3,
                           .control = "chkOutputProtection",
                           .ownValue = "0"},
                          {.field = "RS232RecID",
                           .member = &ConverterSettings::RS232RecID,
                           .value = -1,
                           .control = "ChkRS232RecID",
                           .ownValue = "0"},
                          {.field = "RS232TrID",
                           .member = &ConverterSettings::RS232TrID,
                           .value = 7,
                           .control = "ChkRS232TrID",
                           .ownValue = "1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + std::to_string(c.value));
        ConverterSettings saved = savedRecord();
        saved.*c.member = c.value;
        writeBytes(file(), slotBytes(saved));
        HeadlessSession s;
        s.start();

        ASSERT_GE(s.messages.shown.size(), 1u);
        const Message& refusal = s.messages.shown[0];
        EXPECT_EQ(refusal.title, "Veltara");
        EXPECT_TRUE(contains(refusal.text, c.field)) << refusal.text;
        EXPECT_TRUE(contains(refusal.text, std::to_string(c.value))) << refusal.text;
        EXPECT_TRUE(contains(refusal.text, "keeps its own value")) << refusal.text;
        // With nothing selected in the port list, the final opening has no valid port number,
        // which the serial control refuses once.
        const bool noPort = std::string(c.control) == "CmbCOM";
        ASSERT_EQ(s.messages.shown.size(), noPort ? 2u : 1u);
        if (noPort) {
            EXPECT_EQ(s.messages.shown[1].text, Dialog::kPortFailure);
        }

        std::map<std::string, std::string> expected = full;
        expected[c.control] = c.ownValue;
        EXPECT_EQ(visibleState(s.dialog), expected);
    }
}

TEST_F(Startup, AMissingPortGivesTwoMessagesAndTheDialogWithAllSettings) {
    writeBytes(file(), slotBytes(savedRecord()));  // COM3
    const auto full = stateStartedFrom(slotBytes(savedRecord()));
    HeadlessSession s({1, 2});
    s.start();
    ASSERT_EQ(s.messages.shown.size(), 2u);
    for (const Message& m : s.messages.shown) {
        EXPECT_EQ(m.text, "Com Port fails to open, try another com port");
        EXPECT_EQ(m.title, "Veltara");
        EXPECT_EQ(m.icon, MessageIcon::None);
    }
    EXPECT_EQ(visibleState(s.dialog), full);
    EXPECT_FALSE(s.serial.open);
    s.close();
    EXPECT_EQ(s.messages.shown.size(), 2u);
    EXPECT_EQ(readBytes(file()), slotBytes(savedRecord()));
}

// Forwards to the real file and lets a test look at the world at the moment of writing.
class WatchedFile final : public SettingsFile {
public:
    WatchedFile(SettingsFile& inner, std::function<void()> onWrite)
        : m_inner(inner), m_onWrite(std::move(onWrite)) {}
    Status open() override { return m_inner.open(); }
    Result<std::vector<std::uint8_t>> read(std::size_t maxBytes) override { return m_inner.read(maxBytes); }
    Status write(std::span<const std::uint8_t> bytes) override {
        m_onWrite();
        return m_inner.write(bytes);
    }
    Status close() override { return m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    std::string readOnlyReason() const override { return m_inner.readOnlyReason(); }
    std::string displayName() const override { return m_inner.displayName(); }

private:
    SettingsFile& m_inner;
    std::function<void()> m_onWrite;
};

TEST_F(Startup, ClosingClosesThePortBeforeTheSettingsAreWritten) {
    platform::RecordFile real("quorvel.ini");
    int writes = 0;
    bool portOpenAtWrite = true;
    const FakeSerialControl* serial = nullptr;
    WatchedFile file(real, [&] {
        ++writes;
        portOpenAtWrite = serial->open;
    });
    DialogFixture f({.file = &file});
    serial = &f.serial;
    f.dialog.Form_Load();
    ASSERT_TRUE(f.serial.open);
    f.dialog.Form_Unload();
    EXPECT_EQ(writes, 1);
    EXPECT_FALSE(portOpenAtWrite);
    EXPECT_FALSE(real.isOpen());
}

TEST(Shutdown, ASaveThatFailsIsSaidOnce) {
    struct Case {
        const char* name;
        bool writeFails;
        bool closeFails;
        Texts said;
    };
    const Case cases[] = {
        {.name = "saved", .writeFails = false, .closeFails = false, .said = {}},
        {.name = "write fails", .writeFails = true, .closeFails = false, .said = {"cannot be written"}},
        {.name = "close fails", .writeFails = false, .closeFails = true, .said = {"could not be closed"}},
        {.name = "both fail", .writeFails = true, .closeFails = true, .said = {"cannot be written"}}};
    for (const Case& c : cases) {
        DialogFixture f;
        f.start();
        if (c.writeFails) {
            f.file.writeError = Error{ErrorCode::Io, "Input/output error"};
        }
        if (c.closeFails) {
            f.file.closeError = Error{ErrorCode::Io, "Input/output error"};
        }
        f.dialog.Form_Unload();
        ASSERT_EQ(f.messages.shown.size(), c.said.size()) << c.name;
        for (std::size_t i = 0; i < c.said.size(); ++i) {
            EXPECT_TRUE(contains(f.messages.shown[i].text, c.said[i]))
                << c.name << ": " << f.messages.shown[i].text;
        }
    }
}

TEST_F(Startup, ADirectoryInPlaceOfTheFileIsReportedAndLeftAlone) {
    fs::create_directory(file());
    writeBytes(file() / "keep.txt", {'k', 'e', 'e', 'p'});
    HeadlessSession s;
    s.start();
    ASSERT_EQ(s.messages.shown.size(), 2u);
    EXPECT_TRUE(contains(s.messages.shown[0].text, fileName()));
    EXPECT_TRUE(contains(s.messages.shown[0].text, "cannot be opened: it is a directory"));
    EXPECT_TRUE(contains(s.messages.shown[1].text, fileName()));
    EXPECT_TRUE(contains(s.messages.shown[1].text, "cannot be read"));
    EXPECT_EQ(s.dialog.CmbCOM.text(), "COM1");
    EXPECT_EQ(s.dialog.txtPeriodmsCount.text(), "300     ");
    EXPECT_TRUE(s.serial.open);

    s.messages.clear();
    s.close();
    ASSERT_EQ(s.messages.shown.size(), 1u);
    const std::string& text = s.messages.shown[0].text;
    EXPECT_TRUE(contains(text, "were not saved")) << text;
    EXPECT_TRUE(contains(text, fileName())) << text;
    EXPECT_TRUE(contains(text, "directory")) << text;
    EXPECT_EQ(s.messages.shown[0].title, "Veltara");
    EXPECT_TRUE(fs::is_directory(file()));
    EXPECT_EQ(readBytes(file() / "keep.txt"), (Bytes{'k', 'e', 'e', 'p'}));
}

// A record that start-up could not read is never replaced by the start-up defaults: COM, Reserved and the
// bytes after the record stay as the file holds them, and shutdown says why nothing was saved.
TEST_F(Startup, ARecordThatCouldNotBeReadIsNotOverwritten) {
    Bytes held = slotBytes(savedRecord());
    held.resize(300, 0xA5);
    struct Case {
        std::optional<Error> openError, readError;
        const char* unload;  // the reason shutdown gives
    };
    const Case cases[] = {
        {{},
         Error{ErrorCode::Io, "Input/output error"},
         "could not be read at start-up (Input/output error)"},
        {Error{ErrorCode::PermissionDenied, "Permission denied"},
         {},
         "could not be opened (Permission denied)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unload);
        DialogFixture f;
        f.file.bytes = held;
        f.file.openError = c.openError;
        f.file.readError = c.readError;
        f.dialog.Form_Load();
        EXPECT_TRUE(contains(f.messages.texts().back(), "cannot be read")) << f.messages.texts().back();
        EXPECT_EQ(f.dialog.CmbCOM.text(), "COM1");
        f.messages.clear();
        f.dialog.txtPeriodmsCount.setText("77");
        f.dialog.Form_Unload();
        ASSERT_EQ(f.messages.texts().size(), 1u);
        EXPECT_EQ(f.messages.texts()[0].rfind("The settings were not saved", 0), 0u);
        EXPECT_TRUE(contains(f.messages.texts()[0], c.unload)) << f.messages.texts()[0];
        EXPECT_EQ(f.file.bytes, held);
        EXPECT_FALSE(f.file.isOpen());
    }
}

TEST_F(Startup, EachCurrentDirectoryHasItsOwnFile) {
    writeBytes(file(), slotBytes(savedRecord()));
    TempDir other;
    {
        ScopedCurrentDirectory there(other.path());
        HeadlessSession s;
        s.start();
        EXPECT_EQ(s.dialog.CmbCOM.text(), "COM1");
        s.close();
    }
    EXPECT_EQ(readBytes(other / "quorvel.ini").size(), 246u);
    EXPECT_EQ(readBytes(file()), slotBytes(savedRecord()));
    HeadlessSession s;
    s.start();
    EXPECT_EQ(s.dialog.CmbCOM.text(), "COM3");
}

TEST_F(Startup, AFileCutAtAnyLengthStartsAndIsWrittenBackWhole) {
    SettingsFiller filler;
    filler.fill(0x5C);
    ConverterSettings saved = savedRecord();
    saved.Reserved = 0x1234;
    const Bytes reference = slotBytes(saved, filler);
    const auto full = stateStartedFrom(reference);
    for (std::size_t length = 0; length <= kSettingsSlotSize; ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        writeBytes(file(), Bytes(reference.begin(), reference.begin() + static_cast<long>(length)));
        HeadlessSession s;
        s.start();
        // Up to the transmit-mode flags the record is blank and the defaults apply quietly; from
        // there until the texts are complete, the empty texts are corrected by their boxes.
        if (length <= 24 || length >= 138) {
            ASSERT_TRUE(s.messages.shown.empty()) << s.messages.shown[0].text;
        }
        for (const Message& m : s.messages.shown) {
            ASSERT_EQ(m.title, "Input Data Error") << m.text;
        }
        if (length >= 138) {
            ASSERT_EQ(visibleState(s.dialog), full);
        }
        s.close();
        const Bytes after = readBytes(file());
        ASSERT_EQ(after.size(), kSettingsSlotSize);
        ASSERT_EQ(decodeSettingsRecord(after), s.dialog.settings());
        for (std::size_t i = 138; i < kSettingsSlotSize; ++i) {
            ASSERT_EQ(after[i], i < length ? 0x5C : 0) << "filler byte " << i;
        }
        if (length >= 4) {
            ASSERT_EQ(s.dialog.settings().Reserved, 0x1234);
        }
    }
}

}  // namespace
}  // namespace veltara::test
