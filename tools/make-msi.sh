#!/usr/bin/env bash
# Builds cadencer.msi with wixl from installer/cadencer.wxs:
#   tools/make-msi.sh OUT.msi VERSION OCX64 OCX32
# VERSION is the project's version (the package's ProductVersion); OCX64 and OCX32 are the
# files the package installs for 64-bit and 32-bit hosts.
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: tools/make-msi.sh OUT.msi VERSION OCX64 OCX32" >&2; exit 2; }
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "$1") version=$2 ocx64=$(realpath "$3") ocx32=$(realpath "$4")
# wixl takes the files' paths relative to the directory it runs in.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/x64" "$stage/x86"
ln -s "$ocx64" "$stage/x64/cadencer.ocx"
ln -s "$ocx32" "$stage/x86/cadencer.ocx"
# An x64 package: its 64-bit component goes to ProgramFiles64Folder and the 64-bit registry
# view, the 32-bit component (Win64="no") to ProgramFilesFolder and the 32-bit view.
cd "$stage"
wixl -a x64 -I "$ROOT/installer" -D Version="$version" -D Ocx64=x64/cadencer.ocx -D Ocx32=x86/cadencer.ocx \
  -o "$out" "$ROOT/installer/cadencer.wxs"
