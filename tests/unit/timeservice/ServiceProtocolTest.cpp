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

TEST(ServiceRequestParser, TakesTheTwoRequestsItKnowsAndRefusesEverythingElseWithItsReason) {
    Bytes tooLong = Synchronise("a.example");
    tooLong.resize(kMaxServiceMessageBytes + 1, 'a');
    const std::optional<ServiceRequest> refused;
    const struct {
        const char* what;
        Bytes bytes;
        RequestFault fault;
        std::optional<ServiceRequest> taken;
    } cases[] = {
        {"an address", Synchronise("127.0.0.1"), RequestFault::None,
         ServiceRequest{RequestType::Synchronise, "127.0.0.1"}},
        {"a name", Synchronise("Time-A-G.NIST.gov."), RequestFault::None,
         ServiceRequest{RequestType::Synchronise, "time-a-g.nist.gov"}},
        {"last result", Message(std::string("HVTS\x01\x02\x00\x00", 8)), RequestFault::None, ServiceRequest{}},
        {"empty", {}, RequestFault::TooShort, refused},
        {"half a header", Message("HVTS\x01"), RequestFault::TooShort, refused},
        {"over the cap", tooLong, RequestFault::TooLong, refused},
        // 512 bytes are read: it is the 504-byte name that is refused.
        {"at the cap", Message(std::string("HVTS\x01\x01\xF8\x01", 8), std::string(504, 'a')),
         RequestFault::BadServerName, refused},
        {"another magic", Message(std::string("HVTX\x01\x02\x00\x00", 8)), RequestFault::BadMagic, refused},
        {"version 2", Message(std::string("HVTS\x02\x02\x00\x00", 8)), RequestFault::UnknownVersion, refused},
        {"version 0", Message(std::string("HVTS\x00\x02\x00\x00", 8)), RequestFault::UnknownVersion, refused},
        {"type 3", Message(std::string("HVTS\x01\x03\x00\x00", 8)), RequestFault::UnknownType, refused},
        {"a reply's type", Message(std::string("HVTS\x01\x81\x00\x00", 8)), RequestFault::UnknownType, refused},
        {"length says more", Message(std::string("HVTS\x01\x01\x0A\x00", 8), "127.0.0.1"), RequestFault::LengthMismatch,
         refused},
        {"length says less", Message(std::string("HVTS\x01\x01\x08\x00", 8), "127.0.0.1"), RequestFault::LengthMismatch,
         refused},
        {"length in the high byte", Message(std::string("HVTS\x01\x01\x00\x01", 8), "x"), RequestFault::LengthMismatch,
         refused},
        // The name itself is checked as every server name is (ServerName); here only that it is.
        {"no server", Synchronise(""), RequestFault::BadServerName, refused},
        {"a zero byte", Synchronise(std::string("time\0.example", 13)), RequestFault::BadServerName, refused},
        {"a payload on LastResult", Message(std::string("HVTS\x01\x02\x01\x00", 8), "x"), RequestFault::BadServerName,
         refused},
    };
    for (const auto& c : cases) {
        const ParsedRequest parsed = ParseRequest(c.bytes);
        EXPECT_EQ(parsed.request, c.taken) << c.what;
        EXPECT_EQ(parsed.fault, c.fault) << c.what;
    }
    EXPECT_EQ(EncodeRequest({RequestType::Synchronise, "127.0.0.1"}), Synchronise("127.0.0.1"));
    EXPECT_TRUE(EncodeRequest({RequestType::Synchronise, "bad name"}).empty());
}

TEST(ServiceReplyParser, ReadsWhatTheServiceWrites) {
    // Status 1, no fault, delay 20 ms, offset -1.234 s, best of 4, then the server's name.
    const Bytes written = Message(std::string("HVTS\x01\x81\x24\x00", 8), std::string("\x01\x00"
                                                                                      "\x20\x4E\x00\x00\x00\x00\x00\x00"
                                                                                      "\xB0\x2B\xED\xFF\xFF\xFF\xFF\xFF"
                                                                                      "\x00\x00\x00\x00"
                                                                                      "\x00\x00\x00\x00"
                                                                                      "\x04",
                                                                                      27) +
                                                                              "127.0.0.1");
    const ServiceReply expected{.status = ServiceStatus::Adjusted,
                                .delayMicros = 20'000,
                                .offsetMicros = -1'234'000,
                                .samples = 4,
                                .server = "127.0.0.1"};
    EXPECT_EQ(EncodeReply(expected), written);
    EXPECT_EQ(ParseReply(written), expected);
    // Status 11: no result yet, and no server.
    const Bytes noResult = Message(std::string("HVTS\x01\x81\x1B\x00", 8), std::string("\x0B") + std::string(26, '\0'));
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
    const std::pair<const char*, Bytes> cases[] = {
        {"a request's type", broken(5, 0x01)},
        {"status 0", broken(kServiceHeaderBytes, 0)},
        {"a status after the last", broken(kServiceHeaderBytes, 16)},
        {"a fault after the last", broken(kServiceHeaderBytes + 1, 9)},
        {"a name not in normal form", broken(good.size() - 1, 'E')},
        {"no name at all", broken(good.size() - 1, '/')},
        {"the fixed part cut short", truncated},
        {"shorter than its header says", Bytes(good.begin(), good.end() - 1)},
    };
    for (const auto& [what, bytes] : cases) EXPECT_FALSE(ParseReply(bytes)) << what;
}

} // namespace
} // namespace hv::testing
