#include "host/wayland/frame_callback_gate.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(FrameCallbackGate, DrawsEveryTickWhileCallbacksComeAndStopsSoonAfterTheyStop) {
    FrameCallbackGate gate;
    FrameCallbackGate::Clock::time_point now{};
    EXPECT_TRUE(gate.frameWanted(now)) << "the first frame is always drawn";
    EXPECT_TRUE(gate.presented(now)) << "and asks for a callback";
    // A compositor repainting late: the callback comes after the next tick,
    // which is still drawn, without asking for a second callback.
    now += 30ms;
    EXPECT_TRUE(gate.frameWanted(now));
    EXPECT_FALSE(gate.presented(now));
    now += 5ms;
    gate.callbackDone();
    now += 25ms;
    EXPECT_TRUE(gate.frameWanted(now));
    EXPECT_TRUE(gate.presented(now));
    // Hidden now: no callback comes. Ticks within the patience still draw.
    for (int tick = 1; tick * 30ms < FrameCallbackGate::patience; ++tick) {
        EXPECT_TRUE(gate.frameWanted(now + tick * 30ms));
        gate.presented(now + tick * 30ms);
    }
    // After it, nothing until the callback comes, however long that is.
    EXPECT_FALSE(gate.frameWanted(now + FrameCallbackGate::patience));
    EXPECT_FALSE(gate.frameWanted(now + 3600s));
    gate.callbackDone();
    EXPECT_TRUE(gate.frameWanted(now + 3600s)) << "shown again: the next tick draws";
}
