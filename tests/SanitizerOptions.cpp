// Under AddressSanitizer the test program refuses any single allocation above 1 GB,
// as a machine with little memory would, so that the tests of refused outbreaks get
// the same answer everywhere (MemoryLimit.h). Options given in ASAN_OPTIONS add to
// these.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}
#endif
