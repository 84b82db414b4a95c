#!/usr/bin/env bash
# Installs the build dependencies, builds Quorvane and compresses a copy of the bundled sample
# site with the batch tool (the repository's own files stay as they are).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh" "$root/build"
copy="$(mktemp -d /tmp/quorvane-sample.XXXXXX)"
cp -r "$root/data/sample-site/." "$copy/"
echo "Compressing a copy of the sample site in $copy"
"$root/build/bin/quorvane" -k -r "$copy/*.htm" "$copy/*.html"
echo "The compressed copy is in $copy"
