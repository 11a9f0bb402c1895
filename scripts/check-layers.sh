#!/usr/bin/env bash
# Fails when an #include points against the direction the rooms depend on:
#
#   platform <- language <- database <- workbench
#
# A room may include its own headers and those of the rooms to its left.
# dialogs/ may include platform, language and database, and of the
# environment only the plug-in header and the expression evaluator's header in
# workbench/dialogs/ (each plug-in links its own copy of the evaluator). Nothing but
# tests includes a stand-in from tests/peers/ or the helpers of tests/support/,
# and only workbench/ and dialogs/ include Qt. Tests (tests/ and every room's
# tests/ folders) follow the rule of the room they test; bench/ may use any
# room.
#
# Inside workbench/ two rooms sit at the bottom:
#
#   workbench/base <- workbench/framework <- the rest of workbench/
#
# workbench/base/ (assertions, the sink, diagnostics, system utilities,
# settings) includes no Qt and nothing else of workbench/; the window layer,
# workbench/framework/, includes of workbench/ only base/ and itself.
#   scripts/check-layers.sh          check every tracked and new file
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

# The environment headers a dialog plug-in may include.
plugin_header_glob='workbench/dialogs/*plugin*.h'
plugin_expr_header='workbench/dialogs/model/expr.h'

# workbench_rank FILE: sets $wb_ranked to the position of a file of
# workbench/ among its bottom rooms (0 base, 1 framework, 2 the rest).
workbench_rank() {
  case "$1" in
    workbench/base/*) wb_ranked=0 ;;
    workbench/framework/*) wb_ranked=1 ;;
    *) wb_ranked=2 ;;
  esac
}

# rank ROOM: sets $ranked to the position of a room in the chain, or to
# nothing for other rooms.
rank() {
  case "$1" in
    platform) ranked=0 ;;
    language) ranked=1 ;;
    database) ranked=2 ;;
    workbench) ranked=3 ;;
    *) ranked="" ;;
  esac
}

# resolve FROM NAME: sets $target to the file a quoted include names, as a
# path from the top, or to nothing when it is generated or outside the tree.
resolve() {
  local candidate
  target=""
  for candidate in "${1%/*}/$2" "$2" "tests/support/$2"; do
    if [ -f "$candidate" ]; then
      case "$candidate" in
        */../* | ../* | ./* | */./*) target="$(realpath -m --relative-to=. "$candidate")" ;;
        *) target="$candidate" ;;
      esac
      return
    fi
  done
}

is_test() {
  case "$1" in
    tests/* | */tests/*) return 0 ;;
  esac
  return 1
}

failures=0
checked=0
fail() {
  echo "  $1: $2"
  failures=$((failures + 1))
}

mapfile -t files < <(git ls-files --cached --others --exclude-standard \
  '*.cpp' '*.h' '*.c' '*.cc' '*.hpp' '*.y' '*.l' | grep -v '^examples/' || true)
checked=${#files[@]}
while IFS= read -r hit; do
  f="${hit%%:*}"
  line="${hit#*:}"
  room="${f%%/*}"
  rank "$room"
  from_rank="$ranked"
  if [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<(Q[A-Za-z0-9_/]*)(\.h)?\> ]]; then
    case "$room" in
      workbench | dialogs) ;;
      *) fail "$f" "includes Qt (<${BASH_REMATCH[1]}>) outside workbench/ and dialogs/" ;;
    esac
    case "$f" in
      workbench/base/*) fail "$f" "includes Qt (<${BASH_REMATCH[1]}>) in workbench/base/" ;;
    esac
    continue
  fi
  [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
  resolve "$f" "${BASH_REMATCH[1]}"
  [ -n "$target" ] || continue
  to_room="${target%%/*}"
  if [ "$room" = workbench ] && [ "$to_room" = workbench ]; then
    workbench_rank "$f"
    from_wb="$wb_ranked"
    workbench_rank "$target"
    if [ "$wb_ranked" -gt "$from_wb" ]; then
      fail "$f" "includes $target (against workbench/base <- workbench/framework <- workbench/)"
    fi
    continue
  fi
  [ "$to_room" = "$room" ] && [ "$room" != tests ] && continue
  case "$target" in
    tests/peers/* | tests/support/*)
      is_test "$f" || fail "$f" "includes $target (only tests may)"
      continue
      ;;
  esac
  [ "$room" = bench ] && continue
  [ "$room" = tests ] && continue
  rank "$to_room"
  to_rank="$ranked"
  if [ "$room" = dialogs ]; then
    if [ -n "$to_rank" ] && [ "$to_rank" -le 2 ]; then continue; fi
    # shellcheck disable=SC2053
    if [[ "$target" == $plugin_header_glob ]] || [ "$target" = "$plugin_expr_header" ]; then continue; fi
    fail "$f" "includes $target (dialogs/ may use platform, language, database, the plug-in header and expr.h)"
    continue
  fi
  if [ -z "$from_rank" ] || [ -z "$to_rank" ] || [ "$to_rank" -gt "$from_rank" ]; then
    fail "$f" "includes $target (against platform <- language <- database <- workbench)"
  fi
done < <(if [ "$checked" -gt 0 ]; then grep -sHE '^[[:space:]]*#[[:space:]]*include' "${files[@]}" || true; fi)

if [ "$failures" -gt 0 ]; then
  echo "layers: $failures include(s) point the wrong way"
  exit 1
fi
echo "layers: ${checked} files follow platform <- language <- database <- workbench"
