# Turns the fonts drawn in render/fonts/*.txt into the byte tables the text painter
# reads. Run as a script:
#   cmake -DFONT_DIR=<folder> -DOUTPUT=<file.cpp> -P GenerateFonts.cmake
#
# A font file gives its metrics, then one glyph per character code 32 to 127 in
# order: a line with the code, then one line per pixel row, '#' for ink and '.' for
# background. Lines starting with // are comments. Glyphs are packed as a stream of
# width * rows bits, row by row, left to right, most significant bit first, each
# glyph starting on a byte boundary.

file(GLOB font_files "${FONT_DIR}/*.txt")
list(SORT font_files)

set(nibbles 0000 0001 0010 0011 0100 0101 0110 0111 1000 1001 1010 1011 1100 1101 1110 1111)
set(hex_digits 0 1 2 3 4 5 6 7 8 9 a b c d e f)

set(all_bytes "")
set(entries "")
set(offset 0)

foreach(font_file IN LISTS font_files)
    file(READ "${font_file}" text)
    # Characters that CMake lists treat specially never matter to the parser.
    string(REPLACE "\\" "<backslash>" text "${text}")
    string(REPLACE ";" "<semicolon>" text "${text}")
    string(REPLACE "[" "<open>" text "${text}")
    string(REPLACE "]" "<close>" text "${text}")
    string(REPLACE "\r" "" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")

    set(name "")
    set(width "")
    set(height "")
    set(above "")
    set(below "")
    set(expected_code 32)
    set(code "")
    set(bits "")
    set(row_count 0)
    set(font_bytes "")
    set(line_number 0)

    # Packs the glyph gathered so far into bytes.
    macro(finish_glyph)
        if(NOT code STREQUAL "")
            math(EXPR rows "${above} + ${height} + ${below}")
            if(NOT row_count EQUAL rows)
                message(FATAL_ERROR "${font_file}: glyph ${code} has ${row_count} rows, not ${rows}")
            endif()
            string(LENGTH "${bits}" bit_count)
            math(EXPR padding "(8 - ${bit_count} % 8) % 8")
            while(padding GREATER 0)
                string(APPEND bits "0")
                math(EXPR padding "${padding} - 1")
            endwhile()
            string(LENGTH "${bits}" bit_count)
            set(position 0)
            while(position LESS bit_count)
                string(SUBSTRING "${bits}" ${position} 4 high)
                math(EXPR low_position "${position} + 4")
                string(SUBSTRING "${bits}" ${low_position} 4 low)
                list(FIND nibbles "${high}" high_value)
                list(FIND nibbles "${low}" low_value)
                list(GET hex_digits ${high_value} high_digit)
                list(GET hex_digits ${low_value} low_digit)
                string(APPEND font_bytes "0x${high_digit}${low_digit}, ")
                math(EXPR position "${position} + 8")
            endwhile()
            string(APPEND font_bytes "\n")
            set(code "")
            set(bits "")
            set(row_count 0)
        endif()
    endmacro()

    foreach(line IN LISTS lines)
        math(EXPR line_number "${line_number} + 1")
        string(STRIP "${line}" line)
        if(line STREQUAL "" OR line MATCHES "^//")
            continue()
        elseif(line MATCHES "^(name|width|height|above|below): *(.*)$")
            set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
        elseif(line MATCHES "^([0-9]+)( .*)?$")
            finish_glyph()
            set(code ${CMAKE_MATCH_1})
            if(NOT code EQUAL expected_code)
                message(FATAL_ERROR "${font_file}:${line_number}: glyph ${code} where ${expected_code} was due")
            endif()
            math(EXPR expected_code "${expected_code} + 1")
        elseif(line MATCHES "^[.#]+$")
            if(code STREQUAL "")
                message(FATAL_ERROR "${font_file}:${line_number}: a pixel row before any glyph code")
            endif()
            string(LENGTH "${line}" row_width)
            if(NOT row_width EQUAL width)
                message(FATAL_ERROR "${font_file}:${line_number}: row of ${row_width} pixels in a font ${width} wide")
            endif()
            string(REPLACE "." "0" row_bits "${line}")
            string(REPLACE "#" "1" row_bits "${row_bits}")
            string(APPEND bits "${row_bits}")
            math(EXPR row_count "${row_count} + 1")
        else()
            message(FATAL_ERROR "${font_file}:${line_number}: cannot read '${line}'")
        endif()
    endforeach()
    finish_glyph()
    if(NOT expected_code EQUAL 128)
        message(FATAL_ERROR "${font_file}: glyphs end at ${expected_code}, not at 127")
    endif()

    math(EXPR bytes_per_glyph "(${width} * (${above} + ${height} + ${below}) + 7) / 8")
    math(EXPR font_size "96 * ${bytes_per_glyph}")
    string(APPEND all_bytes "    // ${name}\n${font_bytes}")
    string(APPEND entries "    { ${width}, ${height}, ${above}, ${below}, 2, \"${name}\", glyphData + ${offset}, nullptr },\n")
    math(EXPR offset "${offset} + ${font_size}")
endforeach()

list(LENGTH font_files font_count)
set(source "// Generated from render/fonts/*.txt by cmake/GenerateFonts.cmake; edit the fonts, not this file.
#include \"render/BitmapFont.h\"

namespace shamblex {

namespace {

constexpr std::uint8_t glyphData[${offset}] = {
${all_bytes}};

}

const std::array<BitmapFont, ${font_count}> fontTable { {
${entries}} };

const std::size_t fontGlyphDataSize = sizeof glyphData;

}
")
file(WRITE "${OUTPUT}.tmp" "${source}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
