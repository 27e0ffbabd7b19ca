# SPDX-License-Identifier: MIT
# The Windows program as a zip to unpack and run: cpack -G ZIP in the build folder. Qt is linked as
# DLLs laid out beside the executable as windeployqt would lay them out, which keeps the LGPL's
# terms simple: a user can replace them.
install(TARGETS qvr-stopwatch RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
# Buttons drawn as the user's Windows version draws them, rather than as Windows 95 did.
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)

# MinGW's C++ runtime, which the executable and Qt link dynamically, from beside the compiler.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    install(FILES ${path} DESTINATION .)
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ${STOPWATCH_EXECUTABLE}-${STOPWATCH_DISPLAY_VERSION}-windows-x64)
