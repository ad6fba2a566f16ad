#include "SntpTestSupport.h"

#include "sync/ReplyValidation.h"

#include <functional>
#include <ostream>
#include <string>

namespace hv::testing {
namespace {

constexpr double kT1 = 3'900'000'000.0;

struct BrokenReply {
    std::string name;
    ReplyVerdict verdict;
    // Breaks one thing about an otherwise valid reply.
    std::function<void(std::vector<std::uint8_t>& bytes, IpEndpoint& from)> breakIt;
};

void PrintTo(const BrokenReply& reply, std::ostream* out) { *out << reply.name; }

void SetByte0(std::vector<std::uint8_t>& b, int leap, int version, int mode) {
    b[0] = static_cast<std::uint8_t>((leap << 6) | (version << 3) | mode);
}

const BrokenReply kBrokenReplies[] = {
    {"OtherAddress", ReplyVerdict::WrongSender, [](auto&, auto& from) { from.address = 0x0A000002; }},
    {"OtherPort", ReplyVerdict::WrongSender, [](auto&, auto& from) { from.port = 124; }},
    // The server's IPv4 address written as IPv6 (::ffff:10.0.0.1) is another sender.
    {"SameAddressMappedToIpv6", ReplyVerdict::WrongSender,
     [](auto&, auto& from) {
         from.address = IpAddress::FromIpv6({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 10, 0, 0, 1});
     }},
    {"Short", ReplyVerdict::TooShort, [](auto& b, auto&) { b.resize(47); }},
    {"ClientMode", ReplyVerdict::WrongMode, [](auto& b, auto&) { SetByte0(b, 0, 4, 3); }},
    {"BroadcastMode", ReplyVerdict::WrongMode, [](auto& b, auto&) { SetByte0(b, 0, 4, 5); }},
    {"Version0", ReplyVerdict::BadVersion, [](auto& b, auto&) { SetByte0(b, 0, 0, 4); }},
    {"Version5", ReplyVerdict::BadVersion, [](auto& b, auto&) { SetByte0(b, 0, 5, 4); }},
    {"Leap3", ReplyVerdict::Unsynchronised, [](auto& b, auto&) { SetByte0(b, 3, 4, 4); }},
    {"KissOfDeath", ReplyVerdict::BadStratum, [](auto& b, auto&) { b[1] = 0; }},
    {"Stratum16", ReplyVerdict::BadStratum, [](auto& b, auto&) { b[1] = 16; }},
    {"ZeroTransmit", ReplyVerdict::ZeroTransmit,
     [](auto& b, auto&) { std::fill(b.begin() + 40, b.begin() + 48, std::uint8_t{0}); }},
    // 30 s of root delay (15 s counted) plus 1 s of dispersion: exactly 16 s is too far.
    {"RootDistance16s", ReplyVerdict::RootDistanceTooLarge,
     [](auto& b, auto&) {
         b[5] = 30;
         b[9] = 1;
     }},
    {"RootDistanceHalfSecondOver", ReplyVerdict::RootDistanceTooLarge,
     [](auto& b, auto&) {
         b[9] = 16;
         b[10] = 0x80;
     }},
    {"OriginateOffByOneUnit", ReplyVerdict::WrongOriginate, [](auto& b, auto&) { b[31] ^= 1; }},
};

class ReplyValidation : public SntpFixture, public ::testing::WithParamInterface<BrokenReply> {};

TEST_P(ReplyValidation, BrokenReplyIsDroppedAndAValidOneIsStillTaken) {
    SendAt(kT1);
    const NtpPacketBytes valid = ValidReply(kT1 + 0.010, kT1 + 0.012);
    std::vector<std::uint8_t> broken(valid.begin(), valid.end());
    IpEndpoint from = kServer;
    GetParam().breakIt(broken, from);

    DeliverAt(kT1 + 0.020, broken, from);
    EXPECT_TRUE(client.AwaitingReply());
    EXPECT_EQ(client.LastRefusal(), GetParam().verdict);
    EXPECT_EQ(fake.OpenSocketCount(), 1);

    DeliverAt(kT1 + 0.030, valid);
    EXPECT_FALSE(client.AwaitingReply());
}

INSTANTIATE_TEST_SUITE_P(EachRule, ReplyValidation, ::testing::ValuesIn(kBrokenReplies),
                         [](const auto& test) { return test.param.name; });

TEST(ReplyValidationRules, LimitsThatStillPass) {
    ReplyExpectation expected{kServer, {1, 2, 3, 4, 5, 6, 7, 8}};
    Datagram d{std::vector<std::uint8_t>(60, 0), kServer}; // a trailing MAC is ignored
    d.bytes[0] = (0 << 6) | (1 << 3) | 4;
    d.bytes[1] = 15;
    std::copy(expected.requestTransmit.begin(), expected.requestTransmit.end(), d.bytes.begin() + 24);
    d.bytes[47] = 1;
    d.bytes[5] = 31;    // 15.5 s counted ...
    d.bytes[10] = 0x7F; // ... plus just under 0.5 s of dispersion
    EXPECT_EQ(ValidateReply(d, expected), ReplyVerdict::Accepted);
    // With a wild root delay read as signed it would pass; read as unsigned it does not.
    d.bytes[4] = 0x80;
    EXPECT_EQ(ValidateReply(d, expected), ReplyVerdict::RootDistanceTooLarge);
}

} // namespace
} // namespace hv::testing
