#!/usr/bin/env bash
# Runs the contract suite over the Win32 adapter under 32-bit Wine, in a throwaway
# prefix planted as the native machine is (tests/contract/native): an IDE optical drive
# at E:. The suite runs once per interface language: English, French, and German, which
# the program lacks (English expected).
#   tests/wine/contract.sh [build folder of the win32 preset, default build/win32]

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

root=$(cd "$WINE_LIB_DIR/../.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
exe="$build/bin/contract_tests.exe"
if [ ! -f "$exe" ]; then
    echo "contract: $exe is missing; build the win32 preset first" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlath-contract.XXXXXX")
finish() {
    wine_cleanup
    rm -rf "$work"
}
trap finish EXIT

# Console runs only: no window is shown, so no display is touched.
unset DISPLAY
export WINEPREFIX="$work/prefix"

started=$SECONDS
wine_new_prefix "$WINEPREFIX" "$build/wine-template"
wine_plant_drive ide e
wine_make_locales
echo "contract: prefix ready in $((SECONDS - started)) s"

failed=()
for language in en-US fr-FR de-DE; do
    echo "== contract tests under Wine, interface language $language =="
    run_started=$SECONDS
    locale="${language/-/_}.UTF-8"
    if ! LANG="$locale" LC_ALL="$locale" QUENLATH_UI_LANGUAGE="$language" \
        wine "$exe" --gtest_brief=1 --gtest_color=no; then
        failed+=("$language")
    fi
    echo "contract: $language took $((SECONDS - run_started)) s"
done
echo "contract: Wine part took $((SECONDS - started)) s"

if [ ${#failed[@]} -ne 0 ]; then
    echo "contract: failures under Wine in ${failed[*]}" >&2
    exit 1
fi
