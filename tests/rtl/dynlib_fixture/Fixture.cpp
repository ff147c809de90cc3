// A small shared library for the library-loading tests. Built twice, under
// two file names; KW_FIXTURE_NAME tells the builds apart.

extern "C" {

__attribute__((visibility("default"))) int KwFixtureAdd(int A, int B) { return A + B; }

__attribute__((visibility("default"))) const char* KwFixtureName() { return KW_FIXTURE_NAME; }

__attribute__((visibility("default"))) int KwFixtureCounter = 41;
}
