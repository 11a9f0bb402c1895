#!/usr/bin/env bash
# Fails unless each of the designer's methods that the shell reaches is
# defined exactly once in the program given as the argument.
#   designersymbols.sh PROGRAM
set -euo pipefail
program="$1"
symbols=(
  "PluginID::Initialize()"
  "PluginID::GetHead()"
  "PluginID::FirstFileType()"
  "PluginID::NextFileType()"
  "PluginID::OpenDocument(char const*, PluginFileType*)"
  "CDlgEditDoc::SaveAll()"
  "CDlgEditDoc::OpenFile(char const*)"
  "DlgEditCanvas::SetCoord(int, int)"
  "DlgWindows::OpenFile(char const*, PluginID*, PluginFileType*)"
  "DlgWindows::NewFile(PluginID*)"
)
defined="$(nm -C --defined-only "$program")"
status=0
for symbol in "${symbols[@]}"; do
  count="$(grep -cF -x -e "$(printf '%s' "$symbol")" <(printf '%s\n' "$defined" | sed -E 's/^[0-9a-f]+ [A-Za-z] //') || true)"
  if [ "$count" != 1 ]; then
    echo "$symbol: $count definitions" >&2
    status=1
  fi
done
exit "$status"
