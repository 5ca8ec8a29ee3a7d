// Linked into every program of the sanitized build only.
//
// The graphics driver is unloaded (dlclose) when the process ends, before
// LeakSanitizer looks for leaks. After that it can neither name the driver's
// frames (they show as "<unknown module>", which no suppression can match)
// nor see the blocks the driver's own globals still point to, so it reports
// them as leaks of whoever is left. Keeping every library loaded until the
// very end makes those blocks reachable again and leaves the driver's name on
// what it really leaks, where lsan.supp can name it.
extern "C" int dlclose(void*) {
    return 0;
}
