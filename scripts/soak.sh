#!/usr/bin/env bash
# The long soak of the real kvx-server: 3,000 logged-in clients with churn for ten minutes
# (or the seconds given), failing when the server's memory keeps growing or connections
# are lost. Runs the sanitizer build, so a leak also fails the server's exit. The test
# command runs the same program for 10 s with 1,000 clients.
#   scripts/soak.sh [seconds] [more kvx-soak options]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
seconds="${1:-600}"
shift || true

scripts/setup.sh
scripts/build.sh native
exec build/native/server/bench/kvx-soak --seconds "$seconds" --sample-seconds 10 "$@"
