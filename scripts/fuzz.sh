#!/usr/bin/env bash
# Runs one of the native fuzzers for longer than the test command does, from its seeds and
# the corpus the earlier runs grew in the build tree; a crash leaves its input beside it.
#   scripts/fuzz.sh TARGET [SECONDS]    default 600 seconds
#   scripts/fuzz.sh --list
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build=build/native

# target: the folder of its binary in the build tree, its committed or generated seeds, extra options
declare -A folder=(
  [kvx-server-fuzz]=server/fuzz
  [probe-status-fuzz]=libs/probe/status/fuzz
  [client-bmp-header-fuzz]=client/fuzz
  [client-palette-file-fuzz]=client/fuzz
  [client-ad-record-fuzz]=client/fuzz
  [client-packet-rules-fuzz]=client/fuzz
)
declare -A seeds=(
  [kvx-server-fuzz]=server/fuzz/corpus
  [probe-status-fuzz]=libs/probe/status/fuzz/corpus
  [client-bmp-header-fuzz]=$build/client/fuzz/seeds/bmp
  [client-palette-file-fuzz]=$build/client/fuzz/seeds/palette
  [client-ad-record-fuzz]=$build/client/fuzz/seeds/adrecord
  [client-packet-rules-fuzz]=$build/client/fuzz/seeds/packets
)
declare -A options=([kvx-server-fuzz]=-close_fd_mask=2) # the server's log would drown libFuzzer's

if [ "${1:-}" = --list ] || [ $# -lt 1 ]; then
  printf '%s\n' "${!folder[@]}" | sort
  [ $# -ge 1 ] || exit 2
  exit 0
fi
target=$1
seconds=${2:-600}
[ -n "${folder[$target]:-}" ] || { echo "fuzz: unknown target $target (--list names them)" >&2; exit 2; }

scripts/build.sh native
out=$build/${folder[$target]}
# The test command keeps the grown corpora one folder per target.
work=$out/corpus/$target
mkdir -p "$work"
exec "$out/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 ${options[$target]:-} \
  -print_final_stats=1 -artifact_prefix="$out/$target-" "$work" "${seeds[$target]}"
