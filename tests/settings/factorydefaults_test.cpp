#include <gtest/gtest.h>

#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

class DefaultConfig : public ::testing::Test {
protected:
    TempDir dir;
    ScopedCurrentDirectory cwd{dir.path()};
};

TEST_F(DefaultConfig, PutsTheFactoryValuesIntoTheControlsAndTheFrame) {
    // Saved: COM3, extended receive type with the largest extended mask 1F FF FF FF, and more.
    writeBytes(dir / "quorvel.ini", slotBytes(savedRecord()));
    HeadlessSession s;
    s.start();
    ASSERT_TRUE(s.messages.shown.empty());
    const std::size_t portOperations = s.serial.log.size();

    s.dialog.btnDefaultConfig.click();
    EXPECT_TRUE(s.messages.shown.empty());
    const Dialog& d = s.dialog;
    EXPECT_EQ(d.CmbCOM.text(), "COM3");
    EXPECT_TRUE(s.serial.open);
    EXPECT_EQ(s.serial.log.size(), portOperations);
    EXPECT_EQ(d.CmbRS232BaudRate.text(), "9600");
    EXPECT_EQ(d.CmbCANBaudRate.text(), "250K");
    for (const ComboBox* type :
         {&d.cmbCANtrFrmType, &d.cmbCANRecFrmType, &d.cmbInputFrmType, &d.cmbOutputFrmType}) {
        EXPECT_EQ(type->text(), "Standard") << type->name();
    }
    EXPECT_EQ(d.chkOutputProtection.value(), 0);
    EXPECT_EQ(d.ChkRS232RecID.value(), 0);
    EXPECT_EQ(d.ChkRS232TrID.value(), 0);
    EXPECT_TRUE(d.optCANTrImme1byte.value());
    EXPECT_FALSE(d.optCANTrMultiByte.value());
    EXPECT_TRUE(d.optInputChangeTr.value());
    EXPECT_FALSE(d.optInputPeriodTr.value());
    EXPECT_EQ(rowTexts(d.txtCANTrID1), (Texts{"22", "03", "00", "00"}));
    EXPECT_EQ(rowTexts(d.txtCANMask1), (Texts{"ff", "07", "00", "00"}));
    EXPECT_EQ(rowTexts(d.txtCANFilter1), (Texts{"33", "03", "00", "00"}));
    EXPECT_EQ(rowTexts(d.txtCANFilter2), (Texts{"33  ", "03  ", "00  ", "00  "}));
    EXPECT_EQ(rowTexts(d.txtInputID1), (Texts{"22", "07", "00", "00"}));
    EXPECT_EQ(rowTexts(d.txtOutputID1), (Texts{"22  ", "05  ", "00  ", "00  "}));
    EXPECT_EQ(d.txtPeriodmsCount.text(), "300     ");
    EXPECT_EQ(d.txtOutputProtectValue.text(), "00  ");
    EXPECT_EQ(d.CANMask1Bytes, (IdBytes{0xFF, 0x07, 0, 0}));
    EXPECT_EQ(d.PeriodmsCountValue, 300);

    EXPECT_EQ(s.programFrame(), factoryFrame());
    EXPECT_EQ(d.ConfigFrameBytes[32], 0xED);
}

TEST_F(DefaultConfig, TwiceInARowIsTheSameAsOnce) {
    HeadlessSession s;
    s.start();
    s.dialog.btnDefaultConfig.click();
    const auto once = visibleState(s.dialog);
    const auto firstFrame = s.programFrame();
    s.messages.clear();
    s.dialog.btnDefaultConfig.click();
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(visibleState(s.dialog), once);
    EXPECT_EQ(s.programFrame(), firstFrame);
    EXPECT_EQ(firstFrame, factoryFrame());
}

TEST_F(DefaultConfig, FactoryTextsAreSavedAsShownAndGiveTheSameFrameNextTime) {
    {
        HeadlessSession s;
        s.start();
        s.dialog.btnDefaultConfig.click();
        s.close();
    }
    const auto bytes = readBytes(dir / "quorvel.ini");
    ASSERT_EQ(bytes.size(), 246u);
    EXPECT_EQ(std::string(bytes.begin() + 46, bytes.begin() + 50), "ff  ");
    EXPECT_EQ(std::string(bytes.begin() + 78, bytes.begin() + 94), "33  03  00  00  ");
    EXPECT_EQ(std::string(bytes.begin() + 126, bytes.begin() + 138), "300     00  ");
    HeadlessSession s;
    s.start();
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(s.programFrame(), factoryFrame());
}

}  // namespace
}  // namespace veltara::test
