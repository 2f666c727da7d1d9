#!/bin/bash
# Installs one engine shipped with the application into the root-owned engine folder.
#
#   install_engine.sh <engine file name> <file capability, or "none">
#
# Called only by the fixed install_*.sh scripts beside it, run as root through pkexec. Every path
# is fixed or derived from this script's own place; the arguments are checked against the four
# engines and capabilities the application ships. No setuid bit is set anywhere.
set -euo pipefail
umask 022

engine="${1:-}"
capability="${2:-}"
case "$engine:$capability" in
  intel_sslocal:cap_net_bind_service+ep | arm_sslocal:cap_net_bind_service+ep) ;;
  sing-box_amd64:cap_net_admin+ep | sing-box_arm64:cap_net_admin+ep) ;;
  *) echo "install_engine: unknown engine \"$engine\"" >&2; exit 2 ;;
esac
if [ "$(id -u)" -ne 0 ]; then
  echo "install_engine: must run as root" >&2
  exit 2
fi

here="$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")" && pwd)"
source_file="$here/../engines/$engine"
target_dir="/opt/Ostrel_mac_Pelmorath"
if [ ! -f "$source_file" ]; then
  echo "install_engine: the application ships no $source_file" >&2
  exit 3
fi
# Root copies and empowers only a file that nobody but root could have changed or swapped.
# shellcheck source=root_owned.sh
. "$here/root_owned.sh"
source_file="$(require_root_owned "$source_file" install_engine)"

install -d -o root -g root -m 0755 "$target_dir"
# Copy beside the old engine and rename over it, so a running engine keeps its file and no one
# ever sees half a binary.
install -o root -g root -m 0755 "$source_file" "$target_dir/.$engine.new"
setcap "$capability" "$target_dir/.$engine.new"
mv -f "$target_dir/.$engine.new" "$target_dir/$engine"
echo "install_engine: installed $target_dir/$engine"
