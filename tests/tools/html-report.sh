#!/usr/bin/env bash
# html-report.sh DATA_DIR ARTEFACT_DIR COMMAND...: has vexilo-check (run as
# COMMAND) write --html pages of fixture files, opens each in headless
# Chromium and checks the DOM it built against --json of the same file
# (report_dom.py). Keeps a screenshot of the diagnostics page in
# ARTEFACT_DIR/report.png and the pages beside it. The terminal report of
# each file is read too: both must count the unset zones alike.
#
# VEXILO_BROWSER_PHASE splits the run in two where the checker and the
# browser cannot run on one machine (the Windows checker in an emulated
# machine, where Chromium takes minutes a page): "write" runs the checker
# only and keeps all it wrote in ARTEFACT_DIR/written; "judge" runs no
# checker and judges what an earlier "write" kept. Unset, it does both.
set -u
data=$1
artefacts=$2
shift 2
command=("$@")
here=$(dirname "$0")
# shellcheck source=counters.sh
. "$here/counters.sh"
mkdir -p "$artefacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The flags keep Chromium off the network and out of the user's profile.
browse() {
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile" "$@" 2>>"$work/chromium.log" </dev/null
}

phase=${VEXILO_BROWSER_PHASE:-both}
kept=$artefacts/written
if [ "$phase" != judge ]; then rm -rf "$kept"; fi
mkdir -p "$kept"

# write NAME FILE: the checker's page of FILE, its --json and its terminal report.
write() {
  local name=$1 file=$2
  rm -f "$artefacts/$name.html"
  (cd "$data" && "${command[@]}" --json --html "$artefacts/$name.html" "$file") >"$kept/$name.json" 2>&1 </dev/null
  (cd "$data" && "${command[@]}" "$file") 2>&1 </dev/null | tr -d '\r' >"$kept/$name.terminal"
  if [ -s "$artefacts/$name.html" ]; then pass; else fail "vexilo-check --html wrote no page for $file"; fi
}

# judge NAME FILE [--hostile]: the page of FILE as Chromium builds it, and its checks.
judge() {
  local name=$1 file=$2
  shift 2
  if [ ! -s "$artefacts/$name.html" ]; then fail "there is no page of $file to open"; return; fi
  tr -d '\r' <"$kept/$name.json" >"$work/$name.lf.json"
  browse --dump-dom "file://$artefacts/$name.html" >"$work/$name.dom"
  if python3 "$here/report_dom.py" "$work/$name.lf.json" "$work/$name.dom" "$kept/$name.terminal" "$@" \
    >"$work/$name.checks"; then
    pass
  else
    fail "the page of $file, as Chromium built it:"
    sed 's/^/    /' "$work/$name.checks" | head -20
  fi
}

if [ "$phase" != judge ]; then
  write report check/diagnostics.txt
  write default default-Vexilo.txt
  write hostile check/hostile.txt
  # A page that cannot be written is an error that names it.
  (cd "$data" && "${command[@]}" --html "$work/no/such/folder/r.html" check/diagnostics.txt) >"$kept/unwritable.out" 2>&1 </dev/null
  echo $? >"$kept/unwritable.status"
  [ "$phase" = write ] && summary
  [ "$phase" = write ] && exit
fi

judge report check/diagnostics.txt
judge default default-Vexilo.txt
judge hostile check/hostile.txt --hostile

# The dashed "unset" outline is drawn inside its box: the text must stay
# inside it, in the legend and in every cell, as Chromium lays the page out.
{
  sed -e '/Content-Security-Policy/d' -e '/^<\/body>$/d' -e '/^<\/html>$/d' "$artefacts/report.html"
  printf '<script>\n'
  cat "$here/outline_fit.js"
  printf '</script>\n</body>\n</html>\n'
} >"$work/measure.html"
browse --dump-dom "file://$work/measure.html" >"$work/measure.dom"
fit=$(grep -o 'checked [0-9]*; spills[^<]*' "$work/measure.dom")
if [[ "$fit" =~ ^checked\ [1-9][0-9]*\;\ spills\ *$ ]]; then pass; else
  fail "text spills out of the dashed unset outline: ${fit:-no measurement}"; fi

rm -f "$artefacts/report.png"
(cd "$work" && browse --screenshot="$artefacts/report.png" --window-size=1280,2700 "file://$artefacts/report.html") \
  >/dev/null
if [ "$(stat -c %s "$artefacts/report.png" 2>/dev/null || echo 0)" -gt 50000 ]; then pass; else
  fail "Chromium took no screenshot of the page"; tail -5 "$work/chromium.log"; fi

status=$(cat "$kept/unwritable.status" 2>/dev/null)
if [ "$status" = 2 ] && grep -q "cannot write the report page .*r\.html: " "$kept/unwritable.out"; then pass; else
  fail "an unwritable --html path gave status ${status:-none} and: $(head -c 300 "$kept/unwritable.out" 2>/dev/null)"; fi

summary
