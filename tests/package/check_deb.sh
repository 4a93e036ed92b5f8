#!/usr/bin/env bash
# Builds the Debian package from a finished build, checks what it holds, extracts it into a
# throwaway root and starts the installed program there once, headless: it must make its
# program folder in the user's data folder, with the tables and the shipped files.
#   check_deb.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/kelvotrin_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single .deb in $work/out"
deb=${debs[0]}

# What it installs.
shipped=(helprus.doc helpeng.doc)
for dic in "$source"/data/dictionaries/*.dic; do
    [ -f "$dic" ] && shipped+=("$(basename "$dic")")
done
expected=(./usr/bin/kelvotrin
          ./usr/share/applications/kelvotrin.desktop
          ./usr/share/icons/hicolor/scalable/apps/kelvotrin.svg)
for name in "${shipped[@]}"; do
    expected+=("./usr/share/kelvotrin/$name")
done
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$listing" || fail "the package lacks $path"
done

# The linked Qt libraries come from dpkg-shlibdeps, the plugins from the fixed list.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6svg6 qt6-qpa-plugins; do
    grep -qw "$package" <<<"$depends" || fail "Depends lacks $package: $depends"
done
grep -qw 7zip <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "7zip is not recommended"

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/kelvotrin.desktop" ||
    fail "desktop-file-validate"

# One headless start in an empty user account; KELVOTRIN_EXIT_WHEN_SHOWN ends it once shown.
mkdir -p "$work/home" "$work/data" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
env -i PATH="$PATH" QT_QPA_PLATFORM=offscreen KELVOTRIN_EXIT_WHEN_SHOWN=1 \
    HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    XDG_RUNTIME_DIR="$work/runtime" \
    timeout 60 "$work/root/usr/bin/kelvotrin" >"$work/run.log" 2>&1 ||
    { cat "$work/run.log"; fail "the installed program did not end cleanly"; }
grep -q '^shown ' "$work/run.log" || { cat "$work/run.log"; fail "the window was not shown"; }

folder=$work/data/kelvotrin
for name in tasks.dbf tasksm.dbf tasksmt.dbf archers.dbf lang.txt; do
    [ -f "$folder/$name" ] || fail "the program folder lacks $name"
done
[ -d "$folder/Lists" ] || fail "the program folder lacks Lists/"
for name in "${shipped[@]}"; do
    cmp -s "$work/root/usr/share/kelvotrin/$name" "$folder/$name" ||
        fail "$name was not copied into the program folder"
done
[ "$(ls -A "$work/root/usr/bin")" = kelvotrin ] || fail "the program wrote beside its executable"
echo "package $(basename "$deb"): contents, menu entry and first start checked"
