#!/usr/bin/env bash
# The demo: installs what is missing, builds, starts the private server, loads the schema and the
# demo plant into database "tavrix", lays out an installation in demo/ and starts the program.
#   demo/Tavrix05.ini        suite settings pointing at the private server
#   demo/sqllog/             the monthly SQL logs
#   demo/pelmixi/            the program folder: binary, pelmixi.ini, stredi.sez, data/, pdf/
# Without a display the program runs under Xvfb and a screenshot of the main window is saved.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/build.sh"
"$ROOT/scripts/server.sh" start

DEMO="$ROOT/demo"
PROG="$DEMO/pelmixi"
DB=tavrix
client=(mariadb --no-defaults -h127.0.0.1 -P"$DB_PORT" -uroot)

"${client[@]}" -e "DROP DATABASE IF EXISTS $DB; CREATE DATABASE $DB CHARACTER SET cp1250"
"${client[@]}" --default-character-set=utf8mb4 "$DB" <"$ROOT/sql/schema.sql"
"${client[@]}" --default-character-set=utf8mb4 "$DB" <"$ROOT/sql/demo.sql"

mkdir -p "$PROG/data" "$PROG/pdf" "$DEMO/sqllog"
cp -f "$BUILD_DIR/src/app/pelmixi" "$PROG/pelmixi"

to1250() { iconv -f UTF-8 -t CP1250 | sed 's/$/\r/'; }

to1250 >"$DEMO/Tavrix05.ini" <<INI
[LogON]
IP=127.0.0.1
SQLport=$DB_PORT
Database=$DB
User=root
Password=
CisloPC=01
[Tavrix]
Password=
INI

if [ ! -f "$PROG/pelmixi.ini" ]; then
  to1250 >"$PROG/pelmixi.ini" <<INI
[TFmozno]
suiEdit1_Text=Jana Dvořáková
suiCheckBoxTestVerze_Checked=False
suiCheckBoxPotvrzovat_Checked=True
suiCheckBoxTnaKG_Checked=False
EditICO_Text=25678901
Editnazev_Text=Zemědělské družstvo Úvaly
Editsidlo_Text=Úvaly
Editulice_Text=Pražská 128
EditPSC_Text=250 82
Editposta_Text=Úvaly u Prahy
EditTelefon_Text=281 981 111
EditFax_Text=281 981 112
EditEmail_Text=michacka@zd-uvaly.cz
Editkdevysta_Text=Úvaly
JvDirectoryEdit1_Text=$PROG/receptury
[TForm1]
Label1_Caption=101
INI
fi
# The stock-card module (menu "Moduly" SK, "Zobrazit skl. kartu", "Historie partie") is a stand-in
# that records how it was started in demo/pelmixi/skarta-standin.log.
cp -f "$ROOT/tests/dbase/skarta-standin.sh" "$PROG/sk"
chmod +x "$PROG/sk"
mkdir -p "$PROG/receptury"
cp -f "$ROOT/tests/documents/recipes/nosnice.txt" "$PROG/receptury/"

"${client[@]}" -N "$DB" -e "select stred from strtopc order by stred" | to1250 >"$PROG/stredi.sez"

cd "$PROG"
if [ -n "${DISPLAY:-}" ]; then
  exec ./pelmixi "$@"
fi
shot="$DEMO/screenshot.png"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$RUN_DIR/xdg}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
rm -f "$shot"
PELMIXI_SCREENSHOT="$shot" xvfb-run -a -s "-screen 0 1600x1000x24" ./pelmixi "$@"
if [ -f "$shot" ]; then
  echo "Screenshot of the main window: $shot"
fi
