// libunrar.so: the RAR base library that must load before unrar32. It only
// reports its version; the reading itself lives in libunrar32.so.
extern "C" __attribute__((visibility("default"))) int RARGetDllVersion(void) { return 8; }
