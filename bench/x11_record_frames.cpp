// For bench/unseen.sh: watches every client of $DISPLAY through the RECORD
// extension and prints one line, as it happens, for each request that puts a
// picture into a drawable, PutImage or MIT-SHM's ShmPutImage (how Mesa's
// software GLX presents a frame), and for each VisibilityNotify event the
// server delivers:
//   <wall clock in microseconds since the epoch> <client> PutImage
//   <wall clock in microseconds since the epoch> <client> ShmPutImage
//   <wall clock in microseconds since the epoch> <client> VisibilityNotify <state>
// where <client> is the client's resource base (hex) and <state> 0
// (unobscured), 1 (partially obscured) or 2 (fully obscured). Nothing else is
// recorded, so watching costs the server little. Runs until it is killed
// (SIGTERM or SIGINT end it cleanly); "ready" on stderr says that recording
// has begun. Exits 2 without a display or RECORD.
//   x11_record_frames
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>

namespace {

volatile std::sig_atomic_t stopping = 0;
int shmOpcode = -1;

long long wallMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void intercepted(XPointer, XRecordInterceptData* data) {
    const long long now = wallMicroseconds();
    if (data->category == XRecordFromClient && data->data_len > 0) {
        const unsigned major = data->data[0];
        const char* kind = nullptr;
        if (major == X_PutImage)
            kind = "PutImage";
        else if (static_cast<int>(major) == shmOpcode)
            kind = "ShmPutImage";
        if (kind)
            std::printf("%lld %lx %s\n", now, data->id_base, kind);
    } else if (data->category == XRecordFromServer && data->data_len > 0 &&
               (data->data[0] & 0x7f) == VisibilityNotify) {
        const auto* event = reinterpret_cast<const xEvent*>(data->data);
        std::printf("%lld %lx VisibilityNotify %d\n", now, data->id_base,
                    static_cast<int>(event->u.visibility.state));
    }
    XRecordFreeData(data);
}

} // namespace

int main() {
    std::signal(SIGTERM, [](int) { stopping = 1; });
    std::signal(SIGINT, [](int) { stopping = 1; });
    // One connection to set the recording up, one the server sends it on.
    Display* control = XOpenDisplay(nullptr);
    Display* data = XOpenDisplay(nullptr);
    int recordMajor = 0, recordMinor = 0;
    if (!control || !data || !XRecordQueryVersion(control, &recordMajor, &recordMinor)) {
        std::fprintf(stderr, "x11_record_frames: no display with RECORD\n");
        return 2;
    }
    int event = 0, error = 0;
    if (!XQueryExtension(control, "MIT-SHM", &shmOpcode, &event, &error))
        shmOpcode = -1;

    XRecordRange* ranges[3] = {XRecordAllocRange(), XRecordAllocRange(), XRecordAllocRange()};
    ranges[0]->core_requests.first = X_PutImage;
    ranges[0]->core_requests.last = X_PutImage;
    ranges[1]->delivered_events.first = VisibilityNotify;
    ranges[1]->delivered_events.last = VisibilityNotify;
    int count = 2;
    if (shmOpcode > 0) {
        // ShmPutImage is MIT-SHM's request 3.
        ranges[2]->ext_requests.ext_major.first = static_cast<unsigned char>(shmOpcode);
        ranges[2]->ext_requests.ext_major.last = static_cast<unsigned char>(shmOpcode);
        ranges[2]->ext_requests.ext_minor.first = 3;
        ranges[2]->ext_requests.ext_minor.last = 3;
        count = 3;
    }
    XRecordClientSpec clients = XRecordAllClients;
    XRecordContext context = XRecordCreateContext(control, 0, &clients, 1, ranges, count);
    for (XRecordRange* range : ranges)
        XFree(range);
    // The context must be known to the server before the other connection names it.
    XSync(control, False);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!context || !XRecordEnableContextAsync(data, context, intercepted, nullptr)) {
        std::fprintf(stderr, "x11_record_frames: cannot record\n");
        return 2;
    }
    XFlush(data);
    std::fprintf(stderr, "ready\n");

    pollfd watched = {ConnectionNumber(data), POLLIN, 0};
    while (!stopping) {
        XRecordProcessReplies(data);
        if (poll(&watched, 1, 100) < 0)
            continue; // a signal: look at stopping
    }
    XRecordDisableContext(control, context);
    XRecordFreeContext(control, context);
    XSync(control, False);
    XCloseDisplay(data);
    XCloseDisplay(control);
    return 0;
}
