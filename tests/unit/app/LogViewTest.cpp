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
    frame->m_logText.Append("C14:05:09 03-21-2004):Succed to Send Request Data to lab (north) server!\r\n"
                            "E14:05:19 03-21-2004):lab (north) server doesn't send response data back!\r\n");
    std::vector<Row> shown;
    WhileOpen([&](FakeDialogView& view) {
        EXPECT_EQ(view.Caption(), "LogView");
        shown = Rows(view);
    });
    EXPECT_EQ(shown, (std::vector<Row>{
                         {"14:05:09 03-21-2004", "Succed to Send Request Data to lab (north) server!", kOrdinaryImage},
                         {"14:05:19 03-21-2004", "lab (north) server doesn't send response data back!", kErrorImage}}));

    // Empty, it still shows its columns.
    frame->m_logText.Clear();
    WhileOpen([&](FakeDialogView& view) { EXPECT_TRUE(Rows(view).empty()); });
    EXPECT_EQ(platform.dialogsRun, (std::vector<int>{IDD_LOGVIEW, IDD_LOGVIEW}));
}

TEST_F(LogViewTest, RefreshPastTheLimitEmptiesTheViewAndTheNextRunRefillsIt) {
    // Filled so that the request's entry brings the log to exactly the limit, which it keeps.
    const std::string stamp = "C09:00:00 03-14-2026):";
    const std::string requestSent = "C09:59:50 03-14-2026):Succed to Send Request Data to 127.0.0.1!\r\n";
    frame->m_logText.Append(stamp + std::string(ActivityLog::kLimit - requestSent.size() - stamp.size() - 2, 'x') + "\r\n");
    WhileOpen([&](FakeDialogView& view) {
        frame->OnCopyData(kCodeStartSync);
        EXPECT_EQ(frame->m_logText.Text().size(), ActivityLog::kLimit);
        EXPECT_EQ(Rows(view).size(), 1u);
        platform.AdvanceMs(10000);
        EXPECT_TRUE(frame->m_logText.Empty()) << "the time-out's entry took it past the limit";
        EXPECT_TRUE(Rows(view).empty());

        frame->OnCopyData(kCodeStartSync);
        AnswerAfter(20, 1.5);
        platform.AdvanceMs(1000);
        ASSERT_EQ(Rows(view).size(), 3u);
        EXPECT_EQ(Rows(view)[0].message, "Succed to Send Request Data to 127.0.0.1!");
    });
}

} // namespace
} // namespace hv::testing
