// The sanitizers' options built into every program of a sanitizer build. A brain
// worker starts with an empty environment, so these are all it gets: every report
// ends it (and so fails the run that started it), and LeakSanitizer is off, since
// it would trace the worker's threads, which the sandbox refuses. ASAN_OPTIONS and
// UBSAN_OPTIONS in a program's own environment add to these (the test command turns
// leak checks on for the programs themselves).
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=1:allocator_may_return_null=1";
}

extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
#endif
