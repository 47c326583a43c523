#!/usr/bin/env bash
# The installer as a user runs it silently: the program lands in the user's own programs folder
# with its Start-menu shortcut and its Apps & Features entry, starts from there, and the silent
# uninstall takes away what was installed and leaves the user's settings.ini.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin dist_installer

setups=("$(dirname "$ORV_EXE")"/dist/Orvalin-*-setup.exe)
[[ -f ${setups[0]} ]] || fail "no installer beside $ORV_EXE (the dist target makes it with NSIS)"
setup=${setups[0]}
version=$(basename "$setup" | sed -E 's/^Orvalin-(.*)-setup\.exe$/\1/')
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvalin'
reg_value() {  # reg_value NAME: the value's data, or nothing
  wine reg query "$key" /v "$1" 2>/dev/null 9>&- | tr -d '\r' |
    sed -nE "s/^ +$1 +REG_[A-Z_]+ +(.*)$/\1/p"
}
wine reg delete "$key" /f >/dev/null 2>&1 9>&- || true

wine "$setup" /S >>"$E2E_LOG" 2>&1 9>&- || fail "the silent install ended with status $?"
expect_eq "DisplayVersion" "$version" "$(reg_value DisplayVersion)"
expect_eq "Publisher" "QUENZAL" "$(reg_value Publisher)"
expect_eq "NoModify" "0x1" "$(reg_value NoModify)"
location=$(reg_value InstallLocation)
[[ $location == *\\Programs\\Orvalin ]] || fail "installed per user under Programs, not at '$location'"
install_dir=$(winepath -u "$location" 2>/dev/null 9>&- | tr -d '\r')
install_dir=${install_dir%/}
for f in orvalin.exe license.txt uninstall.exe Languages/LanguageCodes.csv Languages/German.lang.txt; do
  expect_file "$install_dir/$f"
done
cmp -s "$install_dir/orvalin.exe" "$ORV_EXE" || e2e_mismatch "the installed orvalin.exe is not the one built"

# The Start-menu shortcut points at the installed program.
links=("$APPDATA_DIR"/Microsoft/Windows/Start\ Menu/Programs/Orvalin.lnk)
[[ -f ${links[0]} ]] || fail "no Start-menu shortcut at ${links[0]}"
lnk_text=$(strings "${links[0]}"; strings -el "${links[0]}")
target="${location}\\orvalin.exe"
[[ ${lnk_text,,} == *"${target,,}"* ]] ||
  e2e_mismatch "the Start-menu shortcut does not point at ${location}\\orvalin.exe"

# Started from there, it shows its window and keeps its settings beside itself.
APP_DIR=$install_dir
orv_start
# Installing over the running program gives up cleanly (exit code 2) instead of half-way.
status=0
wine "$setup" /S >>"$E2E_LOG" 2>&1 9>&- || status=$?
expect_eq "the silent install over a running Orvalin" 2 "$status"
cmp -s "$install_dir/orvalin.exe" "$ORV_EXE" || e2e_mismatch "the install over a running Orvalin changed its files"
orv_stop
expect_file "$install_dir/settings.ini"
echo "user data" >"$install_dir/my macro.csv"
# A language file of the user's own, beside the installed ones, is not the installer's to remove.
echo "; mine" >"$install_dir/Languages/Mine.lang.txt"

wine "$install_dir/uninstall.exe" /S >>"$E2E_LOG" 2>&1 9>&- || fail "the silent uninstall ended with status $?"
# The uninstaller runs on from a copy of itself in the temporary folder.
wait_until 30 eval '[[ ! -e $install_dir/uninstall.exe ]]' || fail "the uninstaller did not remove itself"
for f in orvalin.exe license.txt Languages/German.lang.txt Languages/LanguageCodes.csv; do
  expect_no_file "$install_dir/$f"
done
expect_file "$install_dir/Languages/Mine.lang.txt"
expect_no_file "${links[0]}"
expect_file "$install_dir/settings.ini"
expect_file "$install_dir/my macro.csv"
expect_eq "the uninstall entry after uninstalling" "" "$(reg_value DisplayVersion)"
