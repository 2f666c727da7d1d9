# Sourced by the install scripts, which run as root.
#
# require_root_owned <file> <script name>: root copies and installs only a file that nobody but
# root could have changed or swapped: the file, its folder and every folder above must be root's
# and writable by root only (above the file's folder a sticky folder such as /tmp is fine: nobody
# else may rename root's entries there). Prints the resolved path; exits 3 otherwise.
require_root_owned() {
  local file who path level open_to_others
  file="$(readlink -f "$1")"
  who="$2"
  path="$file"
  level=0
  while :; do
    open_to_others="$(find "$path" -maxdepth 0 -perm /022)"
    if [ "$level" -ge 2 ] && [ -n "$(find "$path" -maxdepth 0 -perm -1000)" ]; then
      open_to_others=""
    fi
    if [ "$(stat -c %u "$path")" != 0 ] || [ -n "$open_to_others" ]; then
      echo "$who: $path may be changed by others than root" >&2
      exit 3
    fi
    [ "$path" = / ] && break
    path="$(dirname "$path")"
    level=$((level + 1))
  done
  printf '%s\n' "$file"
}
