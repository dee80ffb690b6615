#!/usr/bin/env bash
# Builds Morvessa.exe, Quenlath-setup.exe and SHA256SUMS twice, in build/repro-a and
# build/repro-b, each from its own copy of the sources (the files git tracks and new ones
# it does not ignore, dated at the copy), one after the other, and checks that both builds
# give the same bytes and that SHA256SUMS holds their hashes. Prints the hashes, or the
# first byte where each file differs.
#   tests/reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build() { # folder
    rm -rf "$1" && mkdir -p "$1/src"
    git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -C "$1/src" -mxf -
    cmake -S "$1/src" -B "$1/build" --toolchain "$PWD/$1/src/cmake/i686-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DQUENLATH_TESTS=OFF >/dev/null
    cmake --build "$1/build" -j "$(nproc)" >/dev/null
}

build build/repro-a
build build/repro-b
status=0
for file in Morvessa.exe Quenlath-setup.exe SHA256SUMS; do
    cmp build/repro-{a,b}/build/bin/$file || status=1
done
(cd build/repro-a/build/bin && sha256sum --check --quiet SHA256SUMS) || status=1
[ "$status" = 1 ] || { sed 's/^/    /' build/repro-a/build/bin/SHA256SUMS; echo "reproducible: both builds are byte-identical"; }
exit "$status"
