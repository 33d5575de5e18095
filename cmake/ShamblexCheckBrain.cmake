# Run by shamblex_add_brain after a brain is built: -DSHAMBLEX_CLI=runner -DBRAIN=file.
# Fails the build with the runner's reason, and removes the file so that the next
# build makes it again, when Shamblex would skip the brain.
execute_process(COMMAND "${SHAMBLEX_CLI}" --check-brain "${BRAIN}" RESULT_VARIABLE status ERROR_VARIABLE reason
    OUTPUT_QUIET)
if(NOT status EQUAL 0)
    file(REMOVE "${BRAIN}")
    string(STRIP "${reason}" reason)
    if(reason MATCHES "exports no ExecuteBrain")
        string(APPEND reason " (declare it SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(...))")
    endif()
    message(FATAL_ERROR "Shamblex would not load this brain: ${reason}")
endif()
