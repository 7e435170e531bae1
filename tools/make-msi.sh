#!/usr/bin/env bash
# Builds one Cadencer package with wixl from installer/cadencer.wxs:
#   tools/make-msi.sh x64 OUT.msi VERSION OCX64 OCX32    both OCXs, for 64-bit Windows
#   tools/make-msi.sh x86 OUT.msi VERSION OCX32          the 32-bit OCX, for 32-bit Windows
# VERSION is the project's version (the package's ProductVersion).
#
# wixl 0.101 accepts but ignores File/@DefaultVersion, File/@DefaultLanguage and
# MajorUpgrade/@AllowSameVersionUpgrades, so they are written afterwards with msibuild:
# - each OCX's File row gets the file version and language of its version resource, and
#   loses its MsiFileHash row (Windows Installer compares versioned files by version);
# - the upgrade row of the package's own UpgradeCode takes the version inclusive
#   (attributes 513: migrate features, maximum inclusive), so a rebuild of the same version
#   replaces the installed one instead of installing beside it.
set -euo pipefail
usage() { echo "usage: tools/make-msi.sh x64 OUT.msi VERSION OCX64 OCX32 | x86 OUT.msi VERSION OCX32" >&2; exit 2; }
[ $# -ge 4 ] || usage
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
arch=$1 out=$(realpath -m "$2") version=$3
case "$arch" in
  x64) [ $# -eq 5 ] || usage; ocx64=$(realpath "$4") ocx32=$(realpath "$5") ;;
  x86) [ $# -eq 4 ] || usage; ocx64="" ocx32=$(realpath "$4") ;;
  *) usage ;;
esac
# wixl takes the files' paths relative to the directory it runs in.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/x64" "$stage/x86"
ln -s "$ocx32" "$stage/x86/cadencer.ocx"
defines=(-D Arch="$arch" -D Version="$version" -D Ocx32=x86/cadencer.ocx)
if [ -n "$ocx64" ]; then
  ln -s "$ocx64" "$stage/x64/cadencer.ocx"
  defines+=(-D Ocx64=x64/cadencer.ocx)
fi
# -a sets the package's platform: x64 (Template x64) or x86 (Template Intel).
(cd "$stage" && wixl -a "$arch" -I "$ROOT/installer" "${defines[@]}" -o "$out" "$ROOT/installer/cadencer.wxs")

sql() { msibuild "$out" -q "$1"; }
versioned() {  # FILE-ID OCX
  local file_version language
  read -r file_version language < <("$ROOT/tools/pe-version.py" "$2")
  sql "UPDATE \`File\` SET \`Version\` = '$file_version', \`Language\` = '$language' WHERE \`File\` = '$1'"
  sql "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = '$1'"
}
versioned ocx32 "$ocx32"
[ -z "$ocx64" ] || versioned ocx64 "$ocx64"

upgrade_code=$(msiinfo export "$out" Property | tr -d '\r' | awk -F'\t' '$1 == "UpgradeCode" {print $2}')
# Upgrade.Attributes is part of the table's key: the row is replaced, not updated.
sql "DELETE FROM \`Upgrade\` WHERE \`UpgradeCode\` = '$upgrade_code' AND \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
sql "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"
