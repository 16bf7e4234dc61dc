#!/usr/bin/env bash
# Keeps the portable core ready for a Windows build: compiles every source
# under UTIL/ that does not draw with the mingw-w64 compiler for Windows, in
# syntax-only mode, and fails on any error. A source draws when it, or a
# header of ours it includes (directly or through other headers of ours),
# includes a Qt header; those are the Qt modules and are left out.
#
# Needs only g++-mingw-w64-x86-64-posix and the public headers of SQLite and
# libcurl (copied aside, so no Linux system header is on the Windows include
# path; both libraries' headers serve Windows as they are); nothing of ours
# has to be built first.
set -euo pipefail
cd "$(dirname "$0")/.."

compiler="${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}"
if ! command -v "$compiler" >/dev/null; then
  echo "portability-check: $compiler is missing (tools/install-deps.sh installs it)" >&2
  exit 1
fi
sqlite_header="${SQLITE_HEADER:-/usr/include/sqlite3.h}"
if [ ! -f "$sqlite_header" ]; then
  echo "portability-check: SQLite's header $sqlite_header is missing" >&2
  exit 1
fi

# libcurl's header folder: multiarch systems keep it under the triplet's folder.
curl_headers="${CURL_HEADERS:-}"
if [ -z "$curl_headers" ]; then
  for candidate in /usr/include/curl /usr/include/*/curl; do
    if [ -f "$candidate/curl.h" ]; then
      curl_headers="$candidate"
      break
    fi
  done
fi
if [ -z "$curl_headers" ] || [ ! -f "$curl_headers/curl.h" ]; then
  echo "portability-check: libcurl's headers (curl/curl.h) are missing (tools/install-deps.sh installs them)" >&2
  exit 1
fi

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/include"
cp "$sqlite_header" "$scratch/include/"
cp -r "$curl_headers" "$scratch/include/curl"

# Every folder of UTIL/ and Platform/ holds headers a portable source may include.
include_flags=(-I"$scratch/include")
for dir in UTIL/*/ Platform/*/; do
  include_flags+=(-I"${dir%/}")
done

# Whether a file of ours draws: it includes <Q...>, or a header of ours that does.
declare -A draws_memo=()
draws() {
  local file="$1"
  if [ -n "${draws_memo[$file]+set}" ]; then
    return "${draws_memo[$file]}"
  fi
  draws_memo[$file]=1  # a header that includes itself through others ends here
  if grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file"; then
    draws_memo[$file]=0
    return 0
  fi
  local name header
  while read -r name; do
    for header in UTIL/*/"$name" Platform/*/"$name"; do
      if [ -f "$header" ] && draws "$header"; then
        draws_memo[$file]=0
        return 0
      fi
    done
  done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")
  return 1
}

checked=0
skipped=0
failed=()
while IFS= read -r source; do
  if draws "$source"; then
    skipped=$((skipped + 1))
    continue
  fi
  checked=$((checked + 1))
  if ! "$compiler" -std=c++20 -fsyntax-only -Wall -Wextra "${include_flags[@]}" "$source" \
      2>"$scratch/errors.txt"; then
    failed+=("$source")
    cat "$scratch/errors.txt" >&2
  fi
done < <(find UTIL -name '*.cpp' | sort)

echo "portability-check: $checked portable sources compiled for Windows, $skipped drawing ones left out"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "portability-check: these do not compile for Windows:" >&2
  printf '  %s\n' "${failed[@]}" >&2
  exit 1
fi
