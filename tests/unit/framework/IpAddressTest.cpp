#include "framework/IpAddress.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

// Each text either reads as the address whose one form is given, or is no literal at all
// (and goes to the resolver).
TEST(IpAddress, LiteralsReadAndWriteInTheirOneForm) {
    // Written in its one form, or nullptr where the text is no literal.
    const struct { const char* text; const char* written; bool ipv6; } cases[] = {
        {"127.0.0.1", "127.0.0.1", false},
        {"::1", "::1", true},
        {"::", "::", true},
        {"2001:db8::123", "2001:db8::123", true},
        {"2001:0db8:0000:0000:0000:0000:0000:0001", "2001:db8::1", true},
        {"2001:DB8:0:0:1:0:0:1", "2001:db8::1:0:0:1", true},  // the first of two equal runs
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1", true},  // a single zero stays
        {"::ffff:192.0.2.7", "::ffff:c000:207", true},
        {"fe80::", "fe80::", true},
        {"1.2.3", nullptr, false},
        {"1.2.3.256", nullptr, false},
        {"time.example", nullptr, false},
        {"", nullptr, false},
        {"2001:db8::1::2", nullptr, false},
        {"1:2:3:4:5:6:7:8:9", nullptr, false},
        {"1:2:3:4:5:6:7::8", nullptr, false},
        {"12345::", nullptr, false},
        {"[::1]", nullptr, false},
        {"::1%1", nullptr, false},
        {"::192.0.2", nullptr, false},
    };
    for (const auto& c : cases) {
        const std::optional<IpAddress> address = ParseIpLiteral(c.text);
        ASSERT_EQ(address.has_value(), c.written != nullptr) << c.text;
        if (!address) continue;
        EXPECT_EQ(address->IsIpv6(), c.ipv6) << c.text;
        EXPECT_EQ(FormatIpAddress(*address), c.written) << c.text;
    }
    EXPECT_EQ(ParseIpLiteral("192.0.2.7")->Ipv4(), 0xC0000207u);
    EXPECT_EQ(ParseIpLiteral("::1")->Ipv6()[15], 1);
}

} // namespace
} // namespace hv
