#include "Globrin/AddCityDialog.h"
#include "Globrin/TimeZones.h"
#include "Globrin/WorldClockWindow.h"
#include "Globrin/ZoneRules.h"
#include "Globrin/res/resource.h"
#include "dialogs/DialogFixture.h"

namespace hv::testing {
namespace {

// Two zones with the same rules every year: London's and Tokyo's.
class FakeTimeZones final : public TimeZones {
public:
    std::vector<TimeZoneName> All() override {
        return {{"GMT Standard Time", "(UTC+00:00) Dublin, Edinburgh, Lisbon, London"},
                {"Tokyo Standard Time", "(UTC+09:00) Osaka, Sapporo, Tokyo"}};
    }
    std::optional<ZoneRules> RulesFor(std::string_view key, int /*year*/) override {
        if (key == "GMT Standard Time") return ZoneRules{0, 0, -60, {0, 10, 0, 5, 2}, {0, 3, 0, 5, 1}};
        if (key == "Tokyo Standard Time") return ZoneRules{-540, 0, 0, {}, {}};
        return std::nullopt;
    }
};

constexpr const char* kCitiesKey = "HKCU\\Software\\Horvane\\Globrin";

class WorldClockTest : public DialogFixture<WorldClockWindow> {
protected:
    FakeTimeZones zones;

    // Wednesday 15 July 2026, 12:00:00 UTC: London is on summer time.
    WorldClockTest() { platform.SetNowMicroseconds(MicrosFromUtc(2026, 7, 15, 12, 0, 0)); }
    void Open() { OpenWith(platform, zones); }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& row : view->List(IDC_CITY_LIST).rows) names.push_back(row[0]);
        return names;
    }
    std::string Stored() { return std::get<std::string>(platform.registry[kCitiesKey]["Cities"]); }
};

// The cities of a first start, and how a row reads, are the companions' end-to-end test's.
TEST_F(WorldClockTest, EachCitysTimeFollowsItsZonesRulesEverySecond) {
    Open();
    // A zone this system does not know is said so, not guessed.
    EXPECT_EQ(view->List(IDC_CITY_LIST).rows[1],
              (std::vector<std::string>{"New York", "--:--:--", "", "unknown time zone"}));
    platform.AdvanceMs(1020);
    EXPECT_EQ(view->List(IDC_CITY_LIST).rows[0][1], "13:00:01");
}

TEST_F(WorldClockTest, EditingTheListIsRememberedPerUser) {
    platform.registry[kCitiesKey]["Cities"] = std::string("London\tGMT Standard Time\nTokyo\tTokyo Standard Time\n");
    Open();
    EXPECT_FALSE(view->IsEnabled(IDC_REMOVE_CITY));
    platform.dialogScripts[IDD_ADD_CITY] = [](FakeDialogView& add) {
        add.SelectRow(IDC_ZONE_LIST, 1); // named after the zone's first city
        add.PressEnter();
    };
    view->Click(IDC_ADD_CITY);
    // The buttons follow the selection: the new city, last, can only go up.
    EXPECT_TRUE(view->IsEnabled(IDC_MOVE_UP));
    EXPECT_FALSE(view->IsEnabled(IDC_MOVE_DOWN));
    view->Click(IDC_MOVE_UP);
    view->Click(IDC_MOVE_UP);
    EXPECT_FALSE(view->IsEnabled(IDC_MOVE_UP));
    EXPECT_EQ(Stored(), "Osaka\tTokyo Standard Time\nLondon\tGMT Standard Time\nTokyo\tTokyo Standard Time\n");
    view->SelectRow(IDC_CITY_LIST, 1);
    view->Click(IDC_REMOVE_CITY);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Osaka", "Tokyo"}));
    view->Click(IDC_REMOVE_CITY);
    view->Click(IDC_REMOVE_CITY);
    EXPECT_EQ(Stored(), "");
    Open();
    EXPECT_TRUE(Names().empty()) << "an emptied list stays empty";
}

TEST(AddCityDialog, AsksForAZoneAndANameAndKeepsATypedName) {
    FakePlatform platform;
    AddCityDialog dialog(FakeTimeZones().All());
    FakeDialogView view(platform, dialog);
    view.Open();
    view.PressEnter();
    EXPECT_TRUE(view.IsOpen());
    EXPECT_EQ(platform.messageBoxes.back(), "Choose the city's time zone from the list.");

    view.SelectRow(IDC_ZONE_LIST, 0); // named Dublin (EditingTheListIsRememberedPerUser)
    view.Type(IDC_CITY_NAME, "Porto");
    view.SelectRow(IDC_ZONE_LIST, 1);
    EXPECT_EQ(view.Text(IDC_CITY_NAME), "Porto") << "a typed name stays";
    view.Type(IDC_CITY_NAME, " \t ");
    view.PressEnter();
    EXPECT_EQ(platform.messageBoxes.back(), "Type the city's name.");
    EXPECT_EQ(view.FocusedControl(), IDC_CITY_NAME);

    view.Type(IDC_CITY_NAME, "  Sapporo\x01 ");
    view.PressEnter();
    EXPECT_FALSE(view.IsOpen());
    EXPECT_EQ(dialog.Chosen(), (City{"Sapporo", "Tokyo Standard Time"}));
}

TEST(CityList, StoredTextReadsLeniently) {
    const std::tuple<const char*, std::string, std::vector<City>> cases[] = {
        {"no tab", "London GMT Standard Time\nTokyo\tTokyo Standard Time\n", {{"Tokyo", "Tokyo Standard Time"}}},
        {"empty parts", "\tGMT Standard Time\nLondon\t\n", {}},
        {"a key with a path in it", "Evil\t..\\..\\Run\n", {}},
        {"no final line end", "Oslo\tW. Europe Standard Time", {{"Oslo", "W. Europe Standard Time"}}},
        {"control characters in a name", "O\x07slo \tW. Europe Standard Time\n", {{"Oslo", "W. Europe Standard Time"}}},
    };
    for (const auto& [what, text, read] : cases) EXPECT_EQ(DecodeCities(text), read) << what;

    std::string many;
    for (int i = 0; i < 40; ++i) many += "City" + std::to_string(i) + "\tTokyo Standard Time\n";
    EXPECT_EQ(DecodeCities(many).size(), kMostCities);
    EXPECT_EQ(CleanCityName(std::string(70, 'x') + "\xC3\xA9"), std::string(64, 'x'));
    EXPECT_EQ(CleanCityName(std::string(63, 'x') + "\xC3\xA9"), std::string(63, 'x')) << "never half a character";
    EXPECT_EQ(CleanCityName(std::string(63, 'x') + " tail"), std::string(63, 'x')) << "no blank left at the cut";
}

// Rules as the system's records give them for 2026 (bias in minutes, UTC = local + bias).
// Central Europe: summer time from the last Sunday of March, 02:00, to the last Sunday of
// October, 03:00.
const ZoneRules kBerlin{-60, 0, -60, {0, 10, 0, 5, 3}, {0, 3, 0, 5, 2}};
// Eastern Australia, south of the equator: daylight time from the first Sunday of October,
// 02:00, to the first Sunday of April, 03:00.
const ZoneRules kSydney{-600, 0, -60, {0, 4, 0, 1, 3}, {0, 10, 0, 1, 2}};
// Eastern North America: from the second Sunday of March to the first of November, 02:00.
const ZoneRules kNewYork{300, 0, -60, {0, 11, 0, 1, 2}, {0, 3, 0, 2, 2}};
const ZoneRules kTokyo{-540, 0, 0, {}, {}};
// Southern Brazil as its rules were until 2019: daylight time from the first Sunday of
// November, 00:00, to the third Sunday of February, 00:00.
const ZoneRules kSaoPaulo{180, 0, -60, {0, 2, 0, 3, 0}, {0, 11, 0, 1, 0}};
// A zone whose record gives this year's changes as fixed dates.
const ZoneRules kFixedDates{0, 0, -60, {2026, 9, 0, 6, 0}, {2026, 4, 0, 12, 0}};

struct Case {
    const char* what;
    const ZoneRules& rules;
    std::int64_t utc;
    CivilTime local;
    int offset;
    bool daylight;
};

std::int64_t Utc(int month, int day, int hour, int minute, int second) {
    return MicrosFromUtc(2026, month, day, hour, minute, second) / 1'000'000;
}

TEST(ZoneRules, LocalTimesAndYearsInAndOutOfDaylightSavingAndAcrossEachChange) {
    const Case cases[] = {
        {"Berlin, last second of winter", kBerlin, Utc(3, 29, 0, 59, 59), {2026, 3, 29, 1, 59, 59, 0}, 60, false},
        {"Berlin, first of summer", kBerlin, Utc(3, 29, 1, 0, 0), {2026, 3, 29, 3, 0, 0, 0}, 120, true},
        // October 2026 has four Sundays: "the fifth" is the fourth.
        {"Berlin, last second of summer", kBerlin, Utc(10, 25, 0, 59, 59), {2026, 10, 25, 2, 59, 59, 0}, 120, true},
        {"Berlin, back in winter", kBerlin, Utc(10, 25, 1, 0, 0), {2026, 10, 25, 2, 0, 0, 0}, 60, false},
        {"Sydney, end of daylight time", kSydney, Utc(4, 4, 15, 59, 59), {2026, 4, 5, 2, 59, 59, 0}, 660, true},
        {"Sydney, standard again", kSydney, Utc(4, 4, 16, 0, 0), {2026, 4, 5, 2, 0, 0, 0}, 600, false},
        {"New York, second Sunday of March", kNewYork, Utc(3, 8, 7, 0, 0), {2026, 3, 8, 3, 0, 0, 0}, -240, true},
        // February, its moments written out: 2026-02-14 12:00:00 and 2026-02-15 02:00:00 UTC.
        {"Sydney in February", kSydney, 1771070400, {2026, 2, 14, 23, 0, 0, 6}, 660, true},
        {"Sao Paulo, last second of daylight time", kSaoPaulo, 1771120799, {2026, 2, 14, 23, 59, 59, 6}, -120, true},
        {"Sao Paulo, standard again", kSaoPaulo, 1771120800, {2026, 2, 14, 23, 0, 0, 6}, -180, false},
        {"Tokyo never changes", kTokyo, Utc(7, 15, 20, 30, 0), {2026, 7, 16, 5, 30, 0, 4}, 540, false},
        {"fixed dates, inside", kFixedDates, Utc(4, 12, 0, 0, 0), {2026, 4, 12, 1, 0, 0, 0}, 60, true},
        {"fixed dates, before", kFixedDates, Utc(4, 11, 23, 59, 59), {2026, 4, 11, 23, 59, 59, 6}, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZoneTimeAt(c.rules, c.utc), (ZoneTime{c.local, c.offset, c.daylight})) << c.what;
    }
    // The zone's year is its own around New Year.
    const std::int64_t newYearsEveUtc = MicrosFromUtc(2025, 12, 31, 20, 0, 0) / 1'000'000;
    EXPECT_EQ(ZoneYear(kSydney, newYearsEveUtc), 2026);
    EXPECT_EQ(ZoneYear(kNewYork, newYearsEveUtc), 2025);
}

} // namespace
} // namespace hv::testing
