// The LON/IP frames and messages, against the datagrams observed on the wire with the test node.
#include <gtest/gtest.h>

#include "host/lon/LonFrame.h"
#include "host/lon/LonMessages.h"
#include "tests/lon/FakeLink.h"

using namespace host::lon;
using lontest::Hex;

namespace {

Bytes Request(std::uint8_t id, const Bytes& apdu) {
    return EncodeFrame({Service::Request, id, apdu});
}

std::vector<std::uint8_t> Value(std::optional<std::span<const std::uint8_t>> value) {
    return value ? Bytes(value->begin(), value->end()) : Bytes{0xEE};
}

}  // namespace

TEST(LonFrame, RequestsAndAnswersAsOnTheWire) {
    EXPECT_EQ(Request(1, NvFetchRequest(0)), Hex("00 11 01 73 00"));
    EXPECT_EQ(Request(2, NvFetchRequest(38)), Hex("00 11 02 73 26"));
    EXPECT_EQ(Request(4, UpdateNvByIndexRequest(1, Hex("1234"))),
              Hex("00 11 04 60 02 00 01 12 34"));
    EXPECT_EQ(Request(7, QueryVersionRequest()), Hex("00 11 07 60 01"));
    EXPECT_EQ(Request(9, QueryNvConfigRequest(1)), Hex("00 11 09 68 01"));
    EXPECT_EQ(Request(8, ReadProgramIdRequest()), Hex("00 11 08 6D 01 00 0D 08"));
    EXPECT_EQ(Request(12, SelfIdDataRequest(94, 32)), Hex("00 11 0C 72 00 5E 20"));
    EXPECT_EQ(
        EncodeFrame({Service::Acknowledged, 13, UpdateNvBySelectorMessage(0x3FFE, Hex("5678"))}),
        Hex("00 10 0D BF FE 56 78"));
    // From index 255 on, the escape and the 16-bit index.
    EXPECT_EQ(NvFetchRequest(255), Hex("73 FF 00 FF"));
    EXPECT_EQ(NvFetchRequest(300), Hex("73 FF 01 2C"));
    EXPECT_EQ(QueryNvConfigRequest(4000), Hex("68 FF 0F A0"));
    EXPECT_EQ(UpdateNvByIndexRequest(300, Hex("AB")), Hex("60 02 01 2C AB"));

    EXPECT_EQ(DecodeFrame(Hex("00 11 22 33 01 36 B0")),
              (Frame{Service::Response, 2, Hex("33 01 36 B0")}));
    EXPECT_EQ(DecodeFrame(Hex("00 10 2D")), (Frame{Service::Acknowledgement, 13, {}}));
    EXPECT_EQ(DecodeFrame(Hex("00 11 0F 73 01")), (Frame{Service::Request, 15, Hex("73 01")}));
    // Enhanced mode: 12-bit IDs, as the test node answers them.
    EXPECT_EQ(EncodeFrame({Service::Request, 300, Hex("73 01"), true}), Hex("10 11 01 2C 73 01"));
    EXPECT_EQ(DecodeFrame(Hex("10 11 21 2C 33 01 36 B0")),
              (Frame{Service::Response, 300, Hex("33 01 36 B0"), true}));
    EXPECT_EQ(DecodeFrame(Hex("10 10 2F FF")), (Frame{Service::Acknowledgement, 4095, {}, true}));
    // Other versions, address formats and kinds, and scraps are not ours.
    for (const char* other : {"20 11 21 2C 33 01 36 B0", "00 29 00 03 6D 01 00 0D 08",
                              "00 11 41 33 01", "00 12 21 33", "00 11", "10 11 21", ""}) {
        EXPECT_FALSE(DecodeFrame(Hex(other))) << other;
    }
}

TEST(LonMessages, AnswersAreMatchedAndTakenApart) {
    // A fetch answer names the variable; another variable's is not the answer.
    EXPECT_TRUE(Answers(NvFetchRequest(1), Hex("33 01 36 B0")));
    EXPECT_FALSE(Answers(NvFetchRequest(2), Hex("33 01 36 B0")));
    EXPECT_TRUE(Answers(NvFetchRequest(44), Hex("13")));
    EXPECT_TRUE(Answers(NvFetchRequest(1), Hex("33")));  // too short: the answer, a failure
    EXPECT_FALSE(Answers(NvFetchRequest(1), Hex("2D 90 51")));
    EXPECT_FALSE(Answers(ReadProgramIdRequest(), Hex("33 01 36 B0")));
    EXPECT_TRUE(Answers(UpdateNvByIndexRequest(1, Hex("12")), Hex("00 02")));

    EXPECT_EQ(Value(FetchedValue(1, Hex("33 01 36 B0"))), Hex("36 B0"));
    EXPECT_EQ(Value(FetchedValue(300, Hex("33 FF 01 2C 0B B8"))), Hex("0B B8"));
    EXPECT_EQ(Value(FetchedValue(300, Hex("33 FF 01 2C"))), Bytes{});
    EXPECT_FALSE(FetchedValue(1, Hex("13")));
    EXPECT_FALSE(FetchedValue(1, Hex("33")));
    EXPECT_FALSE(FetchedValue(300, Hex("33 FF 01")));
    EXPECT_FALSE(FetchedValue(2, Hex("33 01 36 B0")));

    EXPECT_EQ(UpdatesByIndex(Hex("20 01 02 06 51")), true);
    EXPECT_EQ(UpdatesByIndex(Hex("20 01 02 06 11")), false);
    EXPECT_FALSE(UpdatesByIndex(Hex("00 01")));
    EXPECT_FALSE(UpdatesByIndex(Hex("20 01 02 06")));
    EXPECT_TRUE(Updated(Hex("20 02")));
    EXPECT_TRUE(Updated(Hex("20")));
    EXPECT_FALSE(Updated(Hex("00 02")));

    const auto input = NvConfigOf(Hex("28 3F FE 0F"));
    ASSERT_TRUE(input);
    EXPECT_EQ(input->selector, 0x3FFE);
    EXPECT_FALSE(input->output);
    EXPECT_TRUE(NvConfigOf(Hex("28 7F D5 0F"))->output);
    EXPECT_EQ(NvConfigOf(Hex("28 7F D5 0F"))->selector, 0x3FD5);
    EXPECT_FALSE(NvConfigOf(Hex("08")));
    EXPECT_FALSE(NvConfigOf(Hex("28 3F FE")));

    EXPECT_EQ(ProgramIdOf(Hex("2D 90 51 4D 41 37 5F 31 6A")),
              (ProgramId{0x90, 0x51, 0x4D, 0x41, 0x37, 0x5F, 0x31, 0x6A}));
    EXPECT_FALSE(ProgramIdOf(Hex("2D 90 51 4D 41 37 5F 31")));
    EXPECT_FALSE(ProgramIdOf(Hex("0D")));
    EXPECT_EQ(Value(SelfIdDataOf(Hex("32 01 64 2C 01 00 00"))), Hex("01 64 2C 01 00 00"));
    EXPECT_FALSE(SelfIdDataOf(Hex("12")));
}
