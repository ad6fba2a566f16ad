#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "res/resource.h"

namespace hv::testing {
namespace {

constexpr int kErrorImage = 0;
constexpr int kOrdinaryImage = 1;

struct Row {
    std::string stamp;
    std::string message;
    int image;
    bool operator==(const Row&) const = default;
};

class LogViewTest : public SyncRunFixture {
protected:
    // Opens the view and runs `script` while it is open.
    void WhileOpen(const std::function<void(FakeDialogView&)>& script) {
        platform.dialogScripts[IDD_LOGVIEW] = script;
        frame->OnCommand(kCmdViewLog);
    }

    // The rows shown, under the view's two columns and with its two images whatever it shows.
    static std::vector<Row> Rows(const FakeDialogView& view) {
        const auto& list = view.List(IDC_LOG_LIST);
        EXPECT_EQ(list.columns, (std::vector<ListColumn>{{"DateTime", 130}, {"Log Information", 248}}));
        EXPECT_EQ(list.images, (std::vector<int>{IDB_LOG_ERROR, IDB_LOG_INFO}));
        std::vector<Row> rows;
        for (std::size_t i = 0; i < list.rows.size(); ++i) rows.push_back({list.rows[i][0], list.rows[i][1], list.rowImages[i]});
        return rows;
    }
};

TEST_F(LogViewTest, ListsEntriesOldestFirstMarkingErrors) {
    // Empty, it still shows its columns.
    WhileOpen([&](FakeDialogView& view) {
        EXPECT_EQ(view.Caption(), "LogView");
        EXPECT_TRUE(Rows(view).empty());
    });
    frame->OnCopyData(kCodeStartSync);
    platform.AdvanceMs(10000);
    std::vector<Row> shown;
    WhileOpen([&](FakeDialogView& view) { shown = Rows(view); });
    EXPECT_EQ(shown, (std::vector<Row>{
                         {"09:59:50 03-14-2026", "Succed to Send Request Data to 127.0.0.1!", kOrdinaryImage},
                         {"10:00:00 03-14-2026", "127.0.0.1 doesn't send response data back!", kErrorImage}}));
    EXPECT_EQ(platform.dialogsRun, (std::vector<int>{IDD_LOGVIEW, IDD_LOGVIEW}));
}

TEST_F(LogViewTest, RefreshPastTheLimitEmptiesTheViewAndTheNextRunRefillsIt) {
    // Thirty-one silent runs of lab.net, two entries each (63 and 64 bytes), and the next
    // request's entry bring the log to exactly the limit, which it keeps.
    platform.hosts["lab.net"] = {kLabAddress};
    StartQuiet("[list]=Lab(lab.net)?0\r\n");
    WhileOpen([&](FakeDialogView& view) {
        for (int run = 0; run < 31; ++run) {
            frame->OnCopyData(kCodeStartSync);
            platform.AdvanceMs(10000);
        }
        EXPECT_EQ(Rows(view).size(), 62u);
        frame->OnCopyData(kCodeStartSync);
        platform.AdvanceMs(10000);
        EXPECT_TRUE(Rows(view).empty()) << "the time-out's entry took it past the limit";

        frame->OnCopyData(kCodeStartSync);
        AnswerAfter(20, 1.5);
        platform.AdvanceMs(1000);
        ASSERT_EQ(Rows(view).size(), 3u);
        EXPECT_EQ(Rows(view)[0].message, "Succed to Send Request Data to lab.net!");
    });
}

} // namespace
} // namespace hv::testing
