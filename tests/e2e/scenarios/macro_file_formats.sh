#!/usr/bin/env bash
# Macro files from other editors load: UTF-16 with either byte order, UTF-8 with BOM, the ANSI
# code page without; LF, CR or CR LF line ends; short lines get empty cells, cells beyond the
# sixth are ignored and empty lines add no row.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
export LC_ALL=C.UTF-8  # English locale: "," separates the cells, code page 1252
e2e_begin macro_file_formats

dir="$APP_DIR/formats"
mkdir -p "$dir"
{ printf '\xFF\xFE'; printf '1,2,\xCE\xA9,,,\r\n' | iconv -f UTF-8 -t UTF-16LE; } >"$dir/utf16le.csv"
{ printf '\xFE\xFF'; printf '3,4,,X,,\r\n' | iconv -f UTF-8 -t UTF-16BE; } >"$dir/utf16be.csv"
printf '\xEF\xBB\xBF5,6,,,X,1\n7,8,XX,,,\n' >"$dir/utf8-lf.csv"
printf '9,10\r11,\xE9,X\r' >"$dir/ansi-cr.csv"
printf '\r\n13,14,,,,3,extra,more\r\n\r\n\n\r\r\n15,16,,,,' >"$dir/mixed.csv"
names=()
for f in utf16le utf16be utf8-lf ansi-cr mixed; do names+=("$(win_path "$dir/$f.csv")"); done

orv_start
drv drop "${names[@]}" -- wait-caption "mixed.csv - QUENZAL - Orvalin" 20000 >/dev/null ||
  e2e_mismatch "the caption does not name the last dropped file"
expect_controls <<'EOF_TABLE'
table kListView1     => 1,2,Ω,,,|3,4,,X,,|5,6,,,X,1|7,8,XX,,,|9,10,,,,|11,é,X,,,|13,14,,,,3|15,16,,,,
enabled kButtonPlay  => 1
EOF_TABLE

orv_stop
