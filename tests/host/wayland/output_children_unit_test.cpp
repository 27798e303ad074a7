// The full-screen parent's book: one child per output, and who ends what.
#include "host/common/exit_status.h"
#include "host/wayland/output_children.h"

#include <gtest/gtest.h>

using Ending = OutputChildren::Ending;
using Outputs = std::vector<std::uint32_t>;
using Pids = std::vector<int>;

TEST(OutputChildren, EveryOutputGetsOneChildIncludingOnesAddedLater) {
    OutputChildren book;
    book.addOutput(40);
    book.addOutput(41);
    book.addOutput(40); // announced twice
    EXPECT_EQ(book.awaitingChild(), (Outputs{40, 41}));
    book.childStarted(40, 100);
    book.childStarted(41, 101);
    EXPECT_TRUE(book.awaitingChild().empty());
    book.addOutput(42);
    EXPECT_EQ(book.awaitingChild(), (Outputs{42}));
    book.childStarted(42, 102);
    EXPECT_EQ(book.livePids(), (Pids{100, 101, 102}));
}

TEST(OutputChildren, ARemovedOutputTakesOnlyItsOwnChild) {
    OutputChildren book;
    book.addOutput(1);
    book.addOutput(2);
    book.childStarted(1, 100);
    book.childStarted(2, 200);
    EXPECT_EQ(book.removeOutput(2), 200);
    EXPECT_EQ(book.removeOutput(2), std::nullopt);
    EXPECT_EQ(book.removeOutput(77), std::nullopt);
    // The child ends by the SIGTERM it got, with status 0 as on input.
    EXPECT_EQ(book.childEnded(200, 0), Ending::Alone);
    EXPECT_FALSE(book.ending());
    EXPECT_EQ(book.livePids(), (Pids{100}));
    EXPECT_TRUE(book.awaitingChild().empty()) << "a removed output gets no new child";
}

TEST(OutputChildren, AChildEndingByInputOrFailureEndsAllWithTheFirstStatus) {
    OutputChildren book;
    for (std::uint32_t o : {1u, 2u, 3u})
        book.addOutput(o);
    book.childStarted(1, 10);
    book.childStarted(2, 20);
    book.childStarted(3, 30);
    EXPECT_EQ(book.childEnded(20, 255), Ending::EndsAll);
    EXPECT_TRUE(book.ending());
    // The others end by the parent's SIGTERM; their 0 does not hide the failure.
    EXPECT_EQ(book.childEnded(10, 0), Ending::EndsAll);
    EXPECT_EQ(book.childEnded(30, std::nullopt), Ending::EndsAll);
    EXPECT_EQ(book.endingStatus(), 255);
    EXPECT_TRUE(book.livePids().empty());
    book.addOutput(4);
    EXPECT_TRUE(book.awaitingChild().empty()) << "no new child while ending";
}

TEST(OutputChildren, ACrashedChildEndsAllAsAFailure) {
    OutputChildren book;
    book.addOutput(1);
    book.childStarted(1, 10);
    EXPECT_EQ(book.childEnded(10, std::nullopt), Ending::EndsAll);
    EXPECT_EQ(book.endingStatus(), 3);
}

TEST(OutputChildren, AChildThatFoundItsOutputGoneEndsAloneAndIsNotReplaced) {
    OutputChildren book;
    book.addOutput(1);
    book.addOutput(2);
    book.childStarted(1, 10);
    book.childStarted(2, 20);
    // The child saw the removal before the parent did.
    EXPECT_EQ(book.childEnded(20, exitCode(ExitStatus::OutputGone)), Ending::Alone);
    EXPECT_FALSE(book.ending());
    EXPECT_TRUE(book.awaitingChild().empty()) << "no endless respawning";
    EXPECT_EQ(book.removeOutput(2), std::nullopt) << "nothing left to terminate";
    EXPECT_EQ(book.childEnded(999, 0), Ending::Unknown);
    EXPECT_EQ(book.endingStatus(), 0);
}
