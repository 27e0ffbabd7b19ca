#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Compiles the Windows resource script with MinGW's windres, reads the result back, and checks the
# icon group and the version information Explorer shows.
#   check-windres.sh RESOURCE_SCRIPT NUMERIC_VERSION
# shellcheck source=tests/packaging/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
script=$1 version=$2
windres=x86_64-w64-mingw32-windres
need "$windres" cpp

# Windows' own headers are not here. Without these definitions VS_VERSION_INFO would silently
# become a string name and Windows would not find the version information.
mkdir "$work/include"
cat >"$work/include/winver.h" <<'HEADER'
#define VS_VERSION_INFO 1
#define VS_FFI_FILEFLAGSMASK 0x0000003FL
#define VOS_NT_WINDOWS32 0x00040004L
#define VFT_APP 0x00000001L
#define VFT2_UNKNOWN 0x00000000L
HEADER

"$windres" --preprocessor=cpp -I "$work/include" -O res -i "$script" -o "$work/program.res"
"$windres" -i "$work/program.res" -o "$work/readback.rc"
readback=$work/readback.rc

numeric=${version//./, }
shown=$(display_version "$version")
value() { grep -F "VALUE \"$1\", " "$readback" | sed 's/^[^,]*, //'; }

expect "version information is resource 1" has_line "$readback" "1 VERSIONINFO"
expect "FILEVERSION $numeric" contains "$readback" "FILEVERSION $numeric"
expect "PRODUCTVERSION $numeric" contains "$readback" "PRODUCTVERSION $numeric"
expect "a program for Windows NT" contains "$readback" "FILEOS 0x40004"
expect "an application" contains "$readback" "FILETYPE 0x1"
expect "US English strings" contains "$readback" 'BLOCK "040904B0"'
expect "US English translation" contains "$readback" 'VALUE "Translation", 0x409, 1200'
expect "resources in US English" contains "$readback" "LANGUAGE 9, 1"
expect "Comments is the program's purpose" same "$(value Comments)" "\"$purpose\""
expect "FileVersion $shown" same "$(value FileVersion)" "\"$shown\""
expect "ProductVersion $shown" same "$(value ProductVersion)" "\"$shown\""
expect "ProductName" same "$(value ProductName)" '"QVR Stopwatch"'
expect "FileDescription" same "$(value FileDescription)" '"QVR Stop Watch"'
expect "OriginalFilename" same "$(value OriginalFilename)" '"qvr-stopwatch.exe"'

# windres writes each icon group as its entries: "width height colours pad" in octal escapes.
expect "one icon group" same "$(grep -c 'RT_GROUP_ICON' "$readback")" 1
expect "icon group has two images" contains "$readback" "/* Has 2 elements.  */"
expect "32 x 32, 16 colours" contains "$readback" '"\040\040\020\000", 1, 4,'
expect "16 x 16, 16 colours" contains "$readback" '"\020\020\020\000", 1, 4,'
finish
