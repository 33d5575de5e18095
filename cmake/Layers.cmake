# The layers of Shamblex and the rule that holds them together: a layer reaches the
# headers of the layers it USES and its own, never those of a layer above it.
#
# Every layer's headers are included as "<folder>/Header.h". The folder is reachable
# only through the layer's target: the build tree gets a folder per layer holding one
# link to the sources, and only that folder is put on the include path of the layer
# and of the layers that use it. A header of a layer above is not on the path, so
# including it fails to build.

set(SHAMBLEX_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)

# Makes `root` hold `link` pointing at `target` (a folder or a file).
function(_shamblex_link root link target)
    file(MAKE_DIRECTORY ${root})
    get_filename_component(parent ${root}/${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${target} ${root}/${link} SYMBOLIC)
endfunction()

# shamblex_add_layer(NAME FOLDER folder SOURCES ... USES lower layers... [PRIVATE_USES ...])
# A static library for the sources of `folder`, whose headers the layer and its users
# include as "folder/Header.h". USES are the layers its own headers build on (public);
# PRIVATE_USES are what only its sources need.
function(shamblex_add_layer name)
    cmake_parse_arguments(LAYER "" "FOLDER" "SOURCES;USES;PRIVATE_USES" ${ARGN})
    add_library(${name} STATIC ${LAYER_SOURCES})
    set(root ${SHAMBLEX_LAYER_ROOT}/${name})
    _shamblex_link(${root} ${LAYER_FOLDER} ${CMAKE_CURRENT_SOURCE_DIR})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${LAYER_USES} PRIVATE shamblex_options ${LAYER_PRIVATE_USES})
endfunction()

# The one header a brain plug-in includes, "brains/BrainRecord.h", on its own: the
# plug-ins and the simulation see it, and nothing else of the brains folder.
add_library(shamblex_brain_interface INTERFACE)
_shamblex_link(${SHAMBLEX_LAYER_ROOT}/brain_interface brains/BrainRecord.h
    ${PROJECT_SOURCE_DIR}/brains/BrainRecord.h)
target_include_directories(shamblex_brain_interface INTERFACE ${SHAMBLEX_LAYER_ROOT}/brain_interface)
