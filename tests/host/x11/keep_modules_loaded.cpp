// Preloaded into sanitizer runs of the X11 programs: makes dlclose a no-op.
// Mesa's GLX unloads its driver when a connection closes; LeakSanitizer then
// reports whatever only the unloaded module's globals still pointed to, with
// no module name to suppress it by. Kept loaded, that memory stays reachable,
// while a GL context our code fails to free is still reported (its memory is
// lost either way).
extern "C" int dlclose(void*) {
    return 0;
}
