#!/bin/sh
# Installs a downloaded new version of the client.
#
#   update_new_version.sh <package.deb> <database file> <application name>
#
# Run by the client as root through pkexec (directly when the client already runs as root). It
# installs only a Debian package of this client: the file is first copied somewhere only root can
# write, so the package that is checked is the package that is installed. The database is left
# alone; the new version migrates it itself. Exit status: 0 installed, 2 bad call, 3 no package,
# 4 not a package of this client, 5 dpkg failed.
set -eu

package_name=ostrel

if [ "$#" -ne 3 ]; then
  echo "update_new_version: expected 3 arguments, got $#" >&2
  exit 2
fi
installer=$1
app_name=$3

if [ ! -f "$installer" ]; then
  echo "update_new_version: no installer at '$installer'" >&2
  exit 3
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
cp -- "$installer" "$work/package.deb"

if ! name=$(dpkg-deb -f "$work/package.deb" Package 2>/dev/null); then
  echo "update_new_version: '$installer' is not a Debian package" >&2
  exit 4
fi
if [ "$name" != "$package_name" ]; then
  echo "update_new_version: '$installer' is the package '$name', not '$package_name'" >&2
  exit 4
fi
arch=$(dpkg-deb -f "$work/package.deb" Architecture)
if [ "$arch" != all ] && [ "$arch" != "$(dpkg --print-architecture)" ]; then
  echo "update_new_version: the package is built for '$arch'" >&2
  exit 4
fi
version=$(dpkg-deb -f "$work/package.deb" Version)

echo "installing $app_name $version"
if ! dpkg -i "$work/package.deb"; then
  echo "update_new_version: dpkg could not install $package_name $version" >&2
  exit 5
fi
echo "installed $app_name $version"
