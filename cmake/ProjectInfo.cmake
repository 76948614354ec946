# SPDX-License-Identifier: GPL-3.0-or-later
# Where people find the project and whom the package names: set by whoever publishes a build. Quillory
# has no public home page yet, so nothing is named by default; the metainfo, the about box and the
# package then leave the field out rather than show an address that leads nowhere.
set(QUILLORY_HOMEPAGE_URL "" CACHE STRING "Project home page (https://...) for the metainfo, the about box and the package; empty: none")
# Caches from before the default was emptied still hold an address that was never the project's.
if(QUILLORY_HOMEPAGE_URL STREQUAL "https://quillory.halvane.com")
    set(QUILLORY_HOMEPAGE_URL "" CACHE STRING "" FORCE)
endif()
# The folder on the web with the pictures tests/gui takes (main-window-light.png, numbering-editor-light.png).
set(QUILLORY_SCREENSHOTS_URL "" CACHE STRING "Web folder with the screenshots named in the metainfo; empty: none")
if(QUILLORY_HOMEPAGE_URL AND NOT QUILLORY_HOMEPAGE_URL MATCHES "^https?://[^/ ]+")
    message(FATAL_ERROR "QUILLORY_HOMEPAGE_URL must be an http(s) address: '${QUILLORY_HOMEPAGE_URL}'")
endif()

# The Maintainer of the .deb: by default whoever builds it, found as the Debian tools find them:
# DEBFULLNAME and DEBEMAIL (or EMAIL), else the user at this host.
set(QUILLORY_DEFAULT_CONTACT_NAME "$ENV{DEBFULLNAME}")
set(QUILLORY_DEFAULT_CONTACT_ADDRESS "$ENV{DEBEMAIL}")
if(QUILLORY_DEFAULT_CONTACT_ADDRESS STREQUAL "")
    set(QUILLORY_DEFAULT_CONTACT_ADDRESS "$ENV{EMAIL}")
endif()
if(QUILLORY_DEFAULT_CONTACT_ADDRESS STREQUAL "")
    execute_process(COMMAND id -un OUTPUT_VARIABLE user OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    cmake_host_system_information(RESULT host QUERY FQDN)
    set(QUILLORY_DEFAULT_CONTACT_ADDRESS "${user}@${host}")
endif()
if(QUILLORY_DEFAULT_CONTACT_NAME STREQUAL "")
    set(QUILLORY_DEFAULT_CONTACT_NAME "Quillory package builder")
endif()
set(QUILLORY_CONTACT "${QUILLORY_DEFAULT_CONTACT_NAME} <${QUILLORY_DEFAULT_CONTACT_ADDRESS}>" CACHE STRING
    "Maintainer named in the .deb (\"Name <address>\"); default: DEBFULLNAME <DEBEMAIL>, else the user at this host")
if(QUILLORY_CONTACT STREQUAL "Quillory maintainers <quillory@halvane.com>" OR NOT QUILLORY_CONTACT MATCHES "<.+@.+>")
    set(QUILLORY_CONTACT "${QUILLORY_DEFAULT_CONTACT_NAME} <${QUILLORY_DEFAULT_CONTACT_ADDRESS}>" CACHE STRING "" FORCE)
endif()

# quillory_metainfo(OUTPUT HOMEPAGE SCREENSHOTS): the metainfo with the home page and the screenshots
# when given, without them otherwise.
function(quillory_metainfo output homepage screenshots)
    set(QUILLORY_METAINFO_LINKS "")
    if(homepage)
        string(APPEND QUILLORY_METAINFO_LINKS "  <url type=\"homepage\">${homepage}</url>\n")
    endif()
    if(screenshots)
        string(APPEND QUILLORY_METAINFO_LINKS
            "  <screenshots>\n"
            "    <screenshot type=\"default\">\n"
            "      <caption>The file list with the new names and the chain of rename actions</caption>\n"
            "      <image>${screenshots}/main-window-light.png</image>\n"
            "    </screenshot>\n"
            "    <screenshot>\n"
            "      <caption>Numbering files, with the new names shown as they are typed</caption>\n"
            "      <image>${screenshots}/numbering-editor-light.png</image>\n"
            "    </screenshot>\n"
            "  </screenshots>\n")
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/resources/com.halvane.Quillory.metainfo.xml.in ${output} @ONLY)
endfunction()
