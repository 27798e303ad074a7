#include "host/wayland/wayland_input.h"

#include "host/common/closing_rules.h"

#include "relative-pointer-unstable-v1-client-protocol.h"

#include <unistd.h>
#include <wayland-client.h>

struct WaylandInputListeners {
    static WaylandInput* self(void* data) { return static_cast<WaylandInput*>(data); }

    static void keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) {
        close(fd); // no key is told from another
    }
    static void keyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
    static void keyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
    static void key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                    std::uint32_t state) {
        if (state == WL_KEYBOARD_KEY_STATE_PRESSED)
            self(data)->rules_.keyPressed();
    }
    static void modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t, std::uint32_t) {}

    static void pointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
    static void button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                       std::uint32_t state) {
        if (state == WL_POINTER_BUTTON_STATE_PRESSED)
            self(data)->rules_.buttonPressed();
    }
    static void axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}

    static void touchDown(void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*,
                          std::int32_t, wl_fixed_t, wl_fixed_t) {
        self(data)->rules_.touched();
    }
    static void touchUp(void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) {}
    static void touchMotion(void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {
    }
    static void touchFrame(void*, wl_touch*) {}
    static void touchCancel(void*, wl_touch*) {}
};

namespace {
// Version 1 of each device: the seat is bound at version 1.
const wl_keyboard_listener keyboardListener = {
    .keymap = WaylandInputListeners::keymap,
    .enter = WaylandInputListeners::keyboardEnter,
    .leave = WaylandInputListeners::keyboardLeave,
    .key = WaylandInputListeners::key,
    .modifiers = WaylandInputListeners::modifiers,
    .repeat_info = nullptr,
};
const wl_touch_listener touchListener = {
    .down = WaylandInputListeners::touchDown,
    .up = WaylandInputListeners::touchUp,
    .motion = WaylandInputListeners::touchMotion,
    .frame = WaylandInputListeners::touchFrame,
    .cancel = WaylandInputListeners::touchCancel,
    .shape = nullptr,
    .orientation = nullptr,
};
} // namespace

WaylandInput::WaylandInput(wl_seat* seat, zwp_relative_pointer_manager_v1* relativePointers,
                           bool hideCursor, ClosingRules& rules)
    : seat_(seat), relativePointers_(relativePointers), hideCursor_(hideCursor), rules_(rules),
      travel_(rules) {
    static const wl_seat_listener seatListener = {.capabilities = capabilities, .name = nullptr};
    if (seat_)
        wl_seat_add_listener(seat_, &seatListener, this);
}

WaylandInput::~WaylandInput() {
    releaseDevices(true, true, true);
}

void WaylandInput::capabilities(void* data, wl_seat*, std::uint32_t caps) {
    // Devices come and go with the hardware: bind what came, release what
    // went, and keep the rest, so that no key or motion on a device that
    // stays is lost to a new object in between.
    static_cast<WaylandInput*>(data)->updateDevices(caps);
}

void WaylandInput::updateDevices(std::uint32_t caps) {
    static const wl_pointer_listener pointerListener = {
        .enter = pointerEnter,
        .leave = WaylandInputListeners::pointerLeave,
        .motion = pointerMotion,
        .button = WaylandInputListeners::button,
        .axis = WaylandInputListeners::axis,
        .frame = nullptr,
        .axis_source = nullptr,
        .axis_stop = nullptr,
        .axis_discrete = nullptr,
        .axis_value120 = nullptr,
    };
    const bool keyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
    const bool touch = (caps & WL_SEAT_CAPABILITY_TOUCH) != 0;
    releaseDevices(!keyboard, !pointer, !touch);
    if (keyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &keyboardListener, this);
    }
    if (pointer && !pointer_) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &pointerListener, this);
        if (relativePointers_) {
            static const zwp_relative_pointer_v1_listener relativeListener = {.relative_motion =
                                                                                  relativeMotion};
            relative_ =
                zwp_relative_pointer_manager_v1_get_relative_pointer(relativePointers_, pointer_);
            zwp_relative_pointer_v1_add_listener(relative_, &relativeListener, this);
        }
    }
    if (touch && !touch_) {
        touch_ = wl_seat_get_touch(seat_);
        wl_touch_add_listener(touch_, &touchListener, this);
    }
}

void WaylandInput::releaseDevices(bool keyboard, bool pointer, bool touch) {
    if (pointer) {
        if (relative_)
            zwp_relative_pointer_v1_destroy(relative_);
        if (pointer_)
            wl_pointer_destroy(pointer_);
        relative_ = nullptr;
        pointer_ = nullptr;
    }
    if (keyboard && keyboard_) {
        wl_keyboard_destroy(keyboard_);
        keyboard_ = nullptr;
    }
    if (touch && touch_) {
        wl_touch_destroy(touch_);
        touch_ = nullptr;
    }
}

void WaylandInput::pointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface*,
                                std::int32_t x, std::int32_t y) {
    auto* self = static_cast<WaylandInput*>(data);
    if (self->hideCursor_)
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    // The first entry sets the anchor; coming back elsewhere counts as travel.
    self->travel_.at(wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void WaylandInput::pointerMotion(void* data, wl_pointer*, std::uint32_t, std::int32_t x,
                                 std::int32_t y) {
    static_cast<WaylandInput*>(data)->travel_.at(wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void WaylandInput::relativeMotion(void* data, zwp_relative_pointer_v1*, std::uint32_t,
                                  std::uint32_t, std::int32_t dx, std::int32_t dy, std::int32_t,
                                  std::int32_t) {
    static_cast<WaylandInput*>(data)->travel_.movedBy(wl_fixed_to_double(dx),
                                                      wl_fixed_to_double(dy));
}
