#!/usr/bin/env bash
# Installs the build dependencies, builds Quorvane and compresses the bundled sample site.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh" "$root/build"
out="$(mktemp -d /tmp/quorvane-sample.XXXXXX)"
"$root/build/bench/quorvane-bench" --corpus "$root/data/sample-site" --out "$out"
