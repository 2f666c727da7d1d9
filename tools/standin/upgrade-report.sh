#!/bin/sh
# The demo's stand-in for update_new_version.sh: takes the same three arguments, checks the
# package the same way, and reports what it would install instead of installing it. Writes the
# report beside the database file's folder ("upgrade-report.txt" in the demo profile's caches).
set -eu
if [ "$#" -ne 3 ]; then
  echo "upgrade-report: expected 3 arguments, got $#" >&2
  exit 2
fi
installer=$1
database=$2
app_name=$3
if [ ! -f "$installer" ]; then
  echo "upgrade-report: no installer at '$installer'" >&2
  exit 3
fi
if ! name=$(dpkg-deb -f "$installer" Package 2>/dev/null) || [ "$name" != ostrel ]; then
  echo "upgrade-report: '$installer' is not a package of this client" >&2
  exit 4
fi
version=$(dpkg-deb -f "$installer" Version)
report="$(dirname -- "$database")/upgrade-report.txt"
{
  echo "$(date -u '+%Y-%m-%dT%H:%M:%SZ') would install $app_name: package $name $version"
  echo "  from: $installer"
  echo "  database left as it is: $database"
} >>"$report"
echo "would install $name $version (demo: nothing installed; see $report)"
