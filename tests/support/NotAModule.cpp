// A library that looks like a module and is none: built with ZnDllCreateComponent alone, and
// built again with none of its own, taking it from the first.
#ifdef FIXTURE_DEFINES_CREATE
extern "C" __attribute__((visibility("default"))) int ZnDllCreateComponent() { return 0; }
#else
extern "C" int ZnDllCreateComponent();
extern "C" __attribute__((visibility("default"))) int FixtureCreates() {
  return ZnDllCreateComponent();
}
#endif
