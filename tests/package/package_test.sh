#!/bin/bash
# Installs the build into a temporary prefix, moves the installed tree (its run paths and
# pkg-config file are relative), builds the examples against it with find_package and
# with pkg-config, and runs them and the installed zorvane program on a generated test PKI.
#
#   package_test.sh BUILD_DIR SOURCE_DIR CXX "CXXFLAGS"
set -euo pipefail
build=$1 source=$2 cxx=$3 flags=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
expect_in() {  # expect_in TEXT PATTERN WHAT
  grep -qF -- "$2" <<<"$1" || fail "$3: '$2' missing in:"$'\n'"$1"
}

cmake --install "$build" --prefix "$tmp/staged" >/dev/null
mv "$tmp/staged" "$tmp/prefix"
prefix=$tmp/prefix
export PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name zorvane.pc)")
libdir=$(pkg-config --variable=libdir zorvane)
work=$(pkg-config --variable=workdir zorvane)

for file in bin/zorvane include/zorvane/zorvane.h include/zorvane/CryptoEx.h; do
  [ -f "$prefix/$file" ] || fail "$file not installed"
done
for file in libzorvane.so zorvane/Quellark.dll zorvane/gpkiapi.dll zorvane/IssuerOid.conf cmake/Zorvane/ZorvaneConfigVersion.cmake; do
  [ -f "$libdir/$file" ] || fail "lib/$file not installed"
done
[ -z "$(find "$prefix" -name '*pkigen*' -o -name '*_test*' -o -name 'bench_*' -o -name 'fuzz_*')" ] ||
  fail "test-only pieces installed"

# A sandbox home with a test PKI; its own IssuerOid.conf stays out of the installed work folder.
home=$tmp/home
"$build/work/zorvane-pkigen" --home "$home" --work "$tmp/pkigen-work" --cas yessign,kica,gpki --count 1 \
  --seed 11 --key-cache "$build/pkigen-key-cache" >/dev/null
export ZORVANE_DRIVE_TABLE=$tmp/drives
echo "C: $home fixed" >"$ZORVANE_DRIVE_TABLE"
certs=("$home"/NPKI/yessign/USER/*/)

# The installed program finds its toolkit and work folder from where it lies.
expect_in "$("$prefix/bin/zorvane" --version)" "zorvane " "zorvane --version"
# Every command answers --help with its usage and does not run (the demo would make
# its sandbox in the work folder).
commands=$("$prefix/bin/zorvane" --help | awk '$1 == "zorvane" && $2 ~ /^[a-z]/ {print $2}')
[ -n "$commands" ] || fail "zorvane --help lists no command"
for command in $commands; do
  usage=$("$prefix/bin/zorvane" "$command" --help) || fail "zorvane $command --help exits with $?"
  expect_in "$usage" "usage: zorvane $command" "zorvane $command --help"
done
[ ! -e "$work/demo" ] || fail "zorvane demo --help ran the demo"
listed=$("$prefix/bin/zorvane" list --json)
python3 -c 'import json,sys; n=len(json.load(sys.stdin)["certificates"]); sys.exit(n != 4)' <<<"$listed" ||
  fail "installed zorvane list --json: $listed"

run_examples() {  # run_examples FOLDER HOW
  local out
  out=$("$1/list_certificates" "$work") || fail "$2 list_certificates"
  expect_in "$out" "4 certificates" "$2 list_certificates"
  expect_in "$out" "yessignCA Class 3" "$2 list_certificates"
  out=$("$1/sign_and_verify" "$work" "${certs[0]}" <<<"qwer1234!") || fail "$2 sign_and_verify: $out"
  expect_in "$out" "verified with the certificate" "$2 sign_and_verify"
  expect_in "$out" "a changed text: result 2010" "$2 sign_and_verify"
  out=$("$1/sign_and_verify" "$work" "${certs[0]}" <<<"wrong" 2>&1) && fail "$2 sign_and_verify took a wrong password"
  expect_in "$out" "result 3003" "$2 sign_and_verify with a wrong password"
  out=$("$1/cms_messages" "$work" "${certs[0]}" <<<"qwer1234!") || fail "$2 cms_messages: $out"
  expect_in "$out" "verified content: transfer 10,000 won" "$2 cms_messages"
  expect_in "$out" "opened content: transfer 10,000 won" "$2 cms_messages"
  expect_in "$out" "a changed message: result 4002" "$2 cms_messages"
}

cmake -S "$source/examples" -B "$tmp/with-cmake" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$tmp/with-cmake" >/dev/null
run_examples "$tmp/with-cmake" "find_package"

mkdir "$tmp/with-pkg-config"
for example in list_certificates sign_and_verify cms_messages; do
  # shellcheck disable=SC2046,SC2086  # pkg-config and the flags give several words
  "$cxx" -std=c++17 $flags "$source/examples/$example.cpp" $(pkg-config --cflags --libs zorvane) \
    -Wl,-rpath,"$libdir" -o "$tmp/with-pkg-config/$example"
done
run_examples "$tmp/with-pkg-config" "pkg-config"
echo "package test passed"
