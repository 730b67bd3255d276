// A library without DllUnregisterServer.
extern "C" __attribute__((visibility("default"))) int VexaTestAnswer() {
  return 42;
}
