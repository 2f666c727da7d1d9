#!/bin/bash
# Installs the bundled "arm_sslocal" engine (run as root through pkexec, no arguments).
set -euo pipefail
here="$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")" && pwd)"
exec /bin/bash "$here/install_engine.sh" arm_sslocal cap_net_bind_service+ep
