# Compile settings shared by every target. They are carried by interface libraries
# that each target links, never set globally, so a plug-in or test program gets
# exactly what it asks for.

# What a brain written elsewhere is built with: the standard, the warnings, the
# static runtime on Windows, but none of our sanitizers. The test suite's brains that
# misbehave on purpose are built so, so that they crash as foreign code does instead
# of being stopped by a sanitizer's report first.
add_library(shamblex_foreign_options INTERFACE)
target_compile_features(shamblex_foreign_options INTERFACE cxx_std_20)
# Warnings for the compilers only: a resource compiler would not know them.
target_compile_options(shamblex_foreign_options INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-Wall -Wextra>)
if(SHAMBLEX_WERROR)
    target_compile_options(shamblex_foreign_options INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-Werror>)
endif()

if(SHAMBLEX_ASSERTS)
    # Optimised builds define NDEBUG; the assertions that guard the invariants stay on.
    target_compile_options(shamblex_foreign_options INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:-UNDEBUG>)
endif()

if(WIN32)
    # The C++ runtime goes into every program and plug-in, so that shamblex.scr and
    # the brains need nothing beside them.
    target_link_options(shamblex_foreign_options INTERFACE -static)
endif()

add_library(shamblex_options INTERFACE)
target_link_libraries(shamblex_options INTERFACE shamblex_foreign_options)

if(SHAMBLEX_SANITIZE)
    # Every check, the alignment check included, stops the run at its first report.
    # (The brain record's std::string at byte 330 is aligned because every record
    # is placed 6 bytes past an aligned address; see brains/BrainRecord.h.)
    set(_sanitize -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(shamblex_options INTERFACE ${_sanitize})
    target_link_options(shamblex_options INTERFACE ${_sanitize})
endif()
