# SPDX-License-Identifier: MIT
# What the Windows program is made of, for windows/package.sh to zip and to turn into an MSI:
# cmake --install lays it out. Qt is linked as DLLs beside the executable, as windeployqt would lay
# them out, which keeps the LGPL's terms simple: a user can replace them.
install(TARGETS qvr-stopwatch RUNTIME DESTINATION .)

# Qt's DLLs and plugins and MinGW's C++ runtime, copied without their symbols and debugging
# information, which no user's machine reads: that halves what the user downloads.
set(runtime_dlls "")
function(stopwatch_stripped_dll source destination)
    get_filename_component(name ${source} NAME)
    set(stripped ${CMAKE_BINARY_DIR}/stripped/${destination}/${name})
    add_custom_command(OUTPUT ${stripped}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/stripped/${destination}
        COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${stripped} ${source}
        DEPENDS ${source} VERBATIM)
    set(runtime_dlls ${runtime_dlls} ${stripped} PARENT_SCOPE)
    install(FILES ${stripped} DESTINATION ${destination})
endfunction()

function(stopwatch_stripped_qt target destination)
    get_target_property(path ${target} LOCATION)
    stopwatch_stripped_dll(${path} ${destination})
    set(runtime_dlls ${runtime_dlls} PARENT_SCOPE)
endfunction()
foreach(module Core Gui Widgets)
    stopwatch_stripped_qt(Qt6::${module} .)
endforeach()
stopwatch_stripped_qt(Qt6::QWindowsIntegrationPlugin platforms)
# Buttons drawn as the user's Windows version draws them, rather than as Windows 95 did: Qt 6.7's
# modern Windows styles, windows11 on Windows 11 (which follows dark mode) and windowsvista before.
if(NOT TARGET Qt6::QModernWindowsStylePlugin)
    message(FATAL_ERROR "Qt ${Qt6_VERSION} has no modern Windows style plugin (qmodernwindowsstyle); \
the Windows build needs Qt 6.7 or later")
endif()
stopwatch_stripped_qt(Qt6::QModernWindowsStylePlugin styles)
# MinGW's C++ runtime, which the executable and Qt link dynamically, from beside the compiler, and
# its stack and buffer checks, which a hardened build calls.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll libssp-0.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    stopwatch_stripped_dll(${path} .)
endforeach()
add_custom_target(stripped_dlls ALL DEPENDS ${runtime_dlls})

# The installer's names and numbers. Windows Installer compares only three numbers, each field
# numerically: 1.00.0006 becomes 1.0.6, so 1.00.0010 comes after 1.00.0009 and before 1.01.0000.
# A release with a patch number would not be told apart from one without.
if(NOT PROJECT_VERSION_PATCH EQUAL 0)
    message(FATAL_ERROR "The release ${PROJECT_VERSION} has no place in the version shown, \
${STOPWATCH_DISPLAY_VERSION}, nor in the installer's")
endif()
set(STOPWATCH_MSI_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_TWEAK}")
# One for every version of the program ever installed, so that a later version finds and replaces
# an earlier one. The product code is derived from the version and the files (components.cmake).
set(STOPWATCH_UPGRADE_CODE 90B0C4A6-55CB-4986-A640-A6E91B61958A)
set(STOPWATCH_PACKAGE_NAME ${STOPWATCH_EXECUTABLE}-${STOPWATCH_DISPLAY_VERSION}-windows-x64)
configure_file(${CMAKE_CURRENT_LIST_DIR}/installer.wxi.in installer.wxi @ONLY)
file(WRITE ${CMAKE_BINARY_DIR}/package-name "${STOPWATCH_PACKAGE_NAME}\n")
# cpack -G ZIP makes the same zip, unsigned.
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ${STOPWATCH_PACKAGE_NAME})
