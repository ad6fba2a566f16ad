#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "res/resource.h"

namespace hv::testing {
namespace {

constexpr int kErrorImage = 0;
constexpr int kOrdinaryImage = 1;
constexpr const char* kRequestSent = "C09:59:50 03-14-2026):Succed to Send Request Data to 127.0.0.1!\r\n";

struct Row {
    std::string stamp;
    std::string message;
    int image;
    bool operator==(const Row&) const = default;
};

std::vector<Row> Rows(const FakeDialogView& view) {
    const auto& list = view.List(IDC_LOG_LIST);
    std::vector<Row> rows;
    for (std::size_t i = 0; i < list.rows.size(); ++i) rows.push_back({list.rows[i][0], list.rows[i][1], list.rowImages[i]});
    return rows;
}

class LogViewTest : public MainFrameTest {
protected:
    void SetUp() override {
        StartQuiet();
        Companion(kSyncWindowTitle);
        frame->m_sntp.SetServerAddress("127.0.0.1");
    }

    // Opens the view and runs `script` while it is open.
    void WhileOpen(const std::function<void(FakeDialogView&)>& script) {
        platform.dialogScripts[IDD_LOGVIEW] = script;
        frame->OnCommand(kCmdViewLog);
    }

    // A server 1.5 s ahead answers after 20 ms; the next tick completes the run.
    void AnswerAndComplete() {
        platform.AdvanceMs(10);
        const Datagram reply = ServerReply(1.5);
        platform.AdvanceMs(10);
        platform.Deliver(reply);
        platform.AdvanceMs(1000);
    }
};

TEST_F(LogViewTest, ListsEntriesOldestFirstMarkingErrors) {
    frame->m_logText.Append("C14:05:09 03-21-2004):Succed to Send Request Data to lab (north) server!\r\n"
                            "E14:05:19 03-21-2004):lab (north) server doesn't send response data back!\r\n");
    std::vector<Row> shown;
    WhileOpen([&](FakeDialogView& view) {
        EXPECT_EQ(view.Caption(), "LogView");
        EXPECT_EQ(view.List(IDC_LOG_LIST).columns,
                  (std::vector<ListColumn>{{"DateTime", 130}, {"Log Information", 248}}));
        EXPECT_EQ(view.List(IDC_LOG_LIST).images, (std::vector<int>{IDB_LOG_ERROR, IDB_LOG_INFO}));
        shown = Rows(view);
    });
    EXPECT_EQ(shown, (std::vector<Row>{
                         {"14:05:09 03-21-2004", "Succed to Send Request Data to lab (north) server!", kOrdinaryImage},
                         {"14:05:19 03-21-2004", "lab (north) server doesn't send response data back!", kErrorImage}}));
    EXPECT_FALSE(frame->m_logView.IsOpen());

    // Empty, it still shows its columns.
    frame->m_logText.Clear();
    WhileOpen([&](FakeDialogView& view) {
        EXPECT_EQ(view.List(IDC_LOG_LIST).columns.size(), 2u);
        EXPECT_TRUE(Rows(view).empty());
    });
    EXPECT_EQ(platform.dialogsRun, (std::vector<int>{IDD_LOGVIEW, IDD_LOGVIEW}));
}

TEST_F(LogViewTest, RefreshPastTheLimitEmptiesTheViewAndTheNextRunRefillsIt) {
    // Filled so that the request's entry brings the log to exactly the limit, which it keeps.
    const std::string stamp = "C09:00:00 03-14-2026):";
    const std::size_t fill = ActivityLog::kLimit - std::string(kRequestSent).size() - stamp.size() - 2;
    frame->m_logText.Append(stamp + std::string(fill, 'x') + "\r\n");
    WhileOpen([&](FakeDialogView& view) {
        frame->OnCopyData(kCodeStartSync);
        EXPECT_EQ(frame->m_logText.Text().size(), ActivityLog::kLimit);
        EXPECT_EQ(Rows(view).size(), 1u);
        platform.AdvanceMs(10000);
        EXPECT_TRUE(frame->m_logText.Empty()) << "the time-out's entry took it past the limit";
        EXPECT_TRUE(Rows(view).empty());

        frame->OnCopyData(kCodeStartSync);
        AnswerAndComplete();
        ASSERT_EQ(Rows(view).size(), 3u);
        EXPECT_EQ(Rows(view)[0].message, "Succed to Send Request Data to 127.0.0.1!");
    });
}

} // namespace
} // namespace hv::testing
