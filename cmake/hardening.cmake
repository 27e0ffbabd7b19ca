# SPDX-License-Identifier: MIT
# Optimised builds, those that make packages, are compiled and linked as Debian 12 builds its own
# packages on amd64 (what `dpkg-buildflags` gives), with stack clash and control-flow protection
# on top, and without the build's folders in what they produce. Debug builds keep full paths for
# the debugger, and _FORTIFY_SOURCE needs the optimiser anyway.
option(STOPWATCH_HARDENING "Harden optimised builds as Debian's own packages are" ON)
if(NOT STOPWATCH_HARDENING OR STOPWATCH_SANITIZE)
    return()
endif()

set(optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang" AND UNIX AND NOT APPLE)
    foreach(flag -fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat -Werror=format-security
                 -Wdate-time -fstack-clash-protection)
        add_compile_options("$<${optimised}:${flag}>")
    endforeach()
    # Intel's control-flow enforcement; compilers for other processors refuse the flag.
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i.86)$")
        add_compile_options("$<${optimised}:-fcf-protection>")
    endif()
    foreach(flag -Wl,-z,relro -Wl,-z,now)
        add_link_options("$<${optimised}:${flag}>")
    endforeach()
elseif(MINGW)
    # What MinGW-w64 offers of the same; both need its libssp, which the Windows package ships.
    # Address-space randomisation and no-execute data are the linker's defaults there.
    foreach(flag -fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat -Werror=format-security)
        add_compile_options("$<${optimised}:${flag}>")
    endforeach()
    add_link_options("$<${optimised}:-fstack-protector-strong>")
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    # GCC tries the mapping given last first, so a build folder inside the sources is mapped by
    # its own name.
    add_compile_options("$<${optimised}:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
                        "$<${optimised}:-ffile-prefix-map=${PROJECT_BINARY_DIR}=.>")
endif()
unset(optimised)
