# SPDX-License-Identifier: MIT
# A Debian package of the installed tree: cpack -G DEB in the build folder. Windows has its own,
# in windows/.
include(GNUInstallDirs)

if(UNIX AND NOT APPLE)
    # Debian keeps the licence and the history here rather than a LICENSE file; a native
    # package's changelog is changelog.gz.
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
    find_program(GZIP_EXECUTABLE gzip)
    if(GZIP_EXECUTABLE)
        add_custom_command(OUTPUT changelog.gz
            COMMAND ${GZIP_EXECUTABLE} -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog
                    > changelog.gz
            DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
        add_custom_target(debian_changelog ALL DEPENDS changelog.gz)
        install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
    endif()
endif()

set(CPACK_PACKAGE_NAME ${STOPWATCH_EXECUTABLE})
set(CPACK_PACKAGE_VENDOR "The QVR Stopwatch developers")
set(CPACK_PACKAGE_CONTACT "QVR Stopwatch developers <qvr-stopwatch@example.org>")
# CPack's default keeps only three parts of the version.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stopwatch for timing work on QVRs for time sheets")
# Debian shows the extended description as it is laid out, in lines of at most 80 columns.
function(stopwatch_wrap out text)
    string(REPLACE " " ";" words "${text}")
    set(wrapped "")
    set(line "")
    foreach(word IN LISTS words)
        string(LENGTH "${line} ${word}" length)
        if(line STREQUAL "")
            set(line "${word}")
        elseif(length GREATER 79)
            string(APPEND wrapped "${line}\n")
            set(line "${word}")
        else()
            string(APPEND line " ${word}")
        endif()
    endforeach()
    set(${out} "${wrapped}${line}" PARENT_SCOPE)
endfunction()
stopwatch_wrap(deb_purpose "${STOPWATCH_PURPOSE}")
stopwatch_wrap(deb_details "The window shows the beginning time and, every second, the ending time \
and the total elapsed time. The count can be paused and continued, so that breaks are left out \
of the total.")
set(CPACK_PACKAGE_DESCRIPTION "${deb_purpose}\n\n${deb_details}")
set(CPACK_STRIP_FILES ON)
if(UNIX AND NOT APPLE)
    set(CPACK_GENERATOR DEB)
elseif(WIN32)
    include(${PROJECT_SOURCE_DIR}/windows/package.cmake)
endif()

set(CPACK_DEBIAN_PACKAGE_NAME ${STOPWATCH_EXECUTABLE})
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's faces are chosen by name at run time, out of sight of dpkg-shlibdeps. Debian 13
# moved the Liberation 2 faces from fonts-liberation2 into fonts-liberation.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation (>= 1:2.1) | fonts-liberation2")
# On a Wayland desktop Qt runs the program as a native client only with this plugin; without it,
# Qt falls back to X11 through XWayland, where there is one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
