#include "framework/IpAddress.h"

#include <gtest/gtest.h>

#include <string_view>

namespace hv {
namespace {

// Each literal reads as the address its one written form gives; every other text goes to
// the resolver.
TEST(IpAddress, LiteralsReadAndWriteInTheirOneForm) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"127.0.0.1", "127.0.0.1"},
        {"::1", "::1"},
        {"::", "::"},
        {"2001:db8::123", "2001:db8::123"},
        {"2001:0db8:0000:0000:0000:0000:0000:0001", "2001:db8::1"},
        {"2001:DB8:0:0:1:0:0:1", "2001:db8::1:0:0:1"},    // the first of two equal runs
        {"2001:db8:0:1:1:1:1:1", "2001:db8:0:1:1:1:1:1"}, // a single zero stays
        {"::ffff:192.0.2.7", "::ffff:c000:207"},
        {"fe80::", "fe80::"},
    };
    for (const auto& c : cases) {
        const std::optional<IpAddress> address = ParseIpLiteral(c.text);
        ASSERT_TRUE(address) << c.text;
        EXPECT_EQ(address->IsIpv6(), std::string_view(c.text).find(':') != std::string_view::npos) << c.text;
        EXPECT_EQ(FormatIpAddress(*address), c.written) << c.text;
    }
    for (const char* text : {"1.2.3", "1.2.3.256", "time.example", "", "2001:db8::1::2", "1:2:3:4:5:6:7:8:9",
                             "1:2:3:4:5:6:7::8", "12345::", "[::1]", "::1%1", "::192.0.2"}) {
        EXPECT_FALSE(ParseIpLiteral(text)) << text;
    }
    EXPECT_EQ(ParseIpLiteral("192.0.2.7")->Ipv4(), 0xC0000207u);
    EXPECT_EQ(ParseIpLiteral("::1")->Ipv6()[15], 1);
}

} // namespace
} // namespace hv
