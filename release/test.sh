#!/usr/bin/env bash
# release/test.sh: makes a release bundle signed with a throwaway certificate
# and checks what an administrator relies on: the bundle's contents and sums,
# notices and bill of materials that name every component of others that the
# programs carry, bundles and builds that are byte for byte the same from
# another checkout in other folders and the same as the tests' builds,
# signatures that hold and cover those bytes, and a signed program that
# still passes its end-to-end tests.
source "$(dirname "$(readlink -f "$0")")/../scripts/release-prepare.sh"
build_targets --preset mingw-x64 Quillmere app_tests resources_tests mapi32_stand_in
build_targets --preset mingw-x86 Quillmere app_tests resources_tests mapi32_stand_in
work=$QUILLMERE_ROOT/build/release-test
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

make_throwaway_certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quillmere release test" \
        -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature \
        -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
    openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" \
        -passout pass:throwaway -out "$work/cert.p12"
}

check_bundle() {
    local zip=$1 bundle=$2 version
    version=$(release_version)
    [ "$(basename "$zip")" = "Quillmere-$version.zip" ] || fail "bundle named $(basename "$zip")"
    local names sbom=Quillmere-$version.spdx.json
    names=$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')
    [ "$names" = "$sbom README.txt SHA256SUMS THIRD-PARTY-NOTICES.txt x64/Quillmere.exe x86/Quillmere.exe " ] ||
        fail "bundle holds: $names"
    unzip -q "$zip" -d "$bundle"
    (cd "$bundle" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
    [ "$(cut -d' ' -f3 "$bundle/SHA256SUMS" | tr '\n' ' ')" = \
        "x64/Quillmere.exe x86/Quillmere.exe README.txt THIRD-PARTY-NOTICES.txt $sbom " ] ||
        fail "SHA256SUMS does not cover every file"
    # Every line ends in CR LF, and the template's text is all there.
    [ "$(tr -d '\r' <"$bundle/README.txt")" = "$(sed "s/@VERSION@/$version/g" "$QUILLMERE_ROOT/release/README.txt")" ] ||
        fail "README.txt is not the template with its version"
    [ "$(grep -c $'\r$' "$bundle/README.txt")" = "$(wc -l <"$bundle/README.txt")" ] ||
        fail "README.txt has lines without CR LF"
    local arch
    for arch in x64 x86; do
        # The version resource's strings are UTF-16.
        [ "$(strings -el "$bundle/$arch/Quillmere.exe" | sed -n '/^FileVersion$/{n;p}')" = "$version" ] ||
            fail "$arch/Quillmere.exe does not carry version $version"
    done
}

# check_third_party BUNDLE: the notices and the SBOM name every component
# that the link maps of the release's programs show, with its version, and
# the SBOM parses and holds the bundle's checksums; a map that shows a file
# no component names, and notices that lack a component, fail the check.
check_third_party() {
    local bundle=$1 version third_party=$QUILLMERE_ROOT/release/third-party.py
    version=$(release_version)
    local maps=(x64="$QUILLMERE_ROOT/build/release/x64/bin/Quillmere.map"
                x86="$QUILLMERE_ROOT/build/release/x86/bin/Quillmere.map")
    python3 "$third_party" check "$version" "$bundle" "${maps[@]}" || fail "notices or SBOM incomplete"

    sed '0,/^Discarded input sections/s||/usr/lib/elsewhere/libelsewhere.a(elsewhere.o)\n                              Quillmere.cpp.obj (Elsewhere)\n&|' \
        "$QUILLMERE_ROOT/build/release/x64/bin/Quillmere.map" >"$work/elsewhere.map"
    grep -q '^/usr/lib/elsewhere/libelsewhere.a(elsewhere.o)$' "$work/elsewhere.map" || fail "no file added to the map"
    if python3 "$third_party" check "$version" "$bundle" x64="$work/elsewhere.map" 2>"$work/elsewhere.log"; then
        fail "a linked file that no component names passes"
    fi
    grep -q "libelsewhere.a is linked, and no component" "$work/elsewhere.log" || fail "$(cat "$work/elsewhere.log")"

    local lacking=$work/lacking
    rm -rf "$lacking"
    cp -r "$bundle" "$lacking"
    sed -i '/^GNU C++ library (libstdc++)\r$/d' "$lacking/THIRD-PARTY-NOTICES.txt"
    if python3 "$third_party" check "$version" "$lacking" "${maps[@]}" 2>/dev/null; then
        fail "notices that lack a component pass"
    fi
}

# The PE header's time stamp, as a number.
pe_timestamp() {
    local pe_offset
    pe_offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tu4 -j$((pe_offset + 8)) -N4 "$1" | tr -d ' '
}

# A second unsigned bundle from a copy of the working tree in another folder,
# and one from this folder: no folder name or build time may reach the
# bundle or its programs.
check_reproducible() {
    local copy=$work/checkout arch first second zip
    mkdir -p "$copy"
    # Tracked files as they are now, less those deleted and not yet committed.
    (cd "$QUILLMERE_ROOT" && git ls-files -z | while IFS= read -r -d '' file; do
        [ ! -e "$file" ] || printf '%s\0' "$file"
    done | xargs -0 cp --parents -t "$copy")
    zip=Quillmere-$(release_version).zip
    env -u QUILLMERE_SIGN_PKCS12 QUILLMERE_DIST="$work/dist-unsigned" "$QUILLMERE_ROOT/scripts/release.sh" >/dev/null
    env -u QUILLMERE_SIGN_PKCS12 QUILLMERE_DIST="$work/dist-copy" "$copy/scripts/release.sh" >/dev/null
    cmp "$work/dist-unsigned/$zip" "$work/dist-copy/$zip" || fail "two unsigned bundles of one commit differ"
    for arch in x64 x86; do
        first=$QUILLMERE_ROOT/build/release/$arch/bin/Quillmere.exe
        second=$copy/build/release/$arch/bin/Quillmere.exe
        cmp "$first" "$second" || fail "$arch: two builds differ"
        [ "$(pe_timestamp "$first")" = 0 ] || fail "$arch: the PE header has a time stamp"
        if strings -a "$first" | grep -F -e "$QUILLMERE_ROOT" -e "$copy" ||
            strings -a -el "$first" | grep -F -e "$QUILLMERE_ROOT" -e "$copy"; then
            fail "$arch: a folder name is in the program"
        fi
        # What ships is what the tests run.
        cmp "$first" "$QUILLMERE_ROOT/build/mingw-$arch/bin/Quillmere.exe" ||
            fail "$arch: the release build differs from the tested build"
    done
}

# check_signature SIGNED.exe UNSIGNED.exe
check_signature() {
    local signed=$1 unsigned=$2 copy=$work/check.exe
    "$osslsigncode" verify -in "$signed" -CAfile "$work/cert.pem" >"$work/verify.log" 2>&1 ||
        { cat "$work/verify.log" >&2; fail "$signed: the signature does not verify"; }
    # The signature covers the built bytes: taken off, they are left unchanged.
    rm -f "$copy"
    "$osslsigncode" remove-signature -in "$signed" -out "$copy" >/dev/null
    cmp "$copy" "$unsigned" || fail "$signed: without its signature it is not the built program"
    # One byte in the middle of the code changed after signing.
    cp "$signed" "$copy"
    local offset byte
    offset=$(($(stat -c %s "$copy") / 2))
    byte=$(od -An -tu1 -j"$offset" -N1 "$copy" | tr -d ' ')
    printf "\\$(printf '%03o' $((byte ^ 0xff)))" | dd of="$copy" bs=1 seek="$offset" conv=notrunc 2>/dev/null
    if "$osslsigncode" verify -in "$copy" -CAfile "$work/cert.pem" >/dev/null 2>&1; then
        fail "$signed: verifies with a changed byte"
    fi
}

# run_end_to_end ARCH PROGRAM.exe: the tests that start Quillmere.exe, run
# against PROGRAM.exe put beside them in a folder of their own.
run_end_to_end() {
    local arch=$1 program=$2 build=$QUILLMERE_ROOT/build/mingw-$1 bin=$work/bin-$1 test
    local prefix=$build/wineprefix wine_exec=$QUILLMERE_ROOT/testbed/wine/wine-exec.sh
    mkdir -p "$bin"
    cp "$program" "$bin/Quillmere.exe"
    "$QUILLMERE_ROOT/testbed/wine/fixture.sh" up "$prefix" "$build/testbed/mapi32-stand-in/mapi32.dll"
    # Not the test of a lock held to the end of the wait: it runs a build of
    # its own with a short wait, which never ships.
    for test in app_tests resources_tests; do
        cp "$build/bin/$test.exe" "$bin/"
        timeout 600 "$wine_exec" "$prefix" "$bin/$test.exe" --gtest_brief=1 \
            --gtest_filter=-RunLockTest.ARunThatWaitsInVainChangesNothing >"$work/$test-$arch.log" 2>&1 ||
            { cat "$work/$test-$arch.log" >&2; fail "$arch: $test against the signed program"; }
    done
    "$QUILLMERE_ROOT/testbed/wine/fixture.sh" down "$prefix"
}

make_throwaway_certificate
zip=$(QUILLMERE_SIGN_PKCS12=$work/cert.p12 QUILLMERE_SIGN_PASSWORD=throwaway QUILLMERE_DIST=$work/dist \
    "$QUILLMERE_ROOT/scripts/release.sh")
check_bundle "$zip" "$work/bundle"
check_third_party "$work/bundle"
check_reproducible
for arch in x64 x86; do
    check_signature "$work/bundle/$arch/Quillmere.exe" "$QUILLMERE_ROOT/build/release/$arch/bin/Quillmere.exe"
    # Without a route for 32-bit programs (QUILLMERE_SKIP_X86=1) x86 is checked, not run.
    if [ "$arch" = x64 ] || [ -n "$QUILLMERE_WINE32_ROUTE" ]; then
        run_end_to_end "$arch" "$work/bundle/$arch/Quillmere.exe"
    fi
done

[ "$failures" -eq 0 ] || { echo "release test: $failures failures" >&2; exit 1; }
echo "release test: passed" >&2
