#!/usr/bin/env bash
# The desktop files as the desktop's own tools read them: the entry, the metainfo and the MIME
# package validate; the MIME database made from the package recognises a datafile by its name
# and by its first lines; the man pages format without a warning; the icon sizes are rendered.
# Arguments: source folder, build folder of data/, the mime_type_of program.
set -euo pipefail
source_dir=$1
built=$2
mime_type_of=$3
data=$source_dir/data
source "$(dirname "$0")/checks.sh"

desktop-file-validate "$data/velkor.desktop" || fail "desktop-file-validate velkor.desktop"
appstreamcli validate --no-net "$built/org.velkor.velkor.metainfo.xml" || fail "appstreamcli validate"
xmllint --noout "$data/velkor-mime.xml" || fail "xmllint velkor-mime.xml"

# The three files name the same things.
type=$(xmllint --xpath 'string(//*[local-name()="mime-type"]/@type)' "$data/velkor-mime.xml")
[ "$type" = application/x-velkor-fem ] || fail "MIME type is '$type'"
grep -qx "MimeType=$type;" "$data/velkor.desktop" || fail "the desktop entry does not name $type"
grep -qx 'Icon=velkor' "$data/velkor.desktop" || fail "the desktop entry does not name the icon velkor"
grep -qx 'Exec=velkor %f' "$data/velkor.desktop" || fail "the desktop entry does not pass the file"
grep -qx 'Categories=Education;Science;Geoscience;' "$data/velkor.desktop" || fail "categories"
launchable=$(xmllint --xpath 'string(//launchable[@type="desktop-id"])' "$built/org.velkor.velkor.metainfo.xml")
[ "$launchable" = velkor.desktop ] || fail "the metainfo launches '$launchable'"
grep -q "<mediatype>$type</mediatype>" "$built/org.velkor.velkor.metainfo.xml" || fail "metainfo mediatype"

# A MIME database of the freedesktop types and ours, as update-mime-database makes it on install.
mkdir -p "$scratch/share/mime/packages" "$scratch/home"
cp /usr/share/mime/packages/freedesktop.org.xml "$data/velkor-mime.xml" "$scratch/share/mime/packages/"
XDG_DATA_DIRS="$scratch/share" update-mime-database "$scratch/share/mime" || fail "update-mime-database"
example=$source_dir/examples/Val1.fem
cp "$example" "$scratch/renamed.fem"
cp "$example" "$scratch/no-extension"
sed 's/\r$//' "$example" >"$scratch/unix-line-ends"
printf '#  VELKOR -- Finite Element Method for Plane Groundwater Flow\r\n#  Installation Data\r\n' \
  >"$scratch/installation-data"
printf 'just text\n' >"$scratch/other.fem"
mapfile -t types < <(XDG_DATA_HOME="$scratch/home" XDG_DATA_DIRS="$scratch/share" "$mime_type_of" \
  "$scratch/renamed.fem" "$scratch/no-extension" "$scratch/unix-line-ends" "$scratch/installation-data" \
  "$scratch/other.fem")
expected=(application/x-velkor-fem application/x-velkor-fem application/x-velkor-fem text/plain
  application/x-velkor-fem)
for i in "${!expected[@]}"; do
  [ "${types[$i]:-}" = "${expected[$i]}" ] || fail "file $((i + 1)) is '${types[$i]:-}', not ${expected[$i]}"
done

for page in velkor.1 velkor-batch.1; do
  [ -s "$built/$page.gz" ] || fail "$page.gz missing"
  warnings=$(zcat "$built/$page.gz" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "groff warns on $page: $warnings"
  zcat "$built/$page.gz" | grep -q '@PROJECT_VERSION@' && fail "$page carries no version"
done

for size in 16 22 24 32 48 64 128 256; do
  description=$(file -b "$built/icons/${size}x${size}/velkor.png")
  [[ $description == "PNG image data, $size x $size,"* ]] || fail "icon $size: $description"
done

finish "desktop files"
