#!/usr/bin/env bash
# build_stamp_test.sh BUILD: once the client is built, building it again finds
# nothing to do, and its build stamp is made again when a source of the client
# or of a library it links changes.
set -euo pipefail
build=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --build "$build" --target velmora >/dev/null
out=$(ninja -C "$build" -n velmora)
grep -q 'no work to do' <<<"$out" || fail "a second build does work: $out"

inputs=$(ninja -C "$build" -t query app/BuildStamp.h)
for source in app/Unit1.cpp app/Unit23.cpp app/Unit6.dfm app/Unit6.h platform/data/libplatform_data.a \
              platform/rtl/libplatform_rtl.a; do
  grep -q -- "$source\$" <<<"$inputs" || fail "the stamp does not follow $source"
done
echo "ok: build_stamp"
