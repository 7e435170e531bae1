#!/usr/bin/env bash
# Collects the release files from a 64-bit and a 32-bit build tree:
#   tools/package.sh OUT BUILD64 BUILD32
# OUT gets x64/cadencer.ocx and x86/cadencer.ocx, stripped, each with its symbols in
# cadencer.ocx.debug next to it (found through the .gnu_debuglink section), the VB6
# dependency file x86/cadencer.dep (which the packages install too), the type
# library cadencer.tlb, the header cadencer.h and the GUID definitions cadencer_i.c for
# hosts (and the same for the companion objects: cadencer_tools.tlb, .h, _i.c), the packages cadencer-x64.msi (both OCXs, for 64-bit Windows) and cadencer-x86.msi
# (the 32-bit OCX, for 32-bit Windows), and SHA256SUMS over all of them. Prints each file's
# size.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: tools/package.sh OUT BUILD64 BUILD32" >&2; exit 2; }
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$1 build64=$2 build32=$3

version=$(cat "$build64/cadencer-version.txt")
if [ "$version" != "$(cat "$build32/cadencer-version.txt")" ]; then
  echo "package: the two build trees carry different versions" >&2
  exit 1
fi

rm -rf "$out"
mkdir -p "$out/x64" "$out/x86"
strip_ocx() {
  local toolchain=$1 from=$2 dir=$3
  cp "$from/src/component/cadencer.ocx" "$dir/cadencer.full.ocx"
  (
    cd "$dir"
    "$toolchain-objcopy" --only-keep-debug cadencer.full.ocx cadencer.ocx.debug
    "$toolchain-strip" --strip-all -o cadencer.ocx cadencer.full.ocx
    # The link names the .debug file and carries its CRC, so debuggers find the symbols.
    "$toolchain-objcopy" --add-gnu-debuglink=cadencer.ocx.debug cadencer.ocx
    rm cadencer.full.ocx
  )
}
strip_ocx x86_64-w64-mingw32 "$build64" "$out/x64"
strip_ocx i686-w64-mingw32 "$build32" "$out/x86"

# The header and the GUIDs are the same for both bitnesses (widl's banner names the source
# path only). The type library is the 32-bit one, which 32-bit development tools read;
# each OCX carries its own bitness's library as resource TYPELIB 1.
# The companion objects' library (CadencerTools) ships the same three files beside them.
for name in cadencer cadencer_tools; do
  sed '1s|from .*/src/component/|from src/component/|' "$build64/src/component/$name.h" >"$out/$name.h"
  sed '1s|from .*/src/component/|from src/component/|' "$build64/src/component/${name}_i.c" >"$out/${name}_i.c"
  cp "$build32/src/component/$name.tlb" "$out/$name.tlb"
done

# The 32-bit OCX's dependency file for the VB6 Package and Deployment Wizard, which reads it
# from beside the OCX: a shared, self-registering file in the common files folder, where the
# packages put it too, with nothing else to install (the OCX depends on the system's own
# libraries alone). The packages install it beside their x86 OCX.
read -r file_version _ < <("$ROOT/tools/pe-version.py" "$out/x86/cadencer.ocx")
printf '[Version]\r\nVersion=%s\r\n\r\n[cadencer.ocx]\r\nDest=$(CommonFiles)\\Cadencer\r\nRegister=$(DLLSelfRegister)\r\nVersion=%s\r\nUses1=\r\n' \
  "$file_version" "$file_version" >"$out/x86/cadencer.dep"

# Windows Installer compares the first three fields of a ProductVersion: the packages'
# version is major.minor.build, the OCXs' file version major.minor.patch.build.
product_version=$(awk -F. '{print $1 "." $2 "." $4}' <<<"$file_version")
"$ROOT/tools/make-msi.sh" x64 "$out/cadencer-x64.msi" "$product_version" "$out/x64/cadencer.ocx" "$out/x86/cadencer.ocx"
"$ROOT/tools/make-msi.sh" x86 "$out/cadencer-x86.msi" "$product_version" "$out/x86/cadencer.ocx"

(cd "$out" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort | xargs sha256sum >SHA256SUMS)
echo "Cadencer $version (package version $product_version) in $out:"
(cd "$out" && find . -type f | sed 's|^\./||' | sort | xargs stat -c '%10s  %n')
