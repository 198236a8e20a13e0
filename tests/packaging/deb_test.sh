#!/usr/bin/env bash
# The Debian package built from the build folder by CPack and read back: it holds every file the
# desktop needs, its control fields are filled in, and its Depends names the package of every
# shared library the two programs load (read from the programs themselves, so that a library
# linked later is covered without a change here).
# Arguments: build folder, velkor, velkor-batch, the project version.
set -euo pipefail
build=$1
velkor=$2
batch=$3
version=$4
source "$(dirname "$0")/checks.sh"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 || {
  cat "$scratch/cpack.log" >&2
  exit 1
}
deb=$scratch/velkor_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || {
  echo "FAILED: no $deb" >&2
  ls "$scratch" >&2
  exit 1
}

dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$scratch/files"
expected=(
  /usr/bin/velkor /usr/bin/velkor-batch
  /usr/share/velkor/examples/Val1.fem /usr/share/velkor/examples/Val2.fem /usr/share/velkor/examples/Val3.fem
  /usr/share/applications/velkor.desktop
  /usr/share/icons/hicolor/scalable/apps/velkor.svg
  /usr/share/mime/packages/velkor.xml
  /usr/share/metainfo/org.velkor.velkor.metainfo.xml
  /usr/share/man/man1/velkor.1.gz /usr/share/man/man1/velkor-batch.1.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/velkor.png")
done
for file in "${expected[@]}"; do
  grep -qx "$file" "$scratch/files" || fail "$file is not in the package"
done

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velkor ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = science ] || fail "Section: $(field Section)"
[[ $(field Maintainer) == *"<"*"@"*">" ]] || fail "Maintainer: $(field Maintainer)"
[ "$(field Description | wc -l)" -ge 3 ] || fail "the description has no long part"
field Description | awk 'length > 80 { bad = 1 } END { exit bad }' || fail "description lines longer than 80"

# The package that holds a library file; dpkg knows some under /lib, others under /usr/lib.
owner() {
  local candidate
  for candidate in "$1" "$(realpath "$1")"; do
    for candidate in "$candidate" "${candidate#/usr}" "/usr$candidate"; do
      dpkg -S "$candidate" 2>/dev/null | head -1 | cut -d: -f1 && return 0
    done
  done
  return 1
}
# The package names of a program's shared libraries, as the dynamic loader finds them here; a
# library that no package holds is named "?library".
library_packages() {
  local library path
  for library in $(readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(ldd "$1" | awk -v name="$library" '$1 == name { print $3 }')
    owner "$path" || echo "?$library"
  done
}
depends=$(field Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/^ *//; s/ *$//')
for package in $( (library_packages "$velkor"; library_packages "$batch") | sort -u); do
  if [[ $package == "?"* ]]; then
    fail "no package holds ${package#?}"
  else
    grep -qx "$package" <<<"$depends" || fail "Depends does not name $package: $(field Depends)"
  fi
done
for package in libcholmod3 libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -qx "$package" <<<"$depends" || fail "Depends does not name $package"
done

echo "Depends: $(field Depends)"
finish "package $(basename "$deb")"
