# SPDX-License-Identifier: MIT
# CPack makes the Windows zip (windows/package.cmake). The Debian package is made from the source
# package in packaging/debian, by scripts/build-debian.sh.
set(CPACK_PACKAGE_NAME ${STOPWATCH_EXECUTABLE})
set(CPACK_PACKAGE_VENDOR "The QVR Stopwatch developers")
set(CPACK_PACKAGE_CONTACT "QVR Stopwatch developers <qvr-stopwatch@example.org>")
# CPack's default keeps only three parts of the version.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stopwatch for timing work on QVRs for time sheets")
set(CPACK_STRIP_FILES ON)
if(WIN32)
    include(${PROJECT_SOURCE_DIR}/windows/package.cmake)
endif()

include(CPack)
