#!/usr/bin/env bash
# package.sh [build-dir]: builds the Debian package of the utility (a release
# build without tests, then cpack -G DEB) and prints its path. Install it with
#   sudo apt install ./build-package/configutility_<version>_<arch>.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/build-package}
"$root/scripts/install-deps.sh"
BUILD_TYPE=Release "$root/scripts/build.sh" "$dir" -DCFG_BUILD_TESTS=OFF -DCFG_BUILD_BENCH=OFF
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/*.deb
