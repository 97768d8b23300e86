// Sanitizer settings compiled into every test executable, so that a test run
// fails on the first report however it is started (ctest, by hand, a debugger).

extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1";
}

extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

// Third-party leak noise only; a leak in project code must still fail.
extern "C" const char* __lsan_default_suppressions() {
    return
        // fontconfig keeps its caches for the life of the process.
        "leak:libfontconfig.so\n"
        // libx265, which makes the HEIC fixtures, keeps encoder state it never frees.
        "leak:libx265.so\n";
}
