#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks the desktop files with the freedesktop tools and
# runs the installed thumbnailer's command line as a file manager would, with no display.
# Usage: check_install.sh BUILD_DIR DOCUMENT.PLV
set -euo pipefail
build=$1 doc=$2
prefix=$(mktemp -d /tmp/palvorin-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
id=org.palvorin.Palvorin
for f in bin/palvorin bin/palvorin-export share/palvorin/palvorin.html \
         share/palvorin/messages_ITA.prop share/palvorin/messages_DEU.prop \
         share/palvorin/examples/vase.PLV share/palvorin/examples/marble.bmp \
         share/icons/hicolor/scalable/apps/$id.svg \
         share/icons/hicolor/scalable/mimetypes/application-x-palvorin.svg; do
  [ -s "$prefix/$f" ] || fail "$f is not installed"
done
for size in 48 64 128 256; do
  for icon in apps/$id mimetypes/application-x-palvorin; do
    png=$share/icons/hicolor/${size}x$size/$icon.png
    file "$png" | grep -q "PNG image data, $size x $size" || fail "$png: $(file -b "$png")"
  done
done

# Menu entry: no remark at all from the validator.
out=$(desktop-file-validate "$share/applications/$id.desktop" 2>&1) || fail "desktop entry: $out"
[ -z "$out" ] || fail "desktop entry: $out"

# Document type: the database builds without complaint, with a case-insensitive glob and the
# magic bytes after the object count.
# (The scratch prefix is named in XDG_DATA_DIRS: the tool would otherwise note its absence.)
out=$(XDG_DATA_DIRS="$share" update-mime-database "$share/mime" 2>&1) || fail "MIME package: $out"
[ -z "$out" ] || fail "MIME package: $out"
grep -qx '50:application/x-palvorin:\*\.plv' "$share/mime/globs2" || fail "glob: $(cat "$share/mime/globs2")"
grep -aq 'PALV10' "$share/mime/magic" || fail "no magic rule"
grep -q 'application/x-palvorin' "$share/mime/types" || fail "type not listed"
head -c 10 "$doc" | tail -c 6 | grep -q '^PALV10$' || fail "$doc has no PALV10 at offset 4"

# Software-centre data.
out=$(appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" 2>&1) ||
  fail "metainfo: $out"

# The thumbnailer's command line, %s %i %o filled in as a file manager does.
exec_line=$(sed -n 's/^Exec=//p' "$share/thumbnailers/$id.thumbnailer")
grep -qx 'TryExec=palvorin-export' "$share/thumbnailers/$id.thumbnailer" || fail "TryExec"
grep -qx 'MimeType=application/x-palvorin;' "$share/thumbnailers/$id.thumbnailer" || fail "MimeType"
thumb=$prefix/thumbnail.png
command=${exec_line//%s/128}
command=${command//%i/"'$doc'"}
command=${command//%o/"'$thumb'"}
env -u DISPLAY -u WAYLAND_DISPLAY PATH="$prefix/bin:/usr/bin:/bin" bash -c "$command" ||
  fail "thumbnailer: $command"
file "$thumb" | grep -q 'PNG image data, 128 x 128' || fail "thumbnail: $(file -b "$thumb")"
echo "install tree, desktop files and thumbnailer OK"
