#!/usr/bin/env bash
# The demo: a fresh prefix, the plug-in registered in it, what the host sees,
# and the service client talking to a local emulator of the service, reached
# through the proxy setting as a user behind a proxy reaches the real one.
set -euo pipefail
cd "$(dirname "$0")/.."

demo="$PWD/.demo"
export ORVANA_PREFIX="$demo/prefix"
rm -rf "$demo"
mkdir -p "$ORVANA_PREFIX" "$demo/service"
# Qt wants a private runtime directory of its own for the dialog step.
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$demo/runtime}"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
host=build/bin/orvana-host

echo "== Registering the plug-in (per user) in $ORVANA_PREFIX"
"$host" register
echo
echo "== Publishing plug-ins in the registry"
"$host" plugins
echo
echo "== What the plug-in reports"
"$host" info
echo
echo "== Preparation settings seeded into the plug-in's per-user key (typed sizes are made canonical on load)"
# JPEG files go up intact; RAW and TIFF files are converted, at most 1024 pixels, without GPS.
for setting in "JPEGMode 0" "RAWWriteGPS 0"; do
    "$host" settings set $setting >/dev/null
done
"$host" settings set RAWLongDimension "1024" --type string >/dev/null
"$host" settings show
echo

echo "== Starting the service emulator"
coproc EMULATOR { exec build/bin/zenfolio-emulator --port 0 --data "$demo/service"; }
trap 'kill "$EMULATOR_PID" 2>/dev/null || true; wait "$EMULATOR_PID" 2>/dev/null || true' EXIT
read -r address <&"${EMULATOR[0]}"
echo "emulator at $address; http_proxy points there"
export http_proxy="$address"
printf 'zenfolio-demo\n' > "$demo/password"

echo
echo "== The demo account's profile (login by challenge and response)"
"$host" service --user demo --password-file "$demo/password" profile
echo
echo "== Its group tree"
"$host" service --user demo --password-file "$demo/password" hierarchy
echo
echo "== A wrong password"
printf 'not-the-password\n' > "$demo/wrong"
"$host" service --user demo --password-file "$demo/wrong" profile || echo "(refused, as it should be)"

echo
echo "== The plug-in's credentials dialog, answered by script on the offscreen platform"
QT_QPA_PLATFORM=offscreen "$host" configure authorize --fill 205=demo --fill-file 206="$demo/password" --press 1
echo
echo "== The first gallery stored in the plug-in's state, as the settings would"
"$host" account
"$host" info | grep '^Display state'

echo
echo "== Pictures to publish"
build/bin/demo-pictures make "$demo/pictures"
find "$demo/pictures" -type f -printf '  %P\n' | sort

echo
echo "== Publishing them (Ctrl-C once stops after the current picture, twice aborts it)"
# Folders bring the pictures directly inside them.
"$host" publish "$demo/pictures" "$demo/pictures/day 1" "$demo/pictures/day 2"

echo
echo "== What the service received"
find "$demo/service" -type f ! -name '*.txt' -print0 | sort -z | xargs -0 build/bin/demo-pictures describe
