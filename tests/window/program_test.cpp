#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/state.h"
#include "app/window/program.h"
#include "support/fake_site.h"
#include "net/http.h"

namespace {

using namespace ui;

// Drives a whole run of the program: the window opens, `whileOpen` runs inside the message loop,
// then the close button is clicked.
ProgramEnd RunAndClose(std::function<void(MainWindow&)> whileOpen = {}) {
    return RunProgram(WindowHandlers{}, [whileOpen](MainWindow& w) {
        QTimer::singleShot(0, &w, [&w, whileOpen] {
            if (whileOpen) whileOpen(w);
            QTest::mouseClick(w.Control(窗口位置_销毁), Qt::LeftButton);
        });
    });
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateState();
        ResetControls();
    }
    void TearDown() override {
        if (HasState()) ReleaseState();
        rt::ResetStop();
        ResetControls();
    }
};

TEST_F(ProgramTest, CloseButtonEndsTheLoopAndShutsDown) {
    State().SearchCooldown = 5;
    int cooldownWhileOpen = -1;
    bool wasVisible = false;
    const ProgramEnd end = RunAndClose([&](MainWindow& w) {
        cooldownWhileOpen = State().SearchCooldown;
        wasVisible = w.isVisible();
    });
    EXPECT_TRUE(wasVisible);
    EXPECT_EQ(cooldownWhileOpen, 0) << "searches are allowed once the window exists";
    EXPECT_EQ(end.exitCode, 0);
    EXPECT_TRUE(end.stateReleased);
    EXPECT_FALSE(HasState());
    EXPECT_TRUE(rt::StopRequested());
}

// A thread that does not heed the stop keeps the state alive: it is never freed under it.
TEST_F(ProgramTest, StateOutlivesAThreadThatHasNotEnded) {
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    ASSERT_TRUE(rt::StartThread([&] {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return release; });
        State().ChaptersDone.fetch_add(1);  // still safe: the state is there
    }));
    EXPECT_FALSE(ShutDownProgram(50));
    EXPECT_TRUE(HasState());
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    EXPECT_TRUE(ShutDownProgram(30000));
    EXPECT_FALSE(HasState());
}

// Closing the window while threads wait inside HTTP transfers on a site that never answers:
// the transfers are aborted, every thread ends, and only then is the state released.
TEST_F(ProgramTest, ClosingWhileTransfersStallStopsThemBeforeReleasingTheState) {
    fake::FakeSite site;
    ASSERT_TRUE(site.Ok());
    site.Stall("/stalled", "<html><body>", 1 << 20);
    site.StallBeforeBody("/silent");
    std::atomic<int> finished{0};
    std::atomic<int> emptyBodies{0};
    const Text urls[] = {site.Url("/stalled"), site.Url("/silent"), site.Url("/stalled")};
    for (const Text& url : urls) {
        ASSERT_TRUE(rt::StartThread([url, &finished, &emptyBodies] {
            // The thread uses the state the way the workers do, before and after its transfer.
            State().ChaptersDone.fetch_add(1);
            if (HttpRequest(url).empty()) emptyBodies.fetch_add(1);
            finished.fetch_add(1);
        }));
    }
    ASSERT_TRUE(site.WaitForRequests(3, std::chrono::seconds(10)));
    ASSERT_EQ(rt::RunningThreads(), 3);

    const ProgramEnd end = RunAndClose();
    EXPECT_TRUE(end.stateReleased);
    EXPECT_FALSE(HasState());
    EXPECT_EQ(rt::RunningThreads(), 0);
    EXPECT_EQ(finished, 3);
    EXPECT_EQ(emptyBodies, 3) << "an aborted transfer gives an empty body";
}

}  // namespace
