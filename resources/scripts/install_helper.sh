#!/bin/bash
# Installs the proxy-settings helper for every user of this machine: the program into its system
# folder, owned by root, a systemd user socket that starts it on a session's first request, and a
# path unit that starts it at a login where a restore waits from the session before. Where systemd
# does not run, the client starts the installed program itself.
#
#   install_helper.sh --from <built helper> [--prefix <staging root>]
#
# Runs as root (through pkexec). It takes no other input: paths are fixed below, and the
# program is copied, never executed.
set -euo pipefail

from=""
prefix=""
while [ $# -gt 0 ]; do
  case "$1" in
    --from) from="${2:-}"; shift 2 ;;
    --prefix) prefix="${2:-}"; shift 2 ;;
    *) echo "install_helper: unknown argument: $1" >&2; exit 2 ;;
  esac
done

if [ -z "$from" ] || [ ! -f "$from" ] || [ ! -x "$from" ]; then
  echo "install_helper: no helper program at '${from}'" >&2
  exit 1
fi
if [ "$(basename -- "$from")" != "ostrel-helper" ]; then
  echo "install_helper: '${from}' is not the helper program" >&2
  exit 1
fi

here=$(cd -- "$(dirname -- "$(readlink -f "${BASH_SOURCE[0]}")")" && pwd)
# As root, install only a program nobody but root could have changed or swapped: it is enabled
# for every user of the machine. (Without root the script only stages into a folder of the caller.)
if [ "$(id -u)" -eq 0 ]; then
  # shellcheck source=root_owned.sh
  . "$here/root_owned.sh"
  from="$(require_root_owned "$from" install_helper)"
fi
units="$here/../systemd"
dest_dir="$prefix/opt/Ostrel_mac_Pelmorath"
unit_dir="$prefix/usr/lib/systemd/user"

install -d -m 0755 "$dest_dir"
# Copy beside the target and rename: a running helper keeps its old file until it exits.
tmp=$(mktemp "$dest_dir/.ostrel-helper.XXXXXX")
trap 'rm -f "$tmp"' EXIT
install -m 0755 -- "$from" "$tmp"
if [ "$(id -u)" -eq 0 ]; then
  chown root:root "$tmp"
fi
mv -f -- "$tmp" "$dest_dir/ostrel-helper"
trap - EXIT

install -d -m 0755 "$unit_dir"
install -m 0644 -- "$units/ostrel-helper.socket" "$unit_dir/ostrel-helper.socket"
install -m 0644 -- "$units/ostrel-helper.service" "$unit_dir/ostrel-helper.service"
install -m 0644 -- "$units/ostrel-helper.path" "$unit_dir/ostrel-helper.path"

# Enabled for every user where systemd is there to start them, or into the staging root. Undone
# with `systemctl --global disable ostrel-helper.socket ostrel-helper.path`.
scope=()
if [ -n "$prefix" ]; then
  scope=(--root="$prefix" --global)
elif [ -d /run/systemd/system ]; then
  scope=(--global)
fi
if [ ${#scope[@]} -gt 0 ] && command -v systemctl >/dev/null 2>&1 &&
  ! systemctl "${scope[@]}" enable ostrel-helper.socket ostrel-helper.path >/dev/null 2>&1; then
  echo "install_helper: could not enable the user units; the client starts the helper itself" >&2
fi
echo "install_helper: installed $dest_dir/ostrel-helper"
