#include "timeservice/ServiceProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hv::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A message spelled out byte by byte, as another program would write it.
Bytes Message(std::string header, std::string payload = {}) {
    header += payload;
    return Bytes(header.begin(), header.end());
}

Bytes Synchronise(const std::string& server) {
    return Message(std::string("HVTS\x01\x01", 6) + static_cast<char>(server.size()) + '\0', server);
}

TEST(ServiceRequestParser, TakesTheTwoRequestsItKnows) {
    struct Case {
        Bytes message;
        ServiceRequest expected;
    } cases[] = {
        {Synchronise("127.0.0.1"), {RequestType::Synchronise, "127.0.0.1"}},
        {Synchronise("Time-A-G.NIST.gov."), {RequestType::Synchronise, "time-a-g.nist.gov"}},
        {Message(std::string("HVTS\x01\x02\x00\x00", 8)), {RequestType::LastResult, ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("for " + c.expected.server);
        const ParsedRequest parsed = ParseRequest(c.message);
        ASSERT_TRUE(parsed.request) << RequestFaultText(parsed.fault);
        EXPECT_EQ(*parsed.request, c.expected);
    }
    EXPECT_EQ(EncodeRequest({RequestType::Synchronise, "127.0.0.1"}), Synchronise("127.0.0.1"));
}

TEST(ServiceRequestParser, RefusesEverythingElseWithItsReason) {
    Bytes tooLong = Synchronise("a.example");
    tooLong.resize(kMaxServiceMessageBytes + 1, 'a');
    struct Case {
        const char* what;
        Bytes message;
        RequestFault fault;
    } cases[] = {
        {"empty", {}, RequestFault::TooShort},
        {"half a header", Message("HVTS\x01"), RequestFault::TooShort},
        {"over the cap", tooLong, RequestFault::TooLong},
        // 512 bytes are read: it is the 504-byte name that is refused.
        {"at the cap", Message(std::string("HVTS\x01\x01\xF8\x01", 8), std::string(504, 'a')),
         RequestFault::BadServerName},
        {"another magic", Message(std::string("HVTX\x01\x02\x00\x00", 8)), RequestFault::BadMagic},
        {"version 2", Message(std::string("HVTS\x02\x02\x00\x00", 8)), RequestFault::UnknownVersion},
        {"version 0", Message(std::string("HVTS\x00\x02\x00\x00", 8)), RequestFault::UnknownVersion},
        {"type 3", Message(std::string("HVTS\x01\x03\x00\x00", 8)), RequestFault::UnknownType},
        {"a reply's type", Message(std::string("HVTS\x01\x81\x00\x00", 8)), RequestFault::UnknownType},
        {"length says more", Message(std::string("HVTS\x01\x01\x0A\x00", 8), "127.0.0.1"), RequestFault::LengthMismatch},
        {"length says less", Message(std::string("HVTS\x01\x01\x08\x00", 8), "127.0.0.1"), RequestFault::LengthMismatch},
        {"length in the high byte", Message(std::string("HVTS\x01\x01\x00\x01", 8), "x"), RequestFault::LengthMismatch},
        // The name itself is checked as every server name is (ServerName); here only that it is.
        {"no server", Synchronise(""), RequestFault::BadServerName},
        {"a zero byte", Synchronise(std::string("time\0.example", 13)), RequestFault::BadServerName},
        {"a payload on LastResult", Message(std::string("HVTS\x01\x02\x01\x00", 8), "x"), RequestFault::BadServerName},
    };
    for (const Case& c : cases) {
        const ParsedRequest parsed = ParseRequest(c.message);
        EXPECT_FALSE(parsed.request) << c.what;
        EXPECT_EQ(parsed.fault, c.fault) << c.what;
    }
    EXPECT_TRUE(EncodeRequest({RequestType::Synchronise, "bad name"}).empty());
}

TEST(ServiceReplyParser, ReadsWhatTheServiceWrites) {
    // Status 1, no fault, delay 20 ms, offset -1.234 s, then the server's name.
    const Bytes written = Message(std::string("HVTS\x01\x81\x23\x00", 8),
                                  std::string("\x01\x00"
                                              "\x20\x4E\x00\x00\x00\x00\x00\x00"
                                              "\xB0\x2B\xED\xFF\xFF\xFF\xFF\xFF"
                                              "\x00\x00\x00\x00"
                                              "\x00\x00\x00\x00",
                                              26) +
                                      "127.0.0.1");
    const ServiceReply expected{
        .status = ServiceStatus::Adjusted, .delayMicros = 20'000, .offsetMicros = -1'234'000, .server = "127.0.0.1"};
    EXPECT_EQ(EncodeReply(expected), written);
    EXPECT_EQ(ParseReply(written), expected);

    const ServiceReply refusal{.status = ServiceStatus::TooSoon, .retryAfterSeconds = 42, .server = ""};
    EXPECT_EQ(ParseReply(EncodeReply(refusal)), refusal);

    // Status 11, the last there is: no result yet, and no server.
    const Bytes noResult = Message(std::string("HVTS\x01\x81\x1A\x00", 8), std::string("\x0B") + std::string(25, '\0'));
    EXPECT_EQ(ParseReply(noResult), (ServiceReply{.status = ServiceStatus::NoResult, .server = ""}));
}

TEST(ServiceReplyParser, RefusesWhatNoServiceWouldWrite) {
    const Bytes good = EncodeReply({.status = ServiceStatus::Measured, .server = "time.example"});
    auto broken = [&](std::size_t at, std::uint8_t value) {
        Bytes copy = good;
        copy[at] = value;
        return copy;
    };
    Bytes truncated = good;
    truncated.resize(kServiceHeaderBytes + 20);
    truncated[6] = 20;
    const Bytes cases[] = {
        broken(5, 0x01),                      // a request's type
        broken(kServiceHeaderBytes, 0),       // status 0
        broken(kServiceHeaderBytes, 12),      // a status after the last
        broken(kServiceHeaderBytes + 1, 9),   // a fault after the last
        broken(good.size() - 1, 'E'),         // a name not in normal form
        broken(good.size() - 1, '/'),         // no name at all
        truncated,                            // the fixed part cut short
        Bytes(good.begin(), good.end() - 1),  // shorter than its header says
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_FALSE(ParseReply(cases[i])) << "case " << i;
}

} // namespace
} // namespace hv::testing
