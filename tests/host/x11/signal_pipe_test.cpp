#include "host/x11/signal_pipe.h"

#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>

namespace {
bool readable(int fd, int milliseconds) {
    pollfd entry = {fd, POLLIN, 0};
    return poll(&entry, 1, milliseconds) == 1;
}
} // namespace

TEST(SignalPipe, TurnsSignalsFromAnyThreadIntoReadableBytes) {
    SignalPipe pipe({SIGTERM, SIGINT});
    ASSERT_GE(pipe.fd(), 0);
    EXPECT_EQ(pipe.take(), 0);
    EXPECT_FALSE(readable(pipe.fd(), 0));

    std::thread([] { kill(getpid(), SIGTERM); }).join();
    ASSERT_TRUE(readable(pipe.fd(), 5000));
    EXPECT_EQ(pipe.take(), SIGTERM);

    raise(SIGINT);
    EXPECT_EQ(pipe.take(), SIGINT);
    EXPECT_EQ(pipe.take(), 0);
}

TEST(SignalPipe, RestoresThePreviousHandlers) {
    static volatile sig_atomic_t seen = 0;
    auto previous = std::signal(SIGUSR1, [](int) { seen = 1; });
    {
        SignalPipe pipe({SIGUSR1});
        raise(SIGUSR1);
        EXPECT_EQ(pipe.take(), SIGUSR1);
        EXPECT_EQ(seen, 0);
    }
    raise(SIGUSR1);
    EXPECT_EQ(seen, 1);
    std::signal(SIGUSR1, previous);
}
