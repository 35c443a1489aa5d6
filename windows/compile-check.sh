#!/usr/bin/env bash
# Compiles the component's layers and the kit they call with mingw-w64 against
# the real Windows headers: object files only, no link yet. The layer's own
# stand-ins for system services are not part of it; on Windows the system
# provides them. Usage: windows/compile-check.sh [BUILD_DIR]
set -euo pipefail
shopt -s nullglob
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-windows}
cxx=${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
command -v "$cxx" >/dev/null || { echo "windows compile check: $cxx not found (run scripts/bootstrap.sh)" >&2; exit 1; }
launcher=()
command -v ccache >/dev/null && launcher=(ccache)

libraries=(contract service imaging settings ui publisher module)
includes=(-I"$root/windows/include" -I"$root/src/pal/include")
for lib in "${libraries[@]}"; do includes+=(-I"$root/src/$lib/include"); done

# The type library's description is for platforms without a type library
# compiler; Windows builds take the compiled library. Likewise the media-type
# table: Windows has file types in its registry.
sources=()
for lib in "${libraries[@]}"; do
    for file in "$root"/src/"$lib"/*.cpp; do
        [[ $(basename "$file") == type_library.cpp ]] || sources+=("$file")
    done
done
sources+=("$root"/src/pal/kit/*.cpp)
# Every public header compiles on its own, whatever was included before it.
headers=("$root"/src/pal/include/pal/*.h)
for lib in "${libraries[@]}"; do headers+=("$root"/src/"$lib"/include/"$lib"/*.h); done
for header in "${headers[@]}"; do
    case $(basename "$header") in
    type_library_description.h | media_types.h) ;;
    *) sources+=("$header") ;;
    esac
done

flags=(-std=c++20 -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0A00
       -Wall -Wextra -Werror -O0 -include "$root/windows/include/sdk_additions.h")
mkdir -p "$out"
compile() {
    local file=$1 what
    if [[ $file == *.h ]]; then
        what=(-fsyntax-only -x c++ -include "$file" /dev/null)
    else
        # Internals of a library are included by bare name from beside its sources.
        what=(-I"$(dirname "$file")" -c "$file" -o "$out/$(realpath --relative-to="$root/src" "$file" | tr / _).obj")
    fi
    if ! "${launcher[@]}" "$cxx" "${flags[@]}" "${includes[@]}" "${what[@]}"; then
        echo "windows compile check: FAILED $file" >&2
        return 1
    fi
}
jobs=${JOBS:-$(nproc)}
failed=0
running=0
for file in "${sources[@]}"; do
    compile "$file" &
    if (( ++running >= jobs )); then
        wait -n || failed=$((failed + 1))
        running=$((running - 1))
    fi
done
while (( running > 0 )); do
    wait -n || failed=$((failed + 1))
    running=$((running - 1))
done
echo "windows compile check: $(( ${#sources[@]} - failed )) of ${#sources[@]} sources and headers compiled"
[[ $failed -eq 0 ]]
