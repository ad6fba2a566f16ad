// What the service's command-line tool decides and says, apart from the console and the
// service control manager.
#include "framework/fake/FakeRegistry.h"
#include "timeservice/CorrectionLimit.h"
#include "timeservice/ServiceConfig.h"
#include "timeservice/ServiceStatusText.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

TEST(ServiceCommands, LimitIsWholeSecondsFromOneToAYear) {
    const struct {
        const char* text;
        std::optional<std::uint32_t> seconds;
    } cases[] = {
        {"1", 1},
        {"54000", 54000},
        {"31622400", 31622400}, // 366 days
        {"31622401", std::nullopt},
        {"0", std::nullopt},
        {"", std::nullopt},
        {" +5", 5},
        {"-5", std::nullopt},
        {"5s", std::nullopt},
        {"4294967297", std::nullopt}, // 2^32 + 1: must not wrap to 1
    };
    for (const auto& c : cases) EXPECT_EQ(ParseCorrectionLimit(c.text), c.seconds) << '"' << c.text << '"';
}

// A running or stopped service, and a result it set the clock by, are read end to end.
TEST(ServiceCommands, StatusTellsTheApprovalsAndTheLastResultInWords) {
    EXPECT_EQ(ServiceStandingText({}), "not installed.");
    EXPECT_EQ(ApprovedServersText(ApprovedServers{}), "approved servers: none");
    const auto reply = [](ServiceStatus status, std::int64_t offset = 0, std::int64_t delay = 0) {
        return ServiceReply{.status = status, .delayMicros = delay, .offsetMicros = offset, .server = "time.example"};
    };
    const struct {
        ServiceReply reply;
        const char* text;
    } cases[] = {
        {reply(ServiceStatus::Measured, -250'000, 1'000),
         "last result: measured from time.example: offset -0.250 s, delay 0.001 s; nothing to change."},
        {reply(ServiceStatus::OverLimit, 90'000'000'000, 30'000),
         "last result: did not set the clock from time.example: offset 90000.000 s, delay 0.030 s, beyond the limit."},
        {reply(ServiceStatus::ClockRefused, 2'000, 3'000),
         "last result: could not set the clock from time.example: offset 0.002 s, delay 0.003 s."},
        {reply(ServiceStatus::SendFailed), "last result: could not send a request to time.example."},
        {reply(ServiceStatus::NoResult), "last result: none yet."},
    };
    for (const auto& c : cases) EXPECT_EQ(LastResultText(c.reply), c.text);
}

TEST(ServiceCommands, RefusedWriteCarriesTheSystemsError) {
    FakeRegistry registry;
    registry.registryKeysDeniedWrite.insert(std::string("HKLM\\") + kServiceConfigKey);
    registry.writeDeniedError = 1021; // ERROR_CHILD_MUST_BE_VOLATILE: any number the system may give
    EXPECT_EQ(SaveMaxCorrection(registry, 60).error, 1021u);
    EXPECT_EQ(SaveApprovedServers(registry, ApprovedServers{}).error, 1021u);
    EXPECT_FALSE(HasStoredMaxCorrection(registry));

    registry.registryKeysDeniedWrite.clear();
    EXPECT_TRUE(SaveMaxCorrection(registry, 60).Ok());
    EXPECT_EQ(LoadServiceConfig(registry).maxCorrectionSeconds, 60u);
}

} // namespace
} // namespace hv
