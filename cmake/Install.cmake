# SPDX-License-Identifier: GPL-3.0-or-later
# Where `cmake --install` puts Quillory, and the .deb that CPack builds from the same rules.
# Included at the end of the top-level CMakeLists, once every target exists.
include(GNUInstallDirs)
# `install` and `package` take what is built; scripts/package.sh builds what they need first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(QUILLORY_APP_ID com.halvane.Quillory)

install(TARGETS quillory-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The programs start it from ../libexec/quillory/ beside their own folder (MetadataWorkerPool).
install(TARGETS quillory-metadata-worker RUNTIME DESTINATION ${QUILLORY_INSTALL_WORKERDIR})

# Man pages go in compressed, as man and the Debian policy expect.
file(GLOB QUILLORY_MAN_PAGES ${PROJECT_SOURCE_DIR}/docs/*.1)
foreach(page IN LISTS QUILLORY_MAN_PAGES)
    get_filename_component(name ${page} NAME)
    if(name STREQUAL "quillory.1" AND NOT TARGET quillory)
        continue()
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${page})
    file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
    # Best compression and no time stamp, as Debian wants them.
    execute_process(COMMAND gzip -9nc ${page} OUTPUT_FILE ${PROJECT_BINARY_DIR}/man/${name}.gz
                    COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${PROJECT_BINARY_DIR}/man/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
# Shell completions for quillory-cli, those the source tree has. Adding them changes the folder, which
# configures the build again.
set(QUILLORY_COMPLETIONS ${PROJECT_SOURCE_DIR}/packaging/completions)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging)
if(EXISTS ${QUILLORY_COMPLETIONS})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUILLORY_COMPLETIONS})
endif()
if(EXISTS ${QUILLORY_COMPLETIONS}/quillory-cli)
    install(FILES ${QUILLORY_COMPLETIONS}/quillory-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()
if(EXISTS ${QUILLORY_COMPLETIONS}/_quillory-cli)
    install(FILES ${QUILLORY_COMPLETIONS}/_quillory-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
endif()
if(EXISTS ${QUILLORY_COMPLETIONS}/quillory-cli.fish)
    install(FILES ${QUILLORY_COMPLETIONS}/quillory-cli.fish
            DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
endif()

# The recipe type and the metainfo describe the program whether or not the desktop app is built.
install(FILES ${PROJECT_SOURCE_DIR}/resources/${QUILLORY_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${QUILLORY_APP_ID}.xml)
set(QUILLORY_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quillory)
# The changelog a native Debian package carries: this version, by whoever built it.
string(TIMESTAMP QUILLORY_BUILD_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${PROJECT_BINARY_DIR}/changelog
     "quillory (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
     "  * Quillory ${PROJECT_VERSION}.\n\n"
     " -- ${QUILLORY_CONTACT}  ${QUILLORY_BUILD_DATE}\n")
execute_process(COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/changelog OUTPUT_FILE ${PROJECT_BINARY_DIR}/changelog.gz
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${QUILLORY_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/NOTICE ${PROJECT_SOURCE_DIR}/docs/dbus.md
              ${PROJECT_SOURCE_DIR}/docs/file-managers.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${QUILLORY_DOC_DIR})

# The desktop app and everything that starts it: desktop entry, icon, metainfo, D-Bus activation and
# the file managers' "Rename with Quillory".
if(TARGET quillory)
    install(TARGETS quillory RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/resources/${QUILLORY_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${QUILLORY_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    quillory_metainfo(${PROJECT_BINARY_DIR}/resources/${QUILLORY_APP_ID}.metainfo.xml "${QUILLORY_HOMEPAGE_URL}"
                      "${QUILLORY_SCREENSHOTS_URL}")
    install(FILES ${PROJECT_BINARY_DIR}/resources/${QUILLORY_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    # The bus starts the binary by its full path, known only at install time (--prefix, CPack).
    install(CODE "
        set(QUILLORY_INSTALLED_BINARY \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quillory\")
        set(service \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/dbus-1/services/${QUILLORY_APP_ID}.service\")
        message(STATUS \"Installing: \${service}\")
        configure_file(\"${PROJECT_SOURCE_DIR}/resources/${QUILLORY_APP_ID}.service.in\" \"\${service}\" @ONLY)")
    install(FILES ${PROJECT_SOURCE_DIR}/resources/filemanager/quillory-rename.dolphin.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus RENAME quillory-rename.desktop)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/filemanager/quillory-rename.nemo_action
            DESTINATION ${CMAKE_INSTALL_DATADIR}/nemo/actions)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/filemanager/quillory-rename.py
            DESTINATION ${CMAKE_INSTALL_DATADIR}/nautilus-python/extensions)
endif()

# .deb: dependencies come from dpkg-shlibdeps; the desktop, icon and MIME caches are refreshed by the
# triggers of desktop-file-utils, hicolor-icon-theme and shared-mime-info.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillory)
set(CPACK_PACKAGE_VENDOR Halvane)
set(CPACK_PACKAGE_CONTACT "${QUILLORY_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch file renamer with a live preview")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillory renames many files and folders at once: a chain of rename actions computes every new name, every name is checked before anything happens, and nothing is ever overwritten. Includes the desktop app and quillory-cli.")
# No Homepage field without a home page.
if(QUILLORY_HOMEPAGE_URL)
    set(CPACK_PACKAGE_HOMEPAGE_URL ${QUILLORY_HOMEPAGE_URL})
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUILLORY_HOMEPAGE_URL})
endif()
set(CPACK_STRIP_FILES ON)
# Install with DESTDIR so that the prefix seen at install time is the package's own.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time for looking places up online, so not among the linked libraries shlibdeps finds.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcurl4")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)
