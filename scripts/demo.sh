#!/usr/bin/env bash
# The demo: a fresh prefix, the plug-in registered in it, and what the host sees.
set -euo pipefail
cd "$(dirname "$0")/.."

export ORVANA_PREFIX="$PWD/.demo/prefix"
rm -rf "$ORVANA_PREFIX"
mkdir -p "$ORVANA_PREFIX"
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
echo "== The same as JSON"
"$host" info --json
