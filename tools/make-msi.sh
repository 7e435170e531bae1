#!/usr/bin/env bash
# Builds one Cadencer package with wixl from installer/cadencer.wxs:
#   tools/make-msi.sh x64 OUT.msi VERSION OCX64 OCX32    both OCXs, for 64-bit Windows
#   tools/make-msi.sh x86 OUT.msi VERSION OCX32          the 32-bit OCX, for 32-bit Windows
# VERSION is the package's ProductVersion, major.minor.build (major and minor up to 255,
# build up to 65535): Windows Installer compares these three fields only, so the build
# number is the third (tools/package.sh makes it from the OCXs' file version,
# major.minor.patch.build). The VB6 dependency file cadencer.dep must be beside OCX32.
#
# wixl 0.101 accepts but ignores File/@DefaultVersion, File/@DefaultLanguage and
# MajorUpgrade/@AllowSameVersionUpgrades, so they are written afterwards with msibuild:
# - each OCX's File row gets the file version and language of its version resource, and
#   loses its MsiFileHash row (Windows Installer compares versioned files by version);
# - the upgrade row of the package's own UpgradeCode takes the version inclusive
#   (attributes 513: migrate features, maximum inclusive), so a rebuild of the same version
#   replaces the installed one instead of installing beside it; so does the other package's
#   row that removes it (x64) or detects it (x86), which must not reach a newer version;
# - where a newer version of either package is installed, a silent run changes nothing and
#   succeeds: the launch condition wixl writes for DowngradeErrorMessage lets it through
#   (UILevel 2), and every action from InstallValidate on is skipped.
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
dep32=$(dirname "$ocx32")/cadencer.dep
[ -f "$dep32" ] || { echo "make-msi.sh: no cadencer.dep beside $ocx32" >&2; exit 2; }
if ! [[ "$version" =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] || [ "${BASH_REMATCH[1]}" -gt 255 ] ||
  [ "${BASH_REMATCH[2]}" -gt 255 ] || [ "${BASH_REMATCH[3]}" -gt 65535 ]; then
  echo "make-msi.sh: VERSION must be major.minor.build (255.255.65535 at most), not $version" >&2
  exit 2
fi
# wixl takes the files' paths relative to the directory it runs in.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/x64" "$stage/x86"
ln -s "$ocx32" "$stage/x86/cadencer.ocx"
ln -s "$(realpath "$dep32")" "$stage/x86/cadencer.dep"
defines=(-D Arch="$arch" -D Version="$version" -D Ocx32=x86/cadencer.ocx -D Dep32=x86/cadencer.dep)
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

# The other package's row up to this version (wixl drops IncludeMaximum): 512 added.
if [ "$arch" = x64 ]; then other=CADENCER_X86_PACKAGE newer=CADENCER_NEWER_X86; else other=CADENCER_X64_PACKAGE newer=CADENCER_NEWER_X64; fi
read -r other_code other_min other_attributes < <(msiinfo export "$out" Upgrade | tr -d '\r' |
  awk -F'\t' -v p="$other" '$7 == p {print $1, $2, $5}')
sql "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = '$other'"
sql "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMin\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$other_code', '$other_min', '$version', $((other_attributes | 512)), '$other')"

newer_installed="WIX_DOWNGRADE_DETECTED OR $newer"
sql "DELETE FROM \`LaunchCondition\` WHERE \`Condition\` = 'NOT WIX_DOWNGRADE_DETECTED'"
sql "INSERT INTO \`LaunchCondition\` (\`Condition\`, \`Description\`) VALUES ('Installed OR UILevel = 2 OR NOT ($newer_installed)', 'A newer version of Cadencer is already installed.')"
validate=$(msiinfo export "$out" InstallExecuteSequence | tr -d '\r' | awk -F'\t' '$1 == "InstallValidate" {print $3}')
msiinfo export "$out" InstallExecuteSequence | tr -d '\r' | tail -n +4 |
  awk -F'\t' -v from="$validate" '$3 >= from {print $1 "\t" $2}' |
  while IFS=$'\t' read -r action condition; do
    condition=${condition:+($condition) AND }"(Installed OR NOT ($newer_installed))"
    sql "UPDATE \`InstallExecuteSequence\` SET \`Condition\` = '$condition' WHERE \`Action\` = '$action'"
  done
