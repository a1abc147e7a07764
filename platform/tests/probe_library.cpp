// A tiny library for the library-loading tests; built twice with different
// values so a test can tell which copy the search found.
extern "C" __attribute__((visibility("default"))) int ProbeValue() {
    return PROBE_VALUE;
}
