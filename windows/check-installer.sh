#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the MSI of windows/build.sh in a new Wine prefix, on a private X display: a silent install;
# the program started through its Start menu shortcut, its window, and Enter starting the timing;
# the Add/Remove Programs entry; a second install of the same MSI; the window at 150 % (LogPixels
# 144), with docs/screenshot-windows-150.png; a later version, signed with a throwaway certificate,
# replacing it and not replaced by the earlier one; and a silent uninstall, after which the
# prefix's files and registry are as they were before the install. Exits non-zero if any check
# fails.
# When QVR_STOPWATCH_EARLIER_MSI names an MSI of the same version made otherwise (the one made with
# Qt 6.4, say), that one is installed first, and the install must replace it: its files and its
# entries.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
earlier=${QVR_STOPWATCH_EARLIER_MSI:+$(realpath "$QVR_STOPWATCH_EARLIER_MSI")}

install_missing "$root/scripts/build-packages.txt" "$windows/packages.txt"
build_dir=$root/build/windows
name=$(cat "$build_dir/package-name" 2>/dev/null || true)
msi=$build_dir/$name.msi
[ -f "$msi" ] || { echo "No MSI in $build_dir: run scripts/build-windows.sh" >&2; exit 1; }

work=$(as_user mktemp -d)
export WINEPREFIX=$work/wine
start_desktop 1024x768
# Wine's server and the X server may have ended already: their failing to stop must not fail the
# check, which errexit would make it do from inside the trap.
trap 'as_wine_user "$wineserver" -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
echo "== $(basename "$msi") in a new Wine prefix"
make_wine_prefix >/dev/null 2>&1

win() { as_wine_user env DISPLAY="$DISPLAY" "$wine" "$@"; }
# Windows' exit status, of which Wine passes on the lowest byte.
status_of() {
    local status=0
    win "$@" >/dev/null 2>&1 || status=$?
    echo "$status"
}
program_dir=$WINEPREFIX/drive_c/'Program Files/QVR Stopwatch'
files() { (cd "$1" && find . -type f | LC_ALL=C sort); }
windows_exe='C:\Program Files\QVR Stopwatch\qvr-stopwatch.exe'

# The prefix as a listing of its files and an export of its registry, to compare after uninstall.
snapshot() {
    as_wine_user "$wineserver" --wait
    (cd "$WINEPREFIX/drive_c" && find . | LC_ALL=C sort) >"$work/$1.files"
    local hive
    for hive in HKLM HKCU; do
        win reg export "$hive" "Z:${work//\//\\}\\$1-$hive.reg" /y >/dev/null 2>&1
        # Each value on a line with its key, so that a difference names where it is.
        iconv -f UTF-16 -t UTF-8 "$work/$1-$hive.reg" | tr -d '\r' |
            awk '/^\[/ { key = $0; print key; next } NF { print key " " $0 }' >"$work/$1-$hive.txt"
    done
}

# One line for each Add/Remove Programs entry that names the program: whether Windows shows it,
# then its version, publisher and icon, tab-separated.
uninstall_entries() {
    win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' |
        awk -F '    ' -v OFS='\t' '
            function flush() {
                if (value["DisplayName"] == "QVR Stopwatch")
                    print value["SystemComponent"] == "0x1" ? "hidden" : "shown",
                          value["DisplayVersion"], value["Publisher"], value["DisplayIcon"]
            }
            /^HKEY_/ { flush(); delete value; next }
            NF >= 4 { value[$2] = $4 }
            END { flush() }'
}
shown() { uninstall_entries | awk -F '\t' -v OFS='\t' '$1 == "shown" { print $2, $3, $4 }'; }
hidden_versions() { uninstall_entries | awk -F '\t' '$1 == "hidden" { print $2 }'; }

# Starts the program through the shortcut and waits for its window.
# Workaround: without TZ, which Wine 10 would hand on from Unix, as on Windows, where the C runtime
# would read a Unix TZ in its own syntax (see check.sh).
start_from_shortcut() {
    as_wine_user env -u TZ DISPLAY="$DISPLAY" "$wine" start /unix "$1" >/dev/null 2>&1
    window=$(stopwatch_window)
    sleep 2
    # Workaround: looked up again, since at 150 % Qt 6.8 under Wine 10 replaces the first window it
    # shows (see stopwatch_window in lib.sh).
    window=$(stopwatch_window)
}
quit() {
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    xdotool key --window "$window" Tab Tab space # from Stop, past Clear, to Quit
    as_wine_user "$wineserver" --wait
}

snapshot before
check "the MSI at most 7.5 MiB ($(stat -c %s "$msi") bytes)" test "$(stat -c %s "$msi")" -le $((15 << 19))
if [ -n "$earlier" ]; then
    echo "  first $earlier, of the same version, made otherwise:"
    check "a silent install of the earlier MSI" \
        same "$(status_of msiexec /i "Z:${earlier//\//\\}" /qn)" 0
    echo "    its files: $(files "$program_dir" | sed 's|^\./||' | paste -sd ' ')"
    echo "    its Qt6Core.dll: $(strings -el "$program_dir/Qt6Core.dll" | grep -A1 -x FileVersion | tail -n 1)"
fi
check "a silent install" same "$(status_of msiexec /i "Z:${msi//\//\\}" /qn)" 0
check "the program in Program Files, in a folder of its own" test -f "$program_dir/qvr-stopwatch.exe"
check "every file of the zip installed, and no other" same "$(files "$program_dir")" \
    "$(files "$build_dir/stage/$name")"
# Workaround: Wine (8 and 10) files a per-machine install's shortcut under the user's Start menu,
# not the common one Windows uses, so it is looked for anywhere. Can go when Wine puts it in
# ProgramData\Microsoft\Windows\Start Menu; the search can then name that folder.
shortcuts=$(find "$WINEPREFIX/drive_c" -name 'QVR Stop Watch.lnk')
echo "  shortcut: ${shortcuts#"$WINEPREFIX/"}"
check "one Start menu shortcut, QVR Stop Watch" same "$(grep -c . <<<"$shortcuts")" 1
check "the shortcut points at the installed program" grep -qF "$windows_exe" \
    <(strings -a "$shortcuts"; strings -a -e l "$shortcuts")
check "the shortcut has the stopwatch icon" grep -q 'stopwatch\.ico$' \
    <(strings -a "$shortcuts"; strings -a -e l "$shortcuts")

start_from_shortcut "$shortcuts"
check "started from the shortcut, it shows its window" same "$(xdotool getwindowname "$window")" \
    "  QVR Stop Watch"
check "client area 472 x 404" same "$(client_size "$window")" 472x404
xdotool type --delay 80 'Acme'
xdotool key Return
sleep 1.5
check "Enter starts timing" same "$(xdotool getwindowname "$window")" \
    "Acme            Zembo's QVR Stopwatch "
quit

echo "  Add/Remove Programs:"
win reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' |
    sed -n '/QvrStopwatch\|{/,/^$/p' | sed 's/^/    /'
version=$(sed -n 's/.*define DisplayVersion="\(.*\)"?>.*/\1/p' "$build_dir/installer.wxi")
msi_version=$(sed -n 's/.*define MsiVersion="\(.*\)"?>.*/\1/p' "$build_dir/installer.wxi")
entry="$version	The QVR Stopwatch developers	$windows_exe,0"
check "one entry shown, with version $version, the publisher and the program's icon" \
    same "$(shown)" "$entry"
check "Windows Installer's own entry, version $msi_version, hidden" same "$(hidden_versions)" \
    "$msi_version"
check "the product icon (ARPPRODUCTICON) registered" grep -q 'ProductIcon.*stopwatch\.ico' \
    <(win reg query 'HKLM\Software\Classes\Installer\Products' /s | tr -d '\r')

check "a second install of the same MSI" same "$(status_of msiexec /i "Z:${msi//\//\\}" /qn)" 0
check "still one entry shown" same "$(shown)" "$entry"
check "still one Windows Installer entry" same "$(hidden_versions)" "$msi_version"

echo "== At 150 % (LogPixels 144)"
win reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
as_wine_user "$wineserver" -k
as_wine_user "$wineserver" --wait
start_from_shortcut "$shortcuts"
check "client area 708 x 606" same "$(client_size "$window")" 708x606
xdotool type --delay 80 'Acme'
xdotool key Return
sleep 2.5
as_user import -frame -window "$window" "$root/docs/screenshot-windows-150.png"
quit
win reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
as_wine_user "$wineserver" -k
as_wine_user "$wineserver" --wait

echo "== A later version, signed with a throwaway certificate"
later=$work/later
as_user mkdir "$later"
as_user openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=QVR Stopwatch test signing' \
    -addext extendedKeyUsage=codeSigning -keyout "$later/key.pem" -out "$later/cert.pem" 2>/dev/null
as_user openssl pkcs12 -export -inkey "$later/key.pem" -in "$later/cert.pem" \
    -out "$later/signing.pfx" -passout pass:throwaway
# The next revision, a product of its own, as the next release's build would make it.
next_msi=${msi_version%.*}.$((${msi_version##*.} + 1))
next_version=${version%.*}.$(printf '%04d' $((10#${version##*.} + 1)))
sed -e "s/\"$msi_version\"/\"$next_msi\"/" -e "s/\"$version\"/\"$next_version\"/" \
    "$build_dir/installer.wxi" | as_user tee "$later/installer.wxi" >/dev/null
QVR_STOPWATCH_SIGN_PFX=$later/signing.pfx QVR_STOPWATCH_SIGN_PASSWORD=throwaway \
    bash "$windows/package.sh" "$build_dir" "$later" "$later" | sed 's/^/  /'
later_msi=$later/$name.msi
for signed in "$later/stage/$name/qvr-stopwatch.exe" "$later_msi"; do
    check "osslsigncode verifies the signature of the $(basename "$signed" | sed 's/.*\.//')" \
        grep -q 'Signature verification: ok' \
        <(as_user osslsigncode verify -CAfile "$later/cert.pem" -in "$signed" 2>&1)
done
check "version $next_version over $version" \
    same "$(status_of msiexec /i "Z:${later_msi//\//\\}" /qn)" 0
check "one entry shown, with version $next_version" same "$(shown | cut -f1)" "$next_version"
check "one Windows Installer entry, version $next_msi" same "$(hidden_versions)" "$next_msi"
check "version $version does not replace $next_version" \
    test "$(status_of msiexec /i "Z:${msi//\//\\}" /qn)" -ne 0
check "still version $next_version" same "$(shown | cut -f1)" "$next_version"

echo "== A silent uninstall"
check "a silent uninstall" same "$(status_of msiexec /x "Z:${later_msi//\//\\}" /qn)" 0
snapshot after
check "no entry left" same "$(uninstall_entries)" ""
# Windows Installer's own cache folder, which every Windows has, is made by the first install.
check "no file, folder or shortcut left" same \
    "$(diff "$work/before.files" "$work/after.files" | grep -vx '> ./windows/Installer' | grep '^[<>]')" ""
# Left aside: the empty keys Windows Installer makes for itself at its first install (every Windows
# has them).
# Workaround: also left aside, the display adapters and monitors that Wine records afresh whenever
# its display driver starts (under CurrentControlSet in Wine 8's export, ControlSet001 in Wine
# 10's), and the hardware Wine 10 describes afresh at each start (HKLM\Hardware, the processors'
# speed), which Windows, too, makes anew at each boot. Can go when the two registry comparisons pass
# without the last two patterns below.
installer_keys='HKEY_LOCAL_MACHINE\\Software\\(Classes|Microsoft\\Windows\\CurrentVersion)\\Installer'
installer_keys+='(\\(Features|Products|UpgradeCodes|UserData(\\S-1-5-18(\\(Components|Products))?)?))?'
registry_changes() {
    diff "$work/before-$1.txt" "$work/after-$1.txt" | grep '^[<>]' |
        grep -Ev "^> \[$installer_keys\]$" |
        grep -Ev '^[<>] \[HKEY_LOCAL_MACHINE\\System\\(CurrentControlSet|ControlSet001)\\Control\\Class\\' |
        grep -v '^[<>] \[HKEY_LOCAL_MACHINE\\Hardware\\' || true
}
for hive in HKLM HKCU; do
    check "$hive as before" same "$(registry_changes $hive)" ""
done

verdict "installer"
