# What the demo steps share; a step sources it after `set -euo pipefail`.

# The stand-ins a step started; all are stopped when the step ends.
demo_servers=()
trap 'kill "${demo_servers[@]}" 2>/dev/null || true' EXIT

# demo_start VAR NAME PROGRAM [ARGS...]: starts $BIN/PROGRAM, which prints the
# port it took as its first line (kept in $WORK/NAME.port), and stores that
# port in VAR.
demo_start() {
  local var="$1" file="$WORK/$2.port" program="$3"
  shift 3
  "$BIN/$program" "$@" > "$file" &
  demo_servers+=("$!")
  for _ in $(seq 50); do
    [ -s "$file" ] && break
    sleep 0.1
  done
  printf -v "$var" '%s' "$(head -n1 "$file")"
}

# Points the tools' registry at the collating sequences beside the example
# schemas.
demo_schema_registry() {
  mkdir -p "$WORK/registry"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n"lib"="%s"\n' \
    "$EXAMPLES/schemas/lib" > "$WORK/registry/user.reg"
  export VARNICA_REGISTRY="$WORK/registry"
}
