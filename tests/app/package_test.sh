#!/usr/bin/env bash
# Builds the Debian package from the build folder into a temporary folder and
# checks it: control fields, dependencies worked out from the linked
# libraries, the file list, the maintainer scripts, the launcher link and the
# menu entry, the manual page, the hardening of the program, and that lintian
# reports no error and nothing about hardening.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/lanhe-designer_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one lanhe-designer_<version>_<arch>.deb, got: $(ls "$work/out")"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "lanhe-designer_${version}_${arch}.deb" ] || fail "file name $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = lanhe-designer ] || fail "Package: $(field Package)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = graphics ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
# Worked out from the program's libraries, and what it loads at run time.
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libqt6multimedia6 libqt6dbus6 libc6 libstdc++6 \
           qt6-qpa-plugins qt6-wayland libqt6sql6-sqlite gstreamer1.0-plugins-good fonts-noto-cjk; do
  tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qxF "$dep" || fail "Depends lacks $dep: $depends"
done

# The files, exactly; the password file is made by postinst, not shipped.
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sort >"$work/files"
cat >"$work/expected" <<'LIST'
./usr/bin/lanhe-designer
./usr/lib/lanhe-designer/lanhe-designer
./usr/lib/lanhe-designer/生日快乐.mp3
./usr/share/applications/lanhe-designer.desktop
./usr/share/doc/lanhe-designer/changelog.gz
./usr/share/doc/lanhe-designer/copyright
./usr/share/icons/hicolor/64x64/apps/lanhe-designer.png
./usr/share/man/man1/lanhe-designer.1.gz
LIST
sort -o "$work/expected" "$work/expected"
diff -u "$work/expected" "$work/files" || fail "file list differs"

# The launcher is a relative link to the program, which is stripped and runs
# on this machine's architecture; the menu entry starts the launcher.
dpkg-deb -x "$deb" "$work/root"
[ "$(readlink "$work/root/usr/bin/lanhe-designer")" = ../lib/lanhe-designer/lanhe-designer ] || fail "launcher link"
[ -x "$work/root/usr/lib/lanhe-designer/lanhe-designer" ] || fail "program not executable"
file -L "$work/root/usr/bin/lanhe-designer" | grep -q "stripped" || fail "program not an executable"
file -L "$work/root/usr/bin/lanhe-designer" | grep -q "not stripped" && fail "program not stripped"
desktop-file-validate "$work/root/usr/share/applications/lanhe-designer.desktop" || fail "menu entry invalid"
grep -qx 'Exec="/usr/bin/lanhe-designer"' "$work/root/usr/share/applications/lanhe-designer.desktop" || fail "menu command"
# Found by what the user types into the menu's search, in English and Chinese.
for key in 'Keywords=' 'Keywords\[zh_CN\]='; do
  grep -q "^$key.*;" "$work/root/usr/share/applications/lanhe-designer.desktop" || fail "menu entry lacks $key"
done

# The manual page says where the gallery lives and what a design file is
# (tests/forms checks that it names every key of the program's key table).
man=$(zcat "$work/root/usr/share/man/man1/lanhe-designer.1.gz")
for said in 'local/share/lanhe-designer/gallery.sqlite' '\.lhd' 'Ctrl+D' 'Ctrl+L'; do
  grep -q -- "$said" <<<"$man" || fail "manual page does not say $said"
done

# Built with Debian's hardening: relocations read-only after start (RELRO,
# BIND_NOW), checked string and memory calls, a stack protector.
program="$work/root/usr/lib/lanhe-designer/lanhe-designer"
# (Read whole first: grep -q leaving early would fail the pipe.)
headers=$(readelf -lW "$program"); dynamic=$(readelf -dW "$program"); symbols=$(readelf --dyn-syms -W "$program")
# The sanitizer build leaves these flags out on purpose (LH_SANITIZED).
hardened=1
[ "${LH_SANITIZED:-0}" = 1 ] && hardened=0
if [ "$hardened" = 1 ]; then
  grep -q GNU_RELRO <<<"$headers" || fail "program without RELRO"
  grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' <<<"$dynamic" || fail "program without BIND_NOW"
  grep -Eq ' __[a-z_]+_chk(@|$)' <<<"$symbols" || fail "program without fortified calls"
  grep -q ' __stack_chk_fail' <<<"$symbols" || fail "program without a stack protector"
fi

# postinst makes the empty password file once and keeps an existing one;
# postrm removes it on purge. Run against a scratch copy of the program folder.
dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || fail "$script missing"
  sed "s|/usr/lib/lanhe-designer|$work/root/usr/lib/lanhe-designer|g" "$work/control/$script" >"$work/$script"
done
sh "$work/postinst" configure
[ "$(od -An -tx1 "$work/root/usr/lib/lanhe-designer/zrvcom.cct" | tr -d ' \n')" = 22220d0a ] || fail "postinst password file"
printf '"x"\r\n' >"$work/root/usr/lib/lanhe-designer/zrvcom.cct"
sh "$work/postinst" configure
grep -q x "$work/root/usr/lib/lanhe-designer/zrvcom.cct" || fail "postinst replaced an existing password file"
sh "$work/postrm" remove
[ -e "$work/root/usr/lib/lanhe-designer/zrvcom.cct" ] || fail "postrm remove took the password file"
sh "$work/postrm" purge
[ ! -e "$work/root/usr/lib/lanhe-designer/zrvcom.cct" ] || fail "postrm purge kept the password file"

# lintian, pedantic: no error and nothing about hardening (the rest is listed in the log).
lintian --allow-root --pedantic "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
if grep -q '^E:' "$work/lintian.log"; then fail "lintian reports errors"; fi
if [ "$hardened" = 1 ] && grep -q 'hardening-' "$work/lintian.log"; then fail "lintian reports missing hardening"; fi
echo "package_test: $(basename "$deb") passed"
