// A shared library that needs a function nobody provides: loading it must
// fail the way a library with a missing import does.

extern "C" int KwFixtureNeverDefined();

extern "C" __attribute__((visibility("default"))) int KwFixtureUsesMissing() { return KwFixtureNeverDefined(); }
