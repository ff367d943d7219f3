// The one way the host waits on another thread: the answer given by the deadline counts;
// past it the asker takes the late answer (which the answering side may have changed),
// the question is called off (callbacks run once, the descriptor wakes a poll) and an
// answer given later no longer counts.
#include <Host/HostPendingAnswer.h>

#include <gtest/gtest.h>

#include <poll.h>

#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Answer = HostPendingAnswer<std::string>;

bool readable(int fd) {
    pollfd ready{fd, POLLIN, 0};
    return poll(&ready, 1, 0) == 1;
}

TEST(HostPendingAnswer, TheAnswerByTheDeadlineCountsAndALateOneIsCalledOff) {
    struct Row {
        const char* name;
        bool given;      // answered before the asker waits
        bool lateChange; // the answering side changed the late answer first
        std::string expected;
        bool calledOff;
    };
    const Row rows[] = {
        {"answered", true, false, "yes", false},
        {"not answered", false, false, "late", true},
        {"not answered, the late answer changed", false, true, "still going", true},
    };
    for (const Row& row : rows) {
        Answer answer("late");
        int calls = 0;
        answer.onCallOff([&calls] { ++calls; });
        int wake = answer.callOffDescriptor();
        if (row.lateChange) {
            answer.setLateAnswer("still going");
        }
        if (row.given) {
            EXPECT_TRUE(answer.give("yes")) << row.name;
        }
        EXPECT_EQ(answer.by(Answer::Clock::now()), row.expected) << row.name;
        EXPECT_EQ(answer.calledOff(), row.calledOff) << row.name;
        EXPECT_EQ(readable(wake), row.calledOff) << row.name;
        answer.callOff(); // once more: the callbacks ran once at most
        EXPECT_EQ(calls, 1) << row.name;
        EXPECT_FALSE(answer.give("too late")) << row.name;
        EXPECT_EQ(answer.now(), row.expected) << row.name;
    }
}

TEST(HostPendingAnswer, AThreadsAnswerReachesAnAskerThatWaits) {
    auto asked = HostAskOnThread(std::string("late"), [](Answer&) { return std::string("yes"); });
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(asked->within(10s), "yes");
    // A callback added after the call-off runs at once.
    auto answer = std::make_shared<Answer>("late");
    answer->callOff();
    bool ran = false;
    answer->onCallOff([&ran] { ran = true; });
    EXPECT_TRUE(ran);
}

} // namespace
