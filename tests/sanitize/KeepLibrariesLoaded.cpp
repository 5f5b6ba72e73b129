// Linked into every test program of the sanitize build: dlclose does
// nothing, so each library stays loaded until the process ends. The leak
// check runs at the very end, and a library that was gone by then (Mesa's
// driver goes when the X connection closes) would leave its leaks without a
// name that lsan.supp could match. AddressSanitizer's own dlclose is weak;
// this one takes its place.
extern "C" int dlclose(void*) { return 0; }
