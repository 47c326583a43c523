#!/usr/bin/env bash
# The portable archive as a user gets it: unpacked into a writable folder, the program starts,
# keeps its settings beside itself and finds its languages; the archive holds nothing else.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin dist_portable_zip

zips=("$(dirname "$ORV_EXE")"/dist/Orvalin-*-portable.zip)
[[ -f ${zips[0]} ]] || fail "no portable archive beside $ORV_EXE (the dist target makes it)"
zip_file=${zips[0]}
e2e_log "archive $zip_file"

expected=$( { echo orvalin.exe; echo license.txt;
              (cd "$(dirname "$ORV_EXE")" && find Languages -type f | LC_ALL=C sort); } )
listed=$(unzip -Z1 "$zip_file")
expect_eq "the archive's files, in order" "$expected" "$listed"

rm -f "$APP_DIR/orvalin.exe"
unzip -q "$zip_file" -d "$APP_DIR"
cmp -s "$APP_DIR/orvalin.exe" "$ORV_EXE" || e2e_mismatch "the archive's orvalin.exe is not the one built"

orv_start
expect_file_bytes "$APP_DIR/settings.ini" '\xEF\xBB\xBF[Settings]\r\nReplayDelay=1000\r\n\r\n'
expect_no_file "$APPDATA_DIR/QUENZAL/Orvalin/settings.ini"
orv_stop
