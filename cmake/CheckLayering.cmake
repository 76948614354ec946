# SPDX-License-Identifier: GPL-3.0-or-later
# The folders of src/core form layers: a folder may include only itself and the folders before it in this list.
# The per-folder libraries make most back-edges fail to link; this check also catches the header-only ones.
# Usage: cmake -DSOURCE_DIR=<src/core> -P CheckLayering.cmake
set(LAYERS base text app model tokens actions filelist rename engine automation)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.in)
set(violations 0)
foreach(source IN LISTS sources)
    string(REGEX MATCH "^[^/]+" folder "${source}")
    list(FIND LAYERS ${folder} own)
    if(own EQUAL -1)
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^/\"]+/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^/\"]+)/.*" "\\1" target "${line}")
        list(FIND LAYERS ${target} other)
        if(other GREATER own)
            message(SEND_ERROR "${source}: ${folder}/ may not include ${target}/ (${line})")
            math(EXPR violations "${violations} + 1")
        endif()
    endforeach()
endforeach()

if(violations GREATER 0)
    message(FATAL_ERROR "${violations} include(s) against the layer order: ${LAYERS}")
endif()
message(STATUS "Layering holds: ${LAYERS}")
