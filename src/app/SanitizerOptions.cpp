// The sanitizer runtime's defaults for every program of the sanitizer build: the game, the tests,
// the tools and the fuzz targets (CMakeLists.txt compiles this file into each of them there, and into
// nothing elsewhere). ASAN_OPTIONS given at run time still override them.
//
// intercept_tls_get_addr=0. When a library loaded at run time first touches its thread-local
// variables, glibc takes the block for them from malloc. Our clang's (14) runtime watches that call
// and guesses the block's extent: when the block starts 16 bytes into a page it takes the 16 bytes in
// front of it for a header that only old glibc versions wrote. Under AddressSanitizer those bytes are
// the allocator's own chunk header, so it records nonsense (start 0xe96, length 0x1800001102), and at
// exit the leak checker's tracer reads that range and dies ("Tracer caught signal 11", "DTLS 14 at
// 0xe96"). Mesa's software driver loads libLLVM, whose 24-byte block lands there whenever the heap
// happens to line up so, which any change in what a run allocates can bring about. Nothing is lost:
// every other block is recorded with length 0 ("Can't guess glibc version"), and the leak checker
// counts whatever the dynamic linker allocates, these blocks included, as reachable anyway.
extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options() {
  return "intercept_tls_get_addr=0";
}
