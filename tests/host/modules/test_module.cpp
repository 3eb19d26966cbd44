// A small library for the host platform's tests to load with LoadLibraryW.
extern "C" __attribute__((visibility("default"))) int HostTestModuleAnswer() { return 42; }
