// Linked into every test program. The fake sites' HTTP server library is not built with
// ThreadSanitizer: its lazily built internals are synchronised in code the sanitizer cannot see,
// which it reports as races in the memcmp/memcpy calls that library makes. Our own code stays
// fully checked. Without ThreadSanitizer nobody asks for this function.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libcpp-httplib.so.0.11\n";
}
