// Signals as bytes on a pipe, in one process and across a fork.
#include "host/posix/signal_pipe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

TEST(SignalPipe, TurnsASignalIntoOneByteAndGivesTheOldHandlerBack) {
    {
        SignalPipe signals({SIGUSR1});
        EXPECT_FALSE(signals.pending());
        raise(SIGUSR1);
        EXPECT_TRUE(signals.pending());
        EXPECT_EQ(signals.take(), SIGUSR1);
        EXPECT_EQ(signals.take(), 0) << "never blocks";
    }
    struct sigaction now = {};
    sigaction(SIGUSR1, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST(SignalPipe, AForkedChildWithARenewedPipeNoLongerSharesItsSignalsWithTheParent) {
    SignalPipe signals({SIGUSR1});
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child's own signal, seen by the child only.
        const bool renewed = signals.renewAfterFork();
        raise(SIGUSR1);
        _exit(renewed && signals.take() == SIGUSR1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(signals.pending()) << "the child's signal reached the parent's pipe";
}
