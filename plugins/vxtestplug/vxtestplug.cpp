// A companion module that does nothing but answer its version (when built with one) and a probe
// function the loader tests look up.
#define VXTESTPLUG_EXPORT extern "C" __attribute__((visibility("default")))

#ifdef VXTESTPLUG_VERSION
VXTESTPLUG_EXPORT const char* VxPluginVersion() { return VXTESTPLUG_VERSION; }
#endif

VXTESTPLUG_EXPORT int VxTestPlugAnswer() { return 42; }
