#!/usr/bin/env bash
# End-to-end tests of the real program: each scenario starts questoes on a
# virtual X display in a private drive map (C: and A: are temporary
# folders), with tables made by dbadmin, drives it with real key presses
# through xdotool and checks the tables and files afterwards.
#
# Usage: questoes_e2e.sh SCENARIO QUESTOES DBADMIN ENGINE_DIR OUTPUT_DIR
#   SCENARIO: add-question | export | two-users | about | preview | keys-without-focus
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

# A failure leaves a picture of the display beside the test's output.
fail() {
  echo "FAIL: $*" >&2
  if command -v import >/dev/null; then import -window root "$out_dir/e2e_${scenario}_failed.png" || true; fi
  exit 1
}

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
# The window of one program (by its process id) with a title.
window_of() { xdotool search --all --onlyvisible --pid "$1" --name "$(title_pattern "$2")" | head -n 1; }
has_window_of() { [ -n "$(window_of "$@")" ]; }
focus_window() {
  local id
  id=$(xdotool search --onlyvisible --name "$(title_pattern "$1")" | head -n 1)
  [ -n "$id" ] || return 1
  xdotool windowfocus --sync "$id"
}
key() { xdotool key --clearmodifiers --delay 80 "$@"; sleep 0.1; }

# Starts the program; $pid is its process, $win its main window.
pid= win=
start_program() {
  QUESTOES_SCREENSHOT=$out_dir/questoes_window.png "$questoes" >>"$work/questoes.log" 2>&1 &
  pid=$!
  wait_for 20 has_window_of "$pid" "Cadastro de Questões" || fail "the main window did not appear"
  win=$(window_of "$pid" "Cadastro de Questões")
  wait_for 10 xdotool windowfocus --sync "$win" || fail "the main window took no focus"
  sleep 0.5
}

# The question text a program shows: copied from its question editor,
# which a click into it (at its place in the window) gives the focus.
shown_question() {
  xdotool windowfocus --sync "$1"
  xdotool mousemove --window "$1" 100 100 click 1
  sleep 0.2
  key ctrl+a ctrl+c
  xclip -o -selection clipboard 2>/dev/null || true
}

# A real click on "Sobre o Sistema", the first button of the bottom toolbar
# (at 0,370 in the window, 84 x 36).
click_about() {
  local id
  id=$(xdotool search --onlyvisible --name "$(title_pattern "Cadastro de Questões")" | head -n 1)
  [ -n "$id" ] || fail "no main window to click in"
  # No --sync: it waits in vain when the pointer is there already. The
  # server keeps the order of the move and the click anyway.
  xdotool mousemove --window "$id" 42 388 click 1
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
two-users)
  # Two programs on one bank, as two users at two machines.
  command -v xclip >/dev/null || { echo "skipped: xclip is not installed"; exit 77; }
  printf 'Codigo,Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\n' >"$work/questions.csv"
  for i in 1 2 3; do printf '%s,Questao %s,A%s,B%s,C%s,A,N\n' $i $i $i $i $i; done >>"$work/questions.csv"
  "$dbadmin" --dir "$install_dir" load QUESTOES.DB "$work/questions.csv" >/dev/null
  # Side by side, so that each click lands in the window it is meant for.
  start_program; first=$pid first_win=$win
  xdotool windowmove --sync "$first_win" 0 100
  start_program; second=$pid second_win=$win
  xdotool windowmove --sync "$second_win" 512 100
  expect_shown() {
    local shown
    shown=$(shown_question "$1")
    [ "$shown" = "$2" ] || fail "$3 (shown: $shown)"
  }
  expect_shown "$second_win" "Questao 1" "the second program does not show question 1"

  # The first saves a changed question 2; the second moves to it, away and
  # back, and shows the new text each time.
  xdotool windowfocus --sync "$first_win"
  key Next F9
  xdotool mousemove --window "$first_win" 100 100 click 1
  key ctrl+a
  xdotool type --delay 40 "Nova questao dois"
  key F10
  xdotool windowfocus --sync "$second_win"
  key Next
  expect_shown "$second_win" "Nova questao dois" "the second shows the old text"
  key Prior Next
  expect_shown "$second_win" "Nova questao dois" "the old text came back"

  # The first deletes question 3 while the second shows it: the second's
  # F9 on it gives the engine's message and edits nothing else.
  key Next
  expect_shown "$second_win" "Questao 3" "the second is not on question 3"
  xdotool windowfocus --sync "$first_win"
  key Next Delete
  wait_for 10 has_window_of "$first" "Confirmação de Exclusão" || fail "no delete confirmation"
  xdotool windowfocus --sync "$(window_of "$first" "Confirmação de Exclusão")"
  key Return
  wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Confirmação de Exclusão\$' | grep -q ." ||
    fail "the confirmation stayed up"
  xdotool windowfocus --sync "$second_win"
  key F9
  wait_for 10 has_window_of "$second" "Radoziv iv Ivaduvorir de Jogos" ||
    fail "F9 on a question deleted elsewhere showed no message"
  xdotool windowfocus --sync "$(window_of "$second" "Radoziv iv Ivaduvorir de Jogos")"
  key Return
  wait_for 10 bash -c "! xdotool search --all --onlyvisible --pid $second --name '^Radoziv iv Ivaduvorir de Jogos\$' | grep -q ." ||
    fail "the message stayed up"
  expect_shown "$second_win" "Questao 3" "the second moved to another question"
  # Both at rest: each closes with the exit question, not a refusal.
  pid=$second
  xdotool windowfocus --sync "$second_win"
  close_program
  pid=$first
  xdotool windowfocus --sync "$first_win"
  close_program
  dump=$("$dbadmin" --dir "$install_dir" dump QUESTOES.DB | tr -d '\r')
  echo "$dump"
  echo "$dump" | grep -q '^2,Nova questao dois,A2,B2,C2,A,N$' || fail "question 2 was not saved"
  ! echo "$dump" | grep -q 'Questao 3' || fail "question 3 was not deleted"
  [ "$(echo "$dump" | grep -c '^[0-9]')" = 2 ] || fail "the second program changed the bank"
  ;;
about)
  start_program
  for close_key in Escape Return; do
    click_about
    wait_for 10 window_named "Informações Sobre o Sistema" || fail "the About box did not open"
    focus_window "Informações Sobre o Sistema" || true
    key "$close_key"
    wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Informações Sobre o Sistema\$' | grep -q ." ||
      fail "$close_key did not close the About box"
  done
  # The main window takes keys again: a question typed now is stored.
  focus_window "Cadastro de Questões" || fail "the main window took no focus back"
  key Insert
  xdotool type --delay 40 "Depois do Sobre"
  key Tab Tab Tab Tab
  xdotool type --delay 40 "C"
  key F10
  close_program
  "$dbadmin" --dir "$install_dir" dump QUESTOES.DB | tr -d '\r' | grep -q '^[0-9]*,Depois do Sobre,,,,C,N$' ||
    fail "the main window did not take keys after the About box"
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
keys-without-focus)
  # As without a window manager, or with focus following the pointer: the
  # server gives the keys to the window under the pointer while Qt counts
  # no window as active.
  printf 'Codigo,Questao,Resp_A,Resp_B,Resp_C,Correta,Flag\n1,Primeira,a,b,c,A,N\n' >"$work/questions.csv"
  "$dbadmin" --dir "$install_dir" load QUESTOES.DB "$work/questions.csv" >/dev/null
  start_program
  root=$(xdotool search --maxdepth 0 --name '' | head -n 1)
  xdotool windowfocus --sync "$root"
  xdotool mousemove --window "$win" 100 100
  key Insert
  xdotool type --delay 40 "Sem foco"
  # Enter moves on to the next field instead of breaking the line.
  key Return
  xdotool type --delay 40 "certa"
  key Return Return Return
  xdotool type --delay 40 "A"
  key F10
  # The delete question, answered No: the window takes the next keys back
  # although the pointer is no longer over it.
  key Home Delete
  wait_for 10 window_named "Confirmação de Exclusão" || fail "Delete reached no button"
  focus_window "Confirmação de Exclusão" || true
  key Escape
  wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Confirmação de Exclusão\$' | grep -q ." ||
    fail "the confirmation stayed up"
  xdotool mousemove 1020 760
  key Insert
  xdotool type --delay 40 "Depois da caixa"
  key Return Return Return Return
  xdotool type --delay 40 "C"
  key F10
  xdotool mousemove --window "$win" 100 100
  close_program
  dump=$("$dbadmin" --dir "$install_dir" dump QUESTOES.DB | tr -d '\r')
  echo "$dump"
  echo "$dump" | grep -q '^1,Primeira,a,b,c,A,N$' || fail "the first question changed"
  echo "$dump" | grep -q '^[0-9]*,Sem foco,certa,,,A,N$' || fail "the keys did not reach the editors"
  echo "$dump" | grep -q '^[0-9]*,Depois da caixa,,,,C,N$' || fail "no keys after the box"
  ;;
*)
  fail "unknown scenario $scenario"
  ;;
esac
echo "PASS: $scenario"
