#!/usr/bin/env bash
# End-to-end tests of the real program: each scenario starts questoes on a
# virtual X display in a private drive map (C: and A: are temporary
# folders), with tables made by dbadmin, drives it with real key presses
# through xdotool and checks the tables and files afterwards.
#
# Usage: questoes_e2e.sh SCENARIO QUESTOES DBADMIN ENGINE_DIR OUTPUT_DIR
#   SCENARIO: add-question | export | preview (needs RPPTOOL in the environment)
# Without Xvfb or xdotool the scenario is skipped (exit code 77).
set -euo pipefail
scenario=$1 questoes=$2 dbadmin=$3 engine_dir=$4 out_dir=$5

if [ -z "${QUESTOES_E2E_INNER:-}" ]; then
  for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
  work=$(mktemp -d)
  export QUESTOES_E2E_INNER=1 QUESTOES_E2E_WORK=$work
  # The scenario itself runs inside the virtual display.
  status=0
  xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@" || status=$?
  rm -rf "$work"
  exit $status
fi

work=$QUESTOES_E2E_WORK
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
export QUESTOES_DRIVE_C=$work/c QUESTOES_DRIVE_A=$work/a
unset QT_QPA_PLATFORM
mkdir -p "$XDG_CONFIG_HOME/questoes" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" \
  "$QUESTOES_DRIVE_C/ZQ/Questoes" "$QUESTOES_DRIVE_A"
chmod 700 "$XDG_RUNTIME_DIR"
install_dir=$QUESTOES_DRIVE_C/ZQ/Questoes
printf '[HKEY_LOCAL_MACHINE\\Software\\Database Engine]\nDLLPATH=%s\n' "$engine_dir" \
  >"$XDG_CONFIG_HOME/questoes/registry.conf"
printf '[Aliases]\nQuestoes=C:\\ZQ\\Questoes\\\n' >"$XDG_CONFIG_HOME/questoes/dbengine.conf"
"$dbadmin" --dir "$install_dir" create >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

# Polls a command until it succeeds, for at most $1 seconds.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}

# Window titles are matched whole and literally (xdotool takes a pattern).
title_pattern() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\\.*^$?+(){}|]/\\&/g')"; }
window_named() { xdotool search --onlyvisible --name "$(title_pattern "$1")" | head -n 1 | grep -q .; }
focus_window() {
  local id
  id=$(xdotool search --onlyvisible --name "$(title_pattern "$1")" | head -n 1)
  [ -n "$id" ] || return 1
  xdotool windowfocus --sync "$id"
}
key() { xdotool key --clearmodifiers --delay 80 "$@"; sleep 0.1; }

pid=
start_program() {
  QUESTOES_SCREENSHOT=$out_dir/questoes_window.png "$questoes" >"$work/questoes.log" 2>&1 &
  pid=$!
  wait_for 20 window_named "Cadastro de Questões" || fail "the main window did not appear"
  wait_for 10 focus_window "Cadastro de Questões" || fail "the main window took no focus"
  sleep 0.5
}

# Alt+F4, then Yes (the default button) in the exit confirmation.
close_program() {
  key alt+F4
  wait_for 10 window_named "Sair do Sistema?" || fail "no exit confirmation"
  focus_window "Sair do Sistema?" || true
  key Return
  wait_for 15 bash -c "! kill -0 $pid" || { kill "$pid"; fail "the program did not end"; }
  wait "$pid" || fail "the program ended with an error: $(cat "$work/questoes.log")"
}

case $scenario in
add-question)
  start_program
  key Insert
  xdotool type --delay 40 "Quanto e dois mais dois"
  key Tab
  xdotool type --delay 40 "quatro"
  key Tab Tab Tab
  xdotool type --delay 40 "B"
  key F10
  close_program
  dump=$("$dbadmin" --dir "$install_dir" dump QUESTOES.DB | tr -d '\r')
  echo "$dump"
  echo "$dump" | grep -q '^[0-9]*,Quanto e dois mais dois,quatro,,,B,N$' ||
    fail "the question was not stored with Flag N"
  ;;
export)
  printf 'companion' >"$install_dir/QDiskApp.exe"
  printf 'Correta,Errada\nCerta,Errada\n' >"$work/phrases.csv"
  "$dbadmin" --dir "$install_dir" load FRASES.DB "$work/phrases.csv" >/dev/null
  start_program
  key F11
  wait_for 10 window_named "Confirmação de Exportação" || fail "no export confirmation"
  focus_window "Confirmação de Exportação" || true
  key Return
  wait_for 20 window_named "Radoziv iv Ivaduvorir de Jogos" || fail "no closing notice"
  focus_window "Radoziv iv Ivaduvorir de Jogos" || true
  key Return
  wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Radoziv iv Ivaduvorir de Jogos\$' | grep -q ." ||
    fail "the notice stayed up"
  focus_window "Cadastro de Questões" || true
  close_program
  [ "$(cat "$QUESTOES_DRIVE_A/QDiskApp.exe")" = companion ] || fail "QDiskApp.exe not copied"
  "$dbadmin" --dir "$QUESTOES_DRIVE_A" check || fail "the copied tables are not sound"
  "$dbadmin" --dir "$QUESTOES_DRIVE_A" dump FRASES.DB | tr -d '\r' | grep -q '^Certa,Errada$' ||
    fail "the phrases did not reach the floppy"
  "$dbadmin" --dir "$QUESTOES_DRIVE_A" dump QUESTOES.DB >/dev/null ||
    fail "the questions table on the floppy is not readable"
  ;;
preview)
  # 50 questions make a listing of 6 pages. The preview writes what it
  # shows to the log (QUESTOES_TRACE_PREVIEW).
  for i in $(seq 1 50); do printf 'Questao %s,a,b,c,A,N\n' "$i"; done >"$work/questions.csv"
  "$dbadmin" --dir "$install_dir" load QUESTOES.DB "$work/questions.csv" >/dev/null
  export QUESTOES_TRACE_PREVIEW=1
  start_program
  logged() { grep -qF "preview: $1" "$work/questoes.log"; }
  key F12
  wait_for 30 logged "Page 1 of 6" || fail "the preview did not show page 1 of 6"
  title=$(sed -n 's/^preview: shown //p' "$work/questoes.log" | tail -n 1)
  focus_window "$title" || fail "the preview window took no focus"
  key Next
  wait_for 10 logged "Page 2 of 6" || fail "Page Down did not show page 2"
  key ctrl+Next
  wait_for 10 logged "Page 6 of 6" || fail "Ctrl+Page Down did not show page 6"
  read -r save_x save_y < <(sed -n 's/^preview: SaveReport at //p' "$work/questoes.log" | tail -n 1)
  xdotool mousemove --sync "$save_x" "$save_y" click 1
  wait_for 10 window_named "Save report" || fail "no save dialog"
  focus_window "Save report" || true
  sleep 0.5
  xdotool type --delay 30 "$work/listagem.RPP"
  key Return
  wait_for 10 test -s "$work/listagem.RPP" || fail "the report file was not written"
  "$RPPTOOL" info "$work/listagem.RPP" | tee "$work/info.txt"
  grep -q '^Pages: 6$' "$work/info.txt" || fail "the saved report does not hold 6 pages"
  focus_window "$title" || true
  key Escape
  wait_for 10 bash -c "! xdotool search --onlyvisible --name '$(title_pattern "$title")' | grep -q ." ||
    fail "Escape did not close the preview"
  focus_window "Cadastro de Questões" || fail "the main window took no focus"
  close_program
  ;;
*)
  fail "unknown scenario $scenario"
  ;;
esac
echo "PASS: $scenario"
