# Turns an icon drawn in text (one character per pixel, colours named on "colour"
# lines as RRGGBBAA) into a resource script holding a 32-bit icon: an RT_ICON with
# the bitmap and its mask, and an RT_GROUP_ICON that names it. Run as a script:
#   cmake -DICON=<drawing.txt> -DICON_ID=<id> -DOUTPUT=<file.rc> -P GenerateIcon.cmake
# Resource data is written as 16-bit words (and 32-bit ones with an L suffix), so
# the whole icon stays text from drawing to resource.

file(STRINGS "${ICON}" lines)
set(rows "")
foreach(line IN LISTS lines)
    if(line MATCHES "^//")
        continue()
    elseif(line MATCHES "^colour (.) ([0-9a-fA-F][0-9a-fA-F])([0-9a-fA-F][0-9a-fA-F])([0-9a-fA-F][0-9a-fA-F])([0-9a-fA-F][0-9a-fA-F])$")
        set(colour_${CMAKE_MATCH_1} "${CMAKE_MATCH_2};${CMAKE_MATCH_3};${CMAKE_MATCH_4};${CMAKE_MATCH_5}")
    elseif(NOT line STREQUAL "")
        list(APPEND rows "${line}")
    endif()
endforeach()
list(LENGTH rows height)
list(GET rows 0 first)
string(LENGTH "${first}" width)
if(NOT width EQUAL 32 OR NOT height EQUAL 32)
    message(FATAL_ERROR "${ICON}: the icon must be 32 x 32 pixels, not ${width} x ${height}")
endif()

# Pixels bottom-up, each blue, green, red, alpha: two words per pixel.
set(words "")
set(mask_words "")
math(EXPR last "${height} - 1")
foreach(y RANGE ${last} 0 -1)
    list(GET rows ${y} row)
    set(mask_bits "")
    foreach(x RANGE 0 31)
        string(SUBSTRING "${row}" ${x} 1 c)
        if(NOT DEFINED colour_${c})
            message(FATAL_ERROR "${ICON}: no colour for '${c}' in row ${y}")
        endif()
        list(GET colour_${c} 0 r)
        list(GET colour_${c} 1 g)
        list(GET colour_${c} 2 b)
        list(GET colour_${c} 3 a)
        string(APPEND words "0x${g}${b}, 0x${a}${r}, ")
        if(a STREQUAL "00")
            string(APPEND mask_bits "1")
        else()
            string(APPEND mask_bits "0")
        endif()
    endforeach()
    string(APPEND words "\n")
    # The mask row: 32 bits, most significant first; words hold their low byte first.
    foreach(byte_pair RANGE 0 1)
        math(EXPR first_byte "${byte_pair} * 16")
        math(EXPR second_byte "${byte_pair} * 16 + 8")
        string(SUBSTRING "${mask_bits}" ${first_byte} 8 low)
        string(SUBSTRING "${mask_bits}" ${second_byte} 8 high)
        set(value 0)
        foreach(bits IN ITEMS "${high}" "${low}")
            foreach(i RANGE 0 7)
                string(SUBSTRING "${bits}" ${i} 1 bit)
                math(EXPR value "${value} * 2 + ${bit}")
            endforeach()
        endforeach()
        math(EXPR value "${value}" OUTPUT_FORMAT HEXADECIMAL)
        string(APPEND mask_words "${value}, ")
    endforeach()
endforeach()

string(REGEX REPLACE ", $" "" mask_words "${mask_words}")
math(EXPR image_bytes "40 + 32 * 32 * 4 + 32 * 4")
file(WRITE "${OUTPUT}" "// Generated from ${ICON} by cmake/GenerateIcon.cmake; edit the drawing, not this file.
1 3
BEGIN
    40L, 32L, 64L, 1, 32, 0L, 0L, 0L, 0L, 0L, 0L,
${words}    ${mask_words}
END

${ICON_ID} 14
BEGIN
    0, 1, 1, 0x2020, 0, 1, 32, ${image_bytes}L, 1
END
")
