# SPDX-License-Identifier: MIT
# Writes the MSI's file components from the program as cmake --install lays it out, so that the
# install rules (package.cmake) are the one list of the program's files: a change of Qt that adds or
# drops a DLL or a plugin touches no list here. windows/package.sh runs it before wixl:
#   cmake -DSTAGE=FOLDER -DWXI=installer.wxi -DOUTPUT=components.wxs -P components.cmake
# Every file but the executable, which qvr-stopwatch.wxs names itself for its shortcut and its
# Add/Remove Programs entry, becomes a component of its own in the group ProgramFiles. A component's
# GUID is derived from its installed path, so that the same file keeps its component from one build
# to the next. It also writes OUTPUT.product-code: the product code, derived from the version and
# every file's path and contents. The same files make the same product, which installing again
# leaves as it is; any other build of the same version (another Qt, another compiler) is another
# product, which replaces the one installed (qvr-stopwatch.wxs allows same-version upgrades).
foreach(variable STAGE WXI OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "usage: cmake -DSTAGE=... -DWXI=... -DOUTPUT=... -P components.cmake")
    endif()
endforeach()
function(wxi_value out name)
    file(STRINGS ${WXI} line REGEX "define ${name}=")
    string(REGEX REPLACE ".*define ${name}=\"([^\"]*)\".*" "\\1" value "${line}")
    if(value STREQUAL "")
        message(FATAL_ERROR "${WXI} defines no ${name}")
    endif()
    set(${out} ${value} PARENT_SCOPE)
endfunction()
file(REAL_PATH "${STAGE}" STAGE)
wxi_value(upgrade_code UpgradeCode)
wxi_value(msi_version MsiVersion)

# An identifier made of the characters Windows Installer allows, and no longer than it allows.
function(identifier out prefix path)
    string(REGEX REPLACE "[^A-Za-z0-9_.]" "_" id "${prefix}${path}")
    string(LENGTH "${id}" length)
    if(length GREATER 72)
        string(SHA1 hash "${path}")
        string(SUBSTRING "${prefix}${hash}" 0 41 id)
    endif()
    set(${out} ${id} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
list(SORT files)
list(REMOVE_ITEM files qvr-stopwatch.exe)
if(NOT files)
    message(FATAL_ERROR "${STAGE} holds no files beside the executable")
endif()

set(product "${msi_version}\n")
file(SHA256 ${STAGE}/qvr-stopwatch.exe hash)
string(APPEND product "qvr-stopwatch.exe ${hash}\n")
set(components "")
set(refs "")
set(open_dir "")
foreach(path IN LISTS files)
    get_filename_component(dir "${path}" DIRECTORY)
    get_filename_component(name "${path}" NAME)
    if(dir MATCHES "/")
        message(FATAL_ERROR "${path}: only one level of folders is written")
    endif()
    if(NOT dir STREQUAL open_dir)
        if(NOT open_dir STREQUAL "")
            string(APPEND components "      </Directory>\n")
        endif()
        if(NOT dir STREQUAL "")
            identifier(dir_id "dir_" "${dir}")
            string(APPEND components "      <Directory Id=\"${dir_id}\" Name=\"${dir}\">\n")
        endif()
        set(open_dir "${dir}")
    endif()
    identifier(id "file_" "${path}")
    string(REPLACE "/" "\\" windows_path "${path}")
    string(UUID guid NAMESPACE ${upgrade_code} NAME "[INSTALLDIR]${windows_path}" TYPE SHA1 UPPER)
    set(indent "      ")
    if(NOT dir STREQUAL "")
        set(indent "        ")
    endif()
    string(APPEND components
        "${indent}<Component Id=\"${id}\" Guid=\"${guid}\" Win64=\"yes\">\n"
        "${indent}  <File Id=\"${id}\" Source=\"$(var.StageDir)/${path}\" KeyPath=\"yes\"/>\n"
        "${indent}</Component>\n")
    string(APPEND refs "      <ComponentRef Id=\"${id}\"/>\n")
    file(SHA256 ${STAGE}/${path} hash)
    string(APPEND product "${path} ${hash}\n")
endforeach()
if(NOT open_dir STREQUAL "")
    string(APPEND components "      </Directory>\n")
endif()

file(WRITE ${OUTPUT} "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!-- Made by windows/components.cmake from the staged program, for qvr-stopwatch.wxs. -->
<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">
  <Fragment>
    <DirectoryRef Id=\"INSTALLDIR\">
${components}    </DirectoryRef>
    <ComponentGroup Id=\"ProgramFiles\">
${refs}    </ComponentGroup>
  </Fragment>
</Wix>
")
string(UUID product_code NAMESPACE ${upgrade_code} NAME "${product}" TYPE SHA1 UPPER)
file(WRITE ${OUTPUT}.product-code "${product_code}\n")
