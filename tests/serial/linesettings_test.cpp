#include "serial/linesettings.h"

#include <gtest/gtest.h>

namespace veltara::qt {
namespace {

TEST(LineSettings, ReadsEveryField) {
    struct Case {
        const char* text;
        LineSettings expected;
    };
    const Case cases[] = {
        {"9600,N,8,1", {9600, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop}},
        {"19200,e,7,2", {19200, QSerialPort::EvenParity, QSerialPort::Data7, QSerialPort::TwoStop}},
        {"1200,O,5,1.5", {1200, QSerialPort::OddParity, QSerialPort::Data5, QSerialPort::OneAndHalfStop}},
        {"115200,M,6,1", {115200, QSerialPort::MarkParity, QSerialPort::Data6, QSerialPort::OneStop}},
        {"300,s,8,2", {300, QSerialPort::SpaceParity, QSerialPort::Data8, QSerialPort::TwoStop}},
    };
    for (const Case& c : cases) {
        const core::Result<LineSettings> parsed = parseLineSettings(c.text);
        ASSERT_TRUE(parsed) << c.text << ": " << parsed.error().text;
        EXPECT_EQ(parsed.value(), c.expected) << c.text;
    }
}

TEST(LineSettings, RefusesAnythingMalformed) {
    const char* const cases[] = {
        "",
        "9600",
        "9600,N,8",
        "9600,N,8,1,",
        "9600,N,8,1,0",
        "9600,X,8,1",
        "9600,NN,8,1",
        "9600,N,9,1",
        "9600,N,4,1",
        "9600,N,8,3",
        "9600,N,8,1.0",
        "0,N,8,1",
        "-9600,N,8,1",
        "+9600,N,8,1",
        "96OO,N,8,1",
        " 9600,N,8,1",
        "9600, N,8,1",
        "9600,N,8,1 ",
        "99999999999,N,8,1",
        "4000001,N,8,1",
    };
    for (const char* text : cases) {
        const core::Result<LineSettings> parsed = parseLineSettings(text);
        ASSERT_FALSE(parsed) << '"' << text << '"';
        EXPECT_EQ(parsed.error().code, core::ErrorCode::InvalidArgument) << text;
        EXPECT_NE(parsed.error().text.find(text), std::string::npos) << parsed.error().text;
    }
}

}  // namespace
}  // namespace veltara::qt
