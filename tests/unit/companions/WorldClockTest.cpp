#include "FakeTimeZones.h"
#include "Globrin/AddCityDialog.h"
#include "Globrin/WorldClockWindow.h"
#include "Globrin/res/resource.h"
#include "dialogs/DialogFixture.h"

namespace hv::testing {
namespace {

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

TEST_F(WorldClockTest, FirstStartShowsEachCitysTimeUnderItsZonesRules) {
    Open();
    EXPECT_EQ(view->Caption(), "World Clock");
    EXPECT_EQ(Names(), (std::vector<std::string>{"London", "New York", "Berlin", "Tokyo", "Sydney"}));
    const auto& rows = view->List(IDC_CITY_LIST).rows;
    EXPECT_EQ(rows[0], (std::vector<std::string>{"London", "13:00:00", "Wed 07/15/2026", "UTC+01:00 daylight"}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"Tokyo", "21:00:00", "Wed 07/15/2026", "UTC+09:00"}));
    // A zone this system does not know is said so, not guessed.
    EXPECT_EQ(rows[1], (std::vector<std::string>{"New York", "--:--:--", "", "unknown time zone"}));
    platform.AdvanceMs(1020);
    EXPECT_EQ(view->List(IDC_CITY_LIST).rows[0][1], "13:00:01");
}

TEST_F(WorldClockTest, EditingTheListIsRememberedPerUser) {
    platform.registry[kCitiesKey]["Cities"] = std::string("London\tGMT Standard Time\nTokyo\tTokyo Standard Time\n");
    Open();
    EXPECT_EQ(Names(), (std::vector<std::string>{"London", "Tokyo"}));
    EXPECT_FALSE(view->IsEnabled(IDC_REMOVE_CITY));

    platform.dialogScripts[IDD_ADD_CITY] = [](FakeDialogView& add) {
        add.SelectRow(IDC_ZONE_LIST, 1);
        add.Type(IDC_CITY_NAME, "  Kyoto\x01 ");
        add.PressEnter();
    };
    view->Click(IDC_ADD_CITY);
    EXPECT_EQ(Names(), (std::vector<std::string>{"London", "Tokyo", "Kyoto"}));
    EXPECT_EQ(Stored(), "London\tGMT Standard Time\nTokyo\tTokyo Standard Time\nKyoto\tTokyo Standard Time\n");

    // The buttons follow the selection: the new city, last, can only go up.
    EXPECT_TRUE(view->IsEnabled(IDC_MOVE_UP));
    EXPECT_FALSE(view->IsEnabled(IDC_MOVE_DOWN));
    view->Click(IDC_MOVE_UP);
    view->Click(IDC_MOVE_UP);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Kyoto", "London", "Tokyo"}));
    EXPECT_FALSE(view->IsEnabled(IDC_MOVE_UP));
    view->SelectRow(IDC_CITY_LIST, 1);
    view->Click(IDC_REMOVE_CITY);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Kyoto", "Tokyo"}));

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

    view.SelectRow(IDC_ZONE_LIST, 0);
    EXPECT_EQ(view.Text(IDC_CITY_NAME), "Dublin");
    view.Type(IDC_CITY_NAME, "Porto");
    view.SelectRow(IDC_ZONE_LIST, 1);
    EXPECT_EQ(view.Text(IDC_CITY_NAME), "Porto") << "a typed name stays";
    view.Type(IDC_CITY_NAME, " \t ");
    view.PressEnter();
    EXPECT_EQ(platform.messageBoxes.back(), "Type the city's name.");
    EXPECT_EQ(view.FocusedControl(), IDC_CITY_NAME);

    view.Type(IDC_CITY_NAME, "Sapporo");
    view.PressEnter();
    EXPECT_FALSE(view.IsOpen());
    EXPECT_EQ(dialog.Chosen(), (City{"Sapporo", "Tokyo Standard Time"}));
}

TEST(CityList, StoredTextReadsLeniently) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<City> read;
    };
    const Case cases[] = {
        {"no tab", "London GMT Standard Time\nTokyo\tTokyo Standard Time\n", {{"Tokyo", "Tokyo Standard Time"}}},
        {"empty parts", "\tGMT Standard Time\nLondon\t\n", {}},
        {"a key with a path in it", "Evil\t..\\..\\Run\n", {}},
        {"no final line end", "Oslo\tW. Europe Standard Time", {{"Oslo", "W. Europe Standard Time"}}},
        {"control characters in a name", "O\x07slo \tW. Europe Standard Time\n", {{"Oslo", "W. Europe Standard Time"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeCities(c.text), c.read) << c.what;

    std::string many;
    for (int i = 0; i < 40; ++i) many += "City" + std::to_string(i) + "\tTokyo Standard Time\n";
    EXPECT_EQ(DecodeCities(many).size(), kMostCities);
    EXPECT_EQ(CleanCityName(std::string(70, 'x') + "\xC3\xA9"), std::string(64, 'x'));
    EXPECT_EQ(CleanCityName(std::string(63, 'x') + "\xC3\xA9"), std::string(63, 'x')) << "never half a character";
    EXPECT_EQ(CleanCityName(std::string(63, 'x') + " tail"), std::string(63, 'x')) << "no blank left at the cut";
}

} // namespace
} // namespace hv::testing
