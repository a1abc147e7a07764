/* A library named like the engine that lacks its entry point: the session
   must refuse it with the missing-entry code instead of calling into it. */
__attribute__((visibility("default"))) int DbeExit(void) {
    return 0;
}
