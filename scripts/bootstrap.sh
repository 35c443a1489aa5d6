#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and the locales
# the tests switch to. Idempotent: when everything is present it only asks
# dpkg and `locale -a`, which takes well under a second.
set -euo pipefail

# Usage: bootstrap.sh [fuzz] [windows] [bench] [screens]. The optional groups add what
# `make fuzz` needs (clang and its runtime libraries, of which libFuzzer is one),
# what `make check-windows` needs (mingw-w64's compiler and Windows headers) and
# what `make bench` compares with (curl, exiv2, jpegtran, vipsthumbnail) and
# the X server the screenshots of real windows are taken under.
packages=(
    build-essential cmake ninja-build pkg-config locales
    libsqlite3-dev libxml2-dev libcurl4-openssl-dev libssl-dev libcpp-httplib-dev libjpeg62-turbo-dev libexiv2-dev libvips-dev libraw-dev liblcms2-dev libtiff-dev duktape-dev
    qt6-base-dev # the dialogs and the viewer host
    fonts-dejavu-core # the font the dialog tests pin, so sizes agree on every machine
    libgtest-dev libgmock-dev libbenchmark-dev
    media-types # /etc/mime.types: an upload's content type by extension
)
for group in "$@"; do
    case "$group" in
    fuzz) packages+=(clang libclang-rt-dev) ;;
    windows) packages+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev) ;;
    bench) packages+=(curl exiv2 libjpeg-turbo-progs libvips-tools) ;;
    screens) packages+=(xvfb xauth) ;;
    *)
        echo "bootstrap: unknown package group '$group' (known: fuzz, windows, bench, screens)" >&2
        exit 2
        ;;
    esac
done

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "bootstrap: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Only the number-format tests need these; the component itself uses whatever
# locale the user has. `locale -a` lists them as en_US.utf8 and so on.
test_locales=(en_US de_DE fr_FR)
available=$(locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]')
for name in "${test_locales[@]}"; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$name")
    grep -qxE "${lower}\.utf-?8" <<<"$available" && continue
    echo "bootstrap: generating locale $name.UTF-8"
    "${sudo[@]}" localedef -i "$name" -c -f UTF-8 -A /usr/share/locale/locale.alias "$name.UTF-8"
done
