# The Shamblex brain kit. A brain project does
#
#   find_package(Shamblex REQUIRED)
#   shamblex_add_brain(mybrain mybrain.cpp)
#
# and gets mybrain.dll: a plug-in built against the record header alone, with the
# file name, visibility and (with mingw-w64) the static C++ runtime that Shamblex
# loads. Build it with the same compiler as Shamblex: the status text is the host's
# std::string.
get_filename_component(_shamblex_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(NOT TARGET Shamblex::BrainInterface)
    add_library(Shamblex::BrainInterface INTERFACE IMPORTED)
    set_target_properties(Shamblex::BrainInterface PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${_shamblex_prefix}/include/shamblex"
        INTERFACE_COMPILE_FEATURES cxx_std_20)
endif()

# Where the shipped brains lie, for an arena against them.
set(SHAMBLEX_BRAINS_DIR "${_shamblex_prefix}/lib/shamblex/brains")

function(shamblex_add_brain name)
    if(NOT ARGN)
        message(FATAL_ERROR "shamblex_add_brain(${name}) needs source files")
    endif()
    add_library(${name} MODULE ${ARGN})
    target_link_libraries(${name} PRIVATE Shamblex::BrainInterface)
    # The brain's file name is its name and ".dll" on every system; only
    # ExecuteBrain is exported.
    set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll" CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    if(WIN32)
        target_link_options(${name} PRIVATE -static)
    endif()
endfunction()
