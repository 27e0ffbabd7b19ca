# SPDX-License-Identifier: MIT
# The program's names, purpose and release, kept here once for the code, the desktop files, the
# Windows resources and the Debian package.
set(STOPWATCH_APP_ID io.github.qvrstopwatch.QvrStopwatch)
set(STOPWATCH_EXECUTABLE qvr-stopwatch)
set(STOPWATCH_NAME "QVR Stop Watch")
set(STOPWATCH_PRODUCT_NAME "QVR Stopwatch")
set(STOPWATCH_SUMMARY "Time work on QVRs for accurate time sheets")
set(STOPWATCH_PURPOSE "Use this to keep track of the time elapsed during work on QVRs for the \
purpose of accurately completing time sheets.")
# The site that the application id's reverse domain names.
set(STOPWATCH_HOMEPAGE "https://qvrstopwatch.github.io/")
set(STOPWATCH_COPYRIGHT "Copyright (c) 2026 The QVR Stopwatch developers")
set(STOPWATCH_RELEASE_DATE 2026-12-08)

# Releases are shown as major.minor.revision with two digits of minor and four of revision
# (1.00.0006); the numeric version 1.0.0.6 carries the revision as its fourth part.
function(stopwatch_zero_pad out value width)
    string(LENGTH "${value}" length)
    math(EXPR missing "${width} - ${length}")
    set(zeros "")
    if(missing GREATER 0)
        string(REPEAT 0 ${missing} zeros)
    endif()
    set(${out} "${zeros}${value}" PARENT_SCOPE)
endfunction()
stopwatch_zero_pad(minor "${PROJECT_VERSION_MINOR}" 2)
stopwatch_zero_pad(revision "${PROJECT_VERSION_TWEAK}" 4)
set(STOPWATCH_DISPLAY_VERSION "${PROJECT_VERSION_MAJOR}.${minor}.${revision}")
unset(minor)
unset(revision)
