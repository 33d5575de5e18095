# Builds a layering probe and passes only when the build fails for the one reason a
# probe exists for: the header of a higher layer is not found. Any other failure (a
# syntax error, a missing target) fails the test.
#   cmake -DBUILD_DIR=... -DTARGET=... -DHEADER=folder/Header.h -P expect_missing_include.cmake
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
    message(FATAL_ERROR "${TARGET} built: a layer reached the header ${HEADER} of a layer above it")
endif()
string(FIND "${output}" "${HEADER}: No such file or directory" gcc_missing)
string(FIND "${output}" "'${HEADER}' file not found" clang_missing)
if(gcc_missing EQUAL -1 AND clang_missing EQUAL -1)
    message(FATAL_ERROR "${TARGET} failed to build, but not because ${HEADER} was out of reach:\n${output}")
endif()
