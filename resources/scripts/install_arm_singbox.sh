#!/bin/bash
# Installs the bundled "sing-box_arm64" engine (run as root through pkexec, no arguments).
set -euo pipefail
here="$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")" && pwd)"
exec /bin/bash "$here/install_engine.sh" sing-box_arm64 cap_net_admin+ep
