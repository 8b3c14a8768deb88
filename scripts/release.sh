#!/usr/bin/env bash
# scripts/release.sh: builds Quillmere.exe for x64 and x86 in fresh build
# folders, signs both when given a certificate, and makes
# dist/Quillmere-<version>.zip: x64/ and x86/Quillmere.exe, README.txt for
# administrators, THIRD-PARTY-NOTICES.txt and the SPDX bill of materials
# Quillmere-<version>.spdx.json for what the programs carry of others' code,
# and SHA256SUMS of them all.
#
#   QUILLMERE_SIGN_PKCS12         PKCS#12 file holding the code-signing certificate and its key
#   QUILLMERE_SIGN_PASSWORD       the file's password (may be empty, must be set)
#   QUILLMERE_SIGN_TIMESTAMP_URL  RFC 3161 time-stamp server, optional
#   QUILLMERE_DIST                where the bundle goes, dist/ by default
#
# Without QUILLMERE_SIGN_PKCS12 the bundle is made unsigned, and the script says so.
source "$(dirname "$(readlink -f "$0")")/release-prepare.sh"

dist=$(readlink -m "${QUILLMERE_DIST:-$QUILLMERE_ROOT/dist}")
cd "$QUILLMERE_ROOT"
release_build=$QUILLMERE_ROOT/build/release
version=$(release_version)
[ -n "$version" ] || { echo "release.sh: no version found in app/ProductInfo.h" >&2; exit 1; }
if [ -n "${QUILLMERE_SIGN_PKCS12:-}" ]; then
    [ -r "$QUILLMERE_SIGN_PKCS12" ] || { echo "release.sh: cannot read $QUILLMERE_SIGN_PKCS12" >&2; exit 1; }
    [ -n "${QUILLMERE_SIGN_PASSWORD+set}" ] ||
        { echo "release.sh: QUILLMERE_SIGN_PASSWORD is not set" >&2; exit 1; }
fi
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo "warning: uncommitted changes: this bundle is not what the commit builds" >&2
fi

# The commit's time, not the build's, wherever a tool records one.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH

stage=$release_build/stage
rm -rf "$stage"
mkdir -p "$stage"
for arch in x64 x86; do
    build_release_program "$QUILLMERE_ROOT" "$release_build/$arch" "$arch"
    mkdir -p "$stage/$arch"
    if [ -n "${QUILLMERE_SIGN_PKCS12:-}" ]; then
        timestamp=()
        [ -z "${QUILLMERE_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$QUILLMERE_SIGN_TIMESTAMP_URL")
        # The password through a pipe, never on a command line others can read.
        "$osslsigncode" sign -pkcs12 "$QUILLMERE_SIGN_PKCS12" \
            -readpass <(printf '%s' "$QUILLMERE_SIGN_PASSWORD") \
            -h sha256 -n "Quillmere $version" "${timestamp[@]}" \
            -in "$release_build/$arch/bin/Quillmere.exe" -out "$stage/$arch/Quillmere.exe" >&2
    else
        cp "$release_build/$arch/bin/Quillmere.exe" "$stage/$arch/Quillmere.exe"
    fi
done
[ -n "${QUILLMERE_SIGN_PKCS12:-}" ] ||
    echo "warning: no QUILLMERE_SIGN_PKCS12 given: the executables are unsigned" >&2

# Notepad users get CR LF.
sed -e "s/@VERSION@/$version/g" -e 's/\r*$/\r/' release/README.txt >"$stage/README.txt"
# What the programs carry of others' code, as their link maps show it.
maps=(x64="$release_build/x64/bin/Quillmere.map" x86="$release_build/x86/bin/Quillmere.map")
python3 release/third-party.py notices "$version" "$stage" "${maps[@]}"
python3 release/third-party.py sbom "$version" "$stage" "$SOURCE_DATE_EPOCH" "${maps[@]}"
bundle_files=(x64/Quillmere.exe x86/Quillmere.exe README.txt THIRD-PARTY-NOTICES.txt "Quillmere-$version.spdx.json")
(cd "$stage" && sha256sum "${bundle_files[@]}" >SHA256SUMS)

# Entries in a fixed order, with the commit's time and fixed modes: the
# same commit makes the same unsigned bundle.
find "$stage" -type f -exec chmod 0644 {} +
find "$stage" -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
mkdir -p "$dist"
zip_file=$dist/Quillmere-$version.zip
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -X -D -q "$zip_file" "${bundle_files[@]}" SHA256SUMS)
echo "$zip_file"
