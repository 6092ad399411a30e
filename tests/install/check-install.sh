#!/usr/bin/env bash
# Installs the build into a scratch folder and checks what a desktop needs:
# programs, desktop entry, icons, metainfo, man pages and udev rule.
# Usage: check-install.sh BUILD_DIR VERSION RELEASE_DATE
set -euo pipefail
build=$1
version=$2
release_date=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null

fail() { echo "check-install: $*" >&2; exit 1; }
root="$stage/usr"
id=com.tandrel.BrivoEditor
for f in bin/brivo-editor bin/brivo-virtual-pedal bin/brivo-cli share/applications/$id.desktop \
         share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
         share/man/man1/brivo-editor.1 share/man/man1/brivo-virtual-pedal.1 \
         share/man/man1/brivo-cli.1; do
  [ -s "$root/$f" ] || fail "missing $f"
done
for size in 16 24 32 48 64 128 256; do
  png="$root/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -s "$png" ] || fail "missing the ${size}px icon"
  # PNG signature and width in the IHDR chunk.
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
  [ "$(od -An -tu1 -j 16 -N 4 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4}')" = "$size" ] \
    || fail "$png is not ${size}px wide"
done

desktop="$root/share/applications/$id.desktop"
grep -qx 'Categories=AudioVideo;Audio;Music;' "$desktop" || fail "desktop entry categories"
grep -qx "Icon=$id" "$desktop" || fail "desktop entry icon"
grep -qx 'Exec=brivo-editor' "$desktop" || fail "desktop entry command"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi

metainfo="$root/share/metainfo/$id.metainfo.xml"
# The newest release, the first listed, is this version on its day.
top_release=$(grep -m1 -o '<release [^>]*>' "$metainfo" || true)
grep -q "^<release version=\"$version\" date=\"$release_date\"" <<<"$top_release" \
  || fail "metainfo's newest release is '$top_release', not $version of $release_date"
# Software centres would offer the editor for every device on this common bridge.
if grep -q '<modalias>' "$metainfo"; then fail "metainfo claims devices by modalias"; fi
if command -v appstream-util >/dev/null; then
  appstream-util validate-strict --nonet "$metainfo" >/dev/null \
    || fail "metainfo does not validate strictly: $(appstream-util validate-strict --nonet "$metainfo")"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >/dev/null || fail "metainfo does not validate"
fi

# The man pages carry the release's month and year.
months=(January February March April May June July August September October November December)
man_date="${months[$((10#${release_date:5:2} - 1))]} ${release_date:0:4}"
for page in brivo-editor brivo-virtual-pedal brivo-cli; do
  head -1 "$root/share/man/man1/$page.1" | grep -q "\"$man_date\" \"Brivo Editor $version\"" \
    || fail "$page.1 is not dated $man_date for $version"
  if command -v groff >/dev/null; then
    warnings=$(groff -man -ww -z "$root/share/man/man1/$page.1" 2>&1)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
  fi
done

# The rule goes where udev reads it: the packages' folder, or the
# administrator's when the prefix is not /usr. The uaccess tag works only
# before systemd's 73-seat-late.rules.
rules=$(ls "$root"/lib/udev/rules.d/*brivo*.rules "$stage"/etc/udev/rules.d/*brivo*.rules 2>/dev/null || true)
[ -n "$rules" ] || fail "missing the udev rule"
for rule in $rules; do
  number=$(basename "$rule" | cut -d- -f1)
  if grep -q uaccess "$rule" && [ "$number" -ge 73 ]; then fail "$rule comes too late for uaccess"; fi
done

# Answered with no display at all, as over ssh or in a package script.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
out=$("${nodisplay[@]}" "$root/bin/brivo-editor" --version)
[ "$out" = "brivo-editor $version" ] || fail "--version printed '$out'"
help=$("${nodisplay[@]}" "$root/bin/brivo-editor" --help)
for option in --help --version --virtual-pedal --virtual-pedal-bootloader --driver --port \
  --version-check-site; do
  grep -q -- "$option" <<<"$help" || fail "--help does not list $option"
  grep -q -- "${option//-/\\\\-}" "$root/share/man/man1/brivo-editor.1" || fail "man page lacks $option"
done
pedal_help=$("$root/bin/brivo-virtual-pedal" --help)
for option in $(grep -o -- '--[a-z-]*' <<<"$pedal_help" | sort -u); do
  grep -q -- "${option//-/\\\\-}" "$root/share/man/man1/brivo-virtual-pedal.1" \
    || fail "brivo-virtual-pedal.1 lacks $option"
done
# The command-line tool: no display needed, every option in its man page.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/brivo-cli" --version)
[ "$out" = "brivo-cli $version" ] || fail "brivo-cli --version printed '$out'"
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/brivo-cli" --help)
for option in --help --version --verbose --json --raw --effect --virtual-pedal \
  --virtual-pedal-bootloader --driver --port; do
  grep -q -- "$option" <<<"$help" || fail "brivo-cli --help does not list $option"
  grep -q -- "${option//-/\\\\-}" "$root/share/man/man1/brivo-cli.1" || fail "brivo-cli man page lacks $option"
done
for command in list effects params identify upload status set store config ir firmware; do
  grep -q "^  $command" <<<"$help" || fail "brivo-cli --help does not list $command"
  grep -q "$command" "$root/share/man/man1/brivo-cli.1" || fail "brivo-cli man page lacks $command"
done
echo "check-install: all in place"
