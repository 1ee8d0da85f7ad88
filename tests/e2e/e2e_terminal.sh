#!/usr/bin/env bash
# What a user of blkcopy sees in a real terminal, and what lands on disk.
#
# Runs the program in a 100x40 tmux pane: a shell there runs a small script
# per case that starts the program and records its exit code; the pane is read
# back with its colours (SGR) and the files are compared byte for byte.
#
# Usage: tests/e2e/e2e_terminal.sh PROGRAM [ARGUMENT...]
#   tests/e2e/e2e_terminal.sh build/blkcopy
#   tests/e2e/e2e_terminal.sh wine build-win32/blkcopy.exe
# Exit status: 0 all checks passed, 1 a check failed, 77 tmux is missing.
set -uo pipefail
export LC_ALL=C.UTF-8  # character counts in bash, "," grouping in the program

if [ "$#" -eq 0 ]; then
  echo "usage: $0 PROGRAM [ARGUMENT...]" >&2
  exit 2
fi
# Under CI=true, where scripts/setup.sh has run, a missing tool fails the test.
missing_tool() {  # WHAT: exit 77 (skipped), or 1 under CI=true
  if [ "${CI:-}" = true ]; then echo "$1 (CI=true: scripts/setup.sh installs it)" >&2; exit 1; fi
  echo "$1; skipping" >&2
  exit 77
}
command -v tmux >/dev/null 2>&1 || missing_tool "tmux is not installed"

# The cases run in folders of their own, so relative program paths are made absolute.
program=()
for word in "$@"; do
  if [ -e "$word" ] && [ "${word#/}" = "$word" ]; then word="$PWD/$word"; fi
  program+=("$word")
done
windows=false
case "${program[-1]}" in *.exe | *.EXE) windows=true ;; esac

Columns=100
Rows=40
Timeout=30  # seconds any one wait may take before the case fails

work=$(mktemp -d /var/tmp/blkcopy-e2e.XXXXXX) || exit 1
# A tmux server per case (one being killed can't take a new pane with it),
# its socket in the work folder so that nothing is left behind.
socket=""
panes=0
failures=0
tm() { env -u TMUX tmux -S "$socket" "$@"; }
close_pane() {
  [ -z "$socket" ] || tm kill-server >/dev/null 2>&1
  socket=""
}
cleanup() {
  close_pane
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
printf 'set -g status off\nset -g history-limit 0\n' >"$work/tmux.conf"

if $windows; then
  export WINEDEBUG=-all
  export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-blkcopy}"
  # A server that outlives each program saves a Wine start-up per case; when
  # one runs already (the test run started it) this does nothing. Its output
  # must not be ctest's pipe, or the test would never be seen to end.
  wineserver -p30 </dev/null >/dev/null 2>&1 || true
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
fi

# ---- reporting -------------------------------------------------------------

case_name=""
case_failed=false
check() {  # check DESCRIPTION COMMAND...
  local what="$1"
  shift
  if "$@"; then return 0; fi
  echo "  FAIL [$case_name] $what"
  case_failed=true
  return 1
}
expect_eq() {  # expect_eq DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then return 0; fi
  echo "  FAIL [$case_name] $1"
  echo "    expected: |$2|"
  echo "    actual:   |$3|"
  case_failed=true
  return 1
}
begin_case() {
  case_name="$1"
  case_failed=false
  case_dir="$work/$1"
  mkdir -p "$case_dir/data"
}
end_case() {
  if $case_failed; then
    failures=$((failures + 1))
    echo "FAIL $case_name; the pane showed:"
    screen | sed -e '/^$/d' -e 's/^/    | /'
  else
    echo "ok   $case_name"
  fi
  close_pane
}

# ---- the pane --------------------------------------------------------------

quote() { printf "'%s'" "${1//\'/\'\\\'\'}"; }

# Starts a fresh pane with a shell in the case's data folder.
open_pane() {
  close_pane
  socket="$work/tmux-$((++panes))"
  tm -f "$work/tmux.conf" new-session -d -x "$Columns" -y "$Rows" -c "$case_dir/data" \
    "env PS1='e2e\$ ' sh" </dev/null >/dev/null 2>&1
  wait_for_text 'e2e$'
}

prefix=()  # words before the program (a character-set converter)

# Types, at the pane's shell, a command that runs the program with the given
# arguments, records its exit code and then prints AFTER (whose colours show
# what the program left the terminal in). The script's shell outlives a
# Ctrl+C meant for the program: a trapped signal is reset for the program.
start_program() {
  local line="" word
  for word in "${prefix[@]}" "${program[@]}" "$@"; do line+="$(quote "$word") "; done
  printf 'trap : INT\n%s\necho "exit=$?" > %s\nprintf "AFTER\\n"\n' "$line" \
    "$(quote "$case_dir/exit")" >"$case_dir/run.sh"
  rm -f "$case_dir/exit"
  tm send-keys -l "sh ../run.sh"
  tm send-keys Enter
}

screen() { tm capture-pane -p 2>/dev/null; }
screen_sgr() { tm capture-pane -p -e 2>/dev/null; }

wait_until() {  # wait_until COMMAND...: polls every 50 ms up to Timeout
  local deadline=$((SECONDS + Timeout))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
screen_has() { screen | grep -qF -- "$1"; }
wait_for_text() { check "\"$1\" appears" wait_until screen_has "$1"; }

# Waits for the program's end; sets exit_code.
exit_code=none
finish_program() {
  exit_code=none
  if check "the program ends within ${Timeout}s" wait_until screen_has AFTER; then
    exit_code=$(sed -n 's/^exit=//p' "$case_dir/exit" 2>/dev/null)
  fi
}

# The row of the pane (plain text, 0-based) that holds TEXT, or -1.
row_of() {
  local found
  found=$(screen | grep -nF -m1 -- "$1" | cut -d: -f1)
  echo $((${found:-0} - 1))
}
row_text() { screen | sed -n "$(($1 + 1))p"; }

# "fore back" SGR colours of the first character of the first occurrence of
# TEXT on the pane (39/49: the terminal's own colours).
colours_of() {
  screen_sgr | perl -e '
    my $needle = shift; utf8::decode($needle);
    binmode STDIN, ":encoding(UTF-8)";
    my ($fore, $back) = (39, 49);
    while (my $line = <STDIN>) {
      chomp $line;
      my (@text, @pen);
      while (length $line) {
        if ($line =~ s/^\e\[([0-9;]*)m//) {
          for my $n (split /;/, ($1 eq "" ? "0" : $1)) {
            $n = 0 if $n eq "";
            if ($n == 0) { ($fore, $back) = (39, 49) }
            elsif (($n >= 30 && $n <= 39) || ($n >= 90 && $n <= 97)) { $fore = $n }
            elsif (($n >= 40 && $n <= 49) || ($n >= 100 && $n <= 107)) { $back = $n }
          }
        } elsif ($line =~ s/^\e\[[0-9;?]*[A-Za-z]//) {
        } else {
          $line =~ s/^(.)//s;
          push @text, $1;
          push @pen, "$fore $back";
        }
      }
      my $at = index(join("", @text), $needle);
      if ($at >= 0) { print "$pen[$at]\n"; exit 0 }
    }
    print "absent\n";' -- "$1"
}
fore_of() { colours_of "$1" | cut -d' ' -f1; }

# The terminal is as the program found it: the next command typed at the
# shell shows in the terminal's own colours. (Typed rather than printed by the
# script: Wine's console process may send its last colour change just after the
# program has ended.)
check_colours_back() {
  tm send-keys -l "echo DONE"
  tm send-keys Enter
  if check "the shell answers after the program" wait_until eval 'screen | grep -qx DONE'; then
    check "the terminal echoes typed keys again" screen_has 'e2e$ echo DONE'
    expect_eq "the terminal's colours are back after the exit" "39 49" "$(colours_of DONE)"
  fi
}

# ---- expected text ---------------------------------------------------------

repeat() { local out="" i; for ((i = 0; i < $2; i++)); do out+="$1"; done; printf '%s' "$out"; }
pad_left() { printf '%s%s' "$(repeat ' ' $(($1 - ${#2})))" "$2"; }   # width text
pad_right() { printf '%s%s' "$2" "$(repeat ' ' $(($1 - ${#2})))"; }
grouped() { echo "$1" | sed ':a; s/\B[0-9]\{3\}\>/,&/; ta'; }

# A field line of the progress box, as wide as the window allows: the label
# right-aligned in ten columns, the value ending four columns from the edge.
box_field() { printf '║ %s: %s ║' "$(pad_left 10 "$1")" "$(pad_left $((Columns - 17)) "$2")"; }

# The row in which the progress box's top border stands, or -1.
box_top() { row_of "╓─ Source ─"; }

# The paint and a few structural rows of the progress box at row TOP.
check_progress_box() {  # TOP SOURCE DEST OFFSET SIZE
  local top="$1"
  local line
  line=$(row_text "$top")
  expect_eq "top border ends in column $((Columns - 2))" 99 "${#line}"
  expect_eq "top border" "╓─ Source $(repeat ─ $((Columns - 12)))╖" "$line"
  expect_eq "source name" "$(box_field Name "$2")" "$(row_text $((top + 1)))"
  expect_eq "source offset" "$(box_field Offset "$(grouped "$4") bytes")" "$(row_text $((top + 2)))"
  expect_eq "source size" "$(box_field Size "$(grouped "$5") bytes")" "$(row_text $((top + 3)))"
  expect_eq "target border" "╟─ Target $(repeat ─ $((Columns - 12)))╢" "$(row_text $((top + 4)))"
  expect_eq "target name" "$(box_field Name "$3")" "$(row_text $((top + 5)))"
  local row label
  for row in 7 12; do
    expect_eq "divider $row" "╟$(repeat ─ $((Columns - 3)))╢" "$(row_text $((top + row)))"
  done
  for row in 6 8 9 10 11 13 14; do
    line=$(row_text $((top + row)))
    label=$(pad_left 10 "$(echo "Size,,Start time,End time,Elapsed,Remaining,,KB/sec,% complete" |
      cut -d, -f$((row - 5)))")
    check "field row $row: \"$line\"" eval '[[ "$line" == "║ $label: "*" ║" ]] && [ "${#line}" -eq 99 ]'
  done
  expect_eq "bottom border" "╚$(repeat ═ $((Columns - 3)))╝" "$(row_text $((top + 15)))"
  # (Wine's console shows light grey on black as the terminal's own colours.)
  $windows || expect_eq "time labels in light grey on black" "37 40" "$(colours_of "Start time")"
  expect_eq "frame in light green" 92 "$(fore_of "╓─")"
  expect_eq "source label in dark cyan" 36 "$(fore_of " Source ")"
}

# Rows TOP..: the usage box for a window of the pane's width, then the prompt
# (none after a request for help: PROMPT "").
check_usage_box() {  # TOP [PROMPT]
  local top="$1" prompt="${2-Press any key}" i text
  local texts=("Usage: "
    "  blkcopy <sourcefilepath> <destfilepath> [bufsize] [/R] [/V]"
    "Where:"
    "  bufsize is an integer followed by 'B', 'K', or 'M'.  Default: 64K"
    "  /R indicates copying should resume from last copy operation,"
    "     appending <destfilepath> with implied offset in <sourcefilepath>")
  expect_eq "usage top border" "╔$(repeat ═ $((Columns - 3)))╗" "$(row_text "$top")"
  for i in "${!texts[@]}"; do
    text="║ $(pad_right $((Columns - 4)) "${texts[$i]}")║"
    expect_eq "usage row $((i + 1))" "$text" "$(row_text $((top + 1 + i)))"
  done
  expect_eq "usage bottom border" "╚$(repeat ═ $((Columns - 3)))╝" "$(row_text $((top + 7)))"
  local below
  below=$(row_text $((top + 8)))
  expect_eq "the key prompt under the box" "$prompt" "${below:0:${#prompt}}"
  expect_eq "usage box in light green" 92 "$(fore_of "╔═")"
}

# A listing of the data folder that changes with any file's size or time.
listing() { (cd "$case_dir/data" && find . -printf '%p %s %T@\n' | sort); }
random_file() { head -c "$2" /dev/urandom >"$1"; }  # path bytes

# ---- the cases -------------------------------------------------------------

usage_case() {  # NAME ARGUMENT...
  begin_case "$1"
  shift
  open_pane
  local before title
  before=$(listing)
  title=$(tm display-message -p '#{pane_title}')
  start_program "$@"
  if wait_for_text "Press any key"; then
    check_usage_box "$(row_of "╔═")"
    tm send-keys "${pause_key:-x}"
  fi
  finish_program
  check "the key was taken whole (no \"[A\" left for the shell)" test "$(row_of "[A")" -lt 0
  expect_eq "exit code" 1 "$exit_code"
  check_colours_back
  expect_eq "the title is back" "$title" "$(tm display-message -p '#{pane_title}')"
  expect_eq "no file was touched" "$before" "$(listing)"
  end_case
}

# Help asked for: the usage box and exit 0 with no key wait; the version as
# one line.
help_case() {  # NAME ARGUMENT...
  begin_case "$1"
  shift
  open_pane
  start_program "$@"
  finish_program
  expect_eq "exit code" 0 "$exit_code"
  if [[ " $* " == *" --version "* ]]; then
    check "the name and version" eval 'screen | grep -qx "blkcopy [0-9][0-9.]*"'
  else
    check_usage_box "$(row_of "╔═")" ""
  fi
  end_case
}

# No colours for NO_COLOR or a monochrome terminal: no SGR colour number
# reaches the terminal, and the box is still drawn.
no_colour_case() {  # NAME ENVIRONMENT...
  begin_case "$1"
  shift
  random_file "$case_dir/data/src.img" $((1024 * 1024 + 77))
  open_pane
  tm pipe-pane -o "cat >$(quote "$case_dir/raw")"
  prefix=(env "$@")
  start_program src.img dst.img 64K
  finish_program
  prefix=()
  tm pipe-pane
  expect_eq "exit code" 0 "$exit_code"
  check "the box is drawn" screen_has "╓─ Source ─"
  check "no colour was sent" perl -ne 'while (/\e\[([0-9;]*)m/g) {
    for (split /;/, $1) { exit 1 if ($_ >= 30 && $_ <= 49) || ($_ >= 90 && $_ <= 107) } }' \
    "$case_dir/raw"
  end_case
}

# A double quote can't reach the Linux program as part of a path (the shell
# takes quotes); one passed on inside an argument is refused with a message.
quote_refused_case() {
  begin_case quote-in-argument
  open_pane
  local before
  before=$(listing)
  start_program '"src.img' dst.img
  finish_program
  expect_eq "exit code" 1 "$exit_code"
  check "the refusal names the quote" screen_has "holds a double quote"
  check "no usage box" test "$(row_of "╔═")" -lt 0
  check_colours_back
  expect_eq "no file was touched" "$before" "$(listing)"
  end_case
}

now_ms() { date +%s%3N; }
fresh_ms=1000  # how long the fresh copy of FreshBytes took, start-up included
FreshBytes=$((32 * 1024 * 1024 + 1234))
fresh_copy_case() {
  begin_case fresh-copy
  local size=$FreshBytes top shown="" sizes=0 value start
  random_file "$case_dir/data/src.img" "$size"
  open_pane
  start=$SECONDS
  fresh_ms=$(now_ms)
  start_program src.img dst.img 8K
  if wait_for_text "╓─ Source"; then
    top=$(box_top)
    # Keys typed meanwhile wait unseen, and go to the shell afterwards (Wine
    # echoes them at once: see the break case).
    if ! $windows; then
      tm send-keys -l "echo TYPE""AHEAD"
      tm send-keys Enter Enter
    fi
    # Watch the target's size grow while the copy runs (a refresh every 100 blocks).
    while ! screen_has AFTER && [ $((SECONDS - start)) -lt "$Timeout" ]; do
      value=$(row_text $((top + 6)) | sed -n 's/.* \([0-9,]*\) bytes ║$/\1/p')
      if [ -n "$value" ] && [ "$value" != "$shown" ]; then
        shown=$value
        sizes=$((sizes + 1))
      fi
      sleep 0.05
    done
  fi
  finish_program
  fresh_ms=$(($(now_ms) - fresh_ms))
  expect_eq "exit code" 0 "$exit_code"
  check "the box moved: several target sizes seen during the copy ($sizes)" test "$sizes" -ge 2
  top=$(box_top)
  if check "the progress box is shown" test "$top" -ge 0; then
    check_progress_box "$top" src.img dst.img 0 "$size"
    # The last refresh came after the 4,000th of 4,096 full blocks.
    expect_eq "target size at the last refresh" "$(box_field Size "32,768,000 bytes")" \
      "$(row_text $((top + 6)))"
    expect_eq "percentage at the last refresh" "$(box_field "% complete" "97.65%")" \
      "$(row_text $((top + 14)))"
    expect_eq "completion line" "File copy completed!" "$(row_text $((top + 16)))"
    expect_eq "destination line" "dst.img written" "$(row_text $((top + 17)))"
    expect_eq "summary" "Total bytes:   $(grouped "$size")" "$(row_text $((top + 18)))"
    expect_eq "completion in light cyan" 96 "$(fore_of "File copy completed!")"
    if ! $windows; then
      check "the typed keys went to the shell afterwards" wait_until screen_has TYPEAHEAD
      check "the typed keys were not shown during the copy" test "$(row_of "TYPE""AHEAD")" -gt $((top + 18))
    fi
  fi
  check "the destination is byte-identical" cmp -s "$case_dir/data/src.img" "$case_dir/data/dst.img"
  check_colours_back
  end_case
}

break_and_resume_case() {
  begin_case break-then-resume
  # Large enough that the copy is still running when Ctrl+C comes, yet quick
  # to finish afterwards: about three seconds' worth at the fresh copy's pace.
  local mib=$((FreshBytes * 3 / 1048576 * 1000 / (fresh_ms > 0 ? fresh_ms : 1)))
  [ "$mib" -ge 32 ] || mib=32
  [ "$mib" -le 1024 ] || mib=1024
  local size=$((mib * 1024 * 1024 + 4321)) top copied
  random_file "$case_dir/data/src.img" "$size"
  open_pane
  start_program src.img dst.img 8K
  wait_for_text "╓─ Source"
  top=$(box_top)
  # After the first refresh the copy is surely under way.
  check "a refresh during the copy" wait_until eval 'row_text $((top + 6)) | grep -q "[0-9] bytes ║$"'
  # Between refreshes the terminal's own cursor rests under the box, where
  # anything else printed meanwhile (the shell's job messages) lands.
  $windows || check "the cursor rests at column 0 under the box" \
    wait_until eval 'test "$(tm display-message -p "#{cursor_x},#{cursor_y}")" = "0,$((top + 16))"'
  tm send-keys C-c
  finish_program
  expect_eq "exit code after the break" 4 "$exit_code"
  if $windows; then
    # Wine leaves the terminal's echo on while no console read is pending, so
    # the terminal itself prints "^C" at the cursor; Wine's console doesn't
    # know, and its later lines can land a row lower.
    local row
    row=$(row_of "[BREAK] User halt.")
    check "the break line under the box (row $row)" test "$row" -ge $((top + 16)) -a "$row" -le $((top + 17))
  else
    expect_eq "the break line under the box" "[BREAK] User halt." "$(row_text $((top + 16)))"
  fi
  $windows || check "no \"^C\" echoed on the pane" test "$(row_of "^C")" -lt 0
  expect_eq "the break line in light magenta" 95 "$(fore_of "[BREAK] User halt.")"
  check "no summary after a break" test "$(row_of "Total bytes:")" -lt 0
  check_colours_back
  copied=$(stat -c %s "$case_dir/data/dst.img" 2>/dev/null || echo 0)
  # Grouped by three, as every count the program shows.
  local shown
  shown=$(sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$copied")
  # The advice, wrapped at a word boundary: the pane is narrower than the line.
  local advice
  advice=$(screen | sed -n "$(($(row_of "[BREAK] User halt.") + 2)),+1p" | tr '\n' ' ')
  expect_eq "the advice under the break line" \
    "The destination holds the first $shown bytes of the source, in whole blocks. The same command with /R continues the copy from there. " \
    "$advice"
  check "the break came during the copy ($copied of $size bytes)" test "$copied" -gt 0 -a "$copied" -lt "$size"
  check "whole blocks written before the break" test $((copied % 8192)) -eq 0
  check "what was written is the source's beginning" \
    cmp -s -n "$copied" "$case_dir/data/src.img" "$case_dir/data/dst.img"

  open_pane
  start_program src.img dst.img 8K /R
  finish_program
  expect_eq "exit code after the resume" 0 "$exit_code"
  top=$(box_top)
  if check "the progress box is shown on resuming" test "$top" -ge 0; then
    check_progress_box "$top" src.img dst.img "$copied" "$size"
    # The three numbers end in one column, that of the longest, the total.
    local total
    total=$(grouped "$size")
    expect_eq "completion line" "File copy completed!" "$(row_text $((top + 16)))"
    expect_eq "destination line" "dst.img written" "$(row_text $((top + 17)))"
    expect_eq "initial size" "Initial size:  $(pad_left ${#total} "$(grouped "$copied")")" \
      "$(row_text $((top + 18)))"
    expect_eq "bytes written" "Bytes written: $(pad_left ${#total} "$(grouped $((size - copied)))")" \
      "$(row_text $((top + 19)))"
    expect_eq "total bytes" "Total bytes:   $total" "$(row_text $((top + 20)))"
  fi
  check "the resumed destination is byte-identical" \
    cmp -s "$case_dir/data/src.img" "$case_dir/data/dst.img"
  check_colours_back
  end_case
}

open_failure_case() {  # NAME MESSAGE ARGUMENT...
  begin_case "$1"
  local message="$2" before
  shift 2
  random_file "$case_dir/data/src.img" 100000
  random_file "$case_dir/data/keep.img" 5000
  open_pane
  before=$(listing)
  start_program "$@"
  finish_program
  expect_eq "exit code" 2 "$exit_code"
  check "the message \"$message\" on a line of its own" eval 'screen | grep -qxF -- "$message"'
  check "no progress box" test "$(box_top)" -lt 0
  check_colours_back
  expect_eq "nothing was touched" "$before" "$(listing)"
  end_case
}

names_case() {
  begin_case names
  local source="my files/café ü.img" dest="my files/copie à côté.img" size=$((1024 * 1024 + 5))
  mkdir -p "$case_dir/data/my files"
  random_file "$case_dir/data/$source" "$size"
  open_pane
  start_program "$source" "$dest"
  local top
  finish_program
  expect_eq "exit code" 0 "$exit_code"
  top=$(box_top)
  if check "the progress box is shown" test "$top" -ge 0; then
    check_progress_box "$top" "$source" "$dest" 0 "$size"
    expect_eq "source name in light cyan" 96 "$(fore_of "$source")"
    expect_eq "destination line" "$dest written" "$(row_text $((top + 17)))"
  fi
  check "the destination is byte-identical" cmp -s "$case_dir/data/$source" "$case_dir/data/$dest"
  end_case
}

# TERM=dumb: a plain stream, as ninja and most tools take it. What reaches
# the terminal (tmux's pipe-pane of the pane's output) holds no escape
# sequence at all: no colour, cursor move or title.
dumb_terminal_case() {
  begin_case dumb-terminal
  random_file "$case_dir/data/src.img" $((3 * 1024 * 1024 + 77))
  open_pane
  tm pipe-pane -o "cat >$(quote "$case_dir/raw")"
  prefix=(env TERM=dumb)
  start_program src.img dst.img 64K
  finish_program
  prefix=()
  tm pipe-pane
  expect_eq "exit code" 0 "$exit_code"
  check "the completion line" eval 'screen | grep -qx "File copy completed!"'
  check "no escape sequence reached the terminal" eval "! grep -q \$'\\x1b' $(quote "$case_dir/raw")"
  check "the destination is byte-identical" cmp -s "$case_dir/data/src.img" "$case_dir/data/dst.img"
  end_case
}

# A source that takes about three seconds to copy at the fresh copy's pace.
three_seconds_source() {  # FILE [SECONDS]
  local mib=$((FreshBytes * ${2:-3} / 1048576 * 1000 / (fresh_ms > 0 ? fresh_ms : 1)))
  [ "$mib" -ge 32 ] || mib=32
  [ "$mib" -le 1024 ] || mib=1024
  random_file "$1" $((mib * 1024 * 1024 + 4321))
}

# A window too narrow or too short for the box: plain progress lines from the
# command's next row on, and every ending line on a clean line of its own.
small_window_case() {  # NAME COLUMNS ROWS
  begin_case "$1"
  local Columns="$2" Rows="$3" command_row first
  three_seconds_source "$case_dir/data/src.img"
  open_pane
  start_program src.img dst.img 8K
  finish_program
  expect_eq "exit code" 0 "$exit_code"
  check "no box" test "$(box_top)" -lt 0
  command_row=$(row_of "run.sh")
  # The line that names the copy comes at once, under the command.
  check "the copy is named under the command, no rows kept blank" \
    test "$(row_of "Copying src.img to dst.img:")" -eq $((command_row + 1))
  check "the completion line on a clean line" eval 'screen | grep -qx "File copy completed!"'
  check "the destination line on a clean line" eval 'screen | grep -qx "dst.img written"'
  check "the destination is byte-identical" cmp -s "$case_dir/data/src.img" "$case_dir/data/dst.img"
  end_case
}

# A copy of a few seconds started in a new pane, up to its first refresh; the
# box's top row is left in $top.
copy_until_first_refresh() {
  three_seconds_source "$case_dir/data/src.img"
  open_pane
  start_program src.img dst.img 8K
  wait_for_text "╓─ Source"
  top=$(box_top)
  check "a refresh during the copy" wait_until eval 'row_text $((top + 6)) | grep -q "[0-9] bytes ║$"'
}

# A resize during the copy: the old box is left as the terminal reflowed it,
# a new one at the new width stands below, the endings right under it.
resize_case() {
  begin_case resize
  local top narrow=80
  copy_until_first_refresh
  tm resize-window -x "$narrow"
  finish_program
  expect_eq "exit code" 0 "$exit_code"
  top=$(row_of "╓─ Source $(repeat ─ $((narrow - 12)))╖")
  if check "a box at the new width" test "$top" -ge 0; then
    expect_eq "its bottom border" "╚$(repeat ═ $((narrow - 3)))╝" "$(row_text $((top + 15)))"
    expect_eq "completion line under it" "File copy completed!" "$(row_text $((top + 16)))"
  fi
  end_case
}

# Stopped (as by Ctrl+Z) and continued: the shell may have printed under the
# box meanwhile, so a new box is painted below and the endings follow it.
stop_continue_case() {
  begin_case stop-continue
  local top pid
  copy_until_first_refresh
  # The pane's shell runs run.sh, which runs the program.
  pid=$(pgrep -P "$(pgrep -P "$(tm display-message -p '#{pane_pid}')")")
  if check "the program's process found" test -n "$pid"; then
    kill -TSTP "$pid"
    sleep 0.5
    kill -CONT "$pid"
  fi
  finish_program
  expect_eq "exit code" 0 "$exit_code"
  expect_eq "two boxes" 2 "$(screen | grep -c "╓─ Source")"
  top=$(screen | grep -n "╓─ Source" | tail -1 | cut -d: -f1)
  expect_eq "completion line under the new box" "File copy completed!" "$(row_text $((top - 1 + 16)))"
  end_case
}

# Wide characters take two columns, and an emoji two cells on either system
# (wide on a terminal; its two UTF-16 units as "??" on Wine's console): the
# border still ends the row. NAME|COLUMNS|AS-WINE-SHOWS-IT ("": native only).
wide_names_case() {
  begin_case wide-names
  local entry name columns shown
  for entry in "データ日本語.img|16|" "a😀b.bin|8|a??b.bin" "c😀😀😀😀.bin|13|c????????.bin"; do
    IFS='|' read -r name columns shown <<<"$entry"
    if $windows; then [ -n "$shown" ] || continue; else shown=$name; fi
    rm -f "$case_dir/data/dst.img"
    random_file "$case_dir/data/$name" 100000
    open_pane
    start_program "$name" dst.img
    finish_program
    expect_eq "exit code ($name)" 0 "$exit_code"
    expect_eq "the name's row ends with its border ($name)" \
      "║       Name: $(repeat ' ' $((Columns - 17 - columns)))$shown ║" "$(row_text $(($(box_top) + 1)))"
  done
  end_case
}

# Keys typed during a copy, then Ctrl+C. Wine's terminal echoes them where
# the cursor rests, under the box; the break line is written over them.
# Large blocks from a sparse source: few refreshes, and the break comes soon.
typed_keys_case() {
  begin_case typed-keys
  local top
  truncate -s 2G "$case_dir/data/src.img"
  open_pane
  start_program src.img dst.img 4M
  wait_for_text "╚═"
  top=$(box_top)
  tm send-keys -l "echo typed"
  sleep 0.2
  tm send-keys C-c
  finish_program
  expect_eq "exit code after the break" 4 "$exit_code"
  check_progress_box "$top" src.img dst.img 0 "$(stat -c %s "$case_dir/data/src.img")"
  check "nothing typed inside the box" eval '! screen | sed -n "$((top + 1)),$((top + 16))p" | grep -q typed'
  expect_eq "the break line covers what was echoed" "[BREAK] User halt." "$(row_text $((top + 16)))"
  end_case
}

# The wall clock stepped during a copy (libfaketime, its offset file changed
# as NTP or a user would step the clock; the monotonic clock runs on): Elapsed
# keeps counting from the copy's start and the rate stays real. STEP|END-DAY.
clock_steps_case() {
  begin_case clock-steps
  local faketime=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 entry step day top a b rate
  if [ ! -f "$faketime" ]; then
    echo "skip clock-steps: needs libfaketime (Debian's faketime package)"
    return 0
  fi
  for entry in "-1h|$(date -d "1 hour ago" +%F)" "+1d|$(date -d "1 day" +%F)"; do
    IFS='|' read -r step day <<<"$entry"
    echo "+0" >"$case_dir/offset"
    # Long enough to outlast both samples when the machine is faster than
    # when it was measured.
    three_seconds_source "$case_dir/data/src.img" 10
    open_pane
    # (NO_FAKE_STAT: file times stay true, or the source would seem changed.
    # A sanitized build's runtime must let the preloaded library come first.)
    prefix=(env LD_PRELOAD="$faketime" FAKETIME_TIMESTAMP_FILE="$case_dir/offset" FAKETIME_NO_CACHE=1 NO_FAKE_STAT=1
      FAKETIME_DONT_FAKE_MONOTONIC=1 ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0")
    start_program src.img dst.img 8K
    prefix=()
    wait_for_text "╚═"
    top=$(box_top)
    echo "$step" >"$case_dir/offset"
    sleep 1.2
    a=$(row_text $((top + 10)) | tr -dc 0-9)
    sleep 1.2
    b=$(row_text $((top + 10)) | tr -dc 0-9)
    rate=$(row_text $((top + 13)) | tr -dc 0-9)
    check "Elapsed goes on after a step of $step ($a, then $b)" test "${b:-0}" -gt "${a:-0}" -a "${b:-0}" -lt 100
    check "the rate stays real after a step of $step (${rate:-none} KB/sec)" test "${rate:-0}" -ge 1000
    check "the End time is on the stepped clock's day ($day)" eval 'row_text $((top + 9)) | grep -q " $day "'
    finish_program
    expect_eq "exit code" 0 "$exit_code"
  done
  end_case
}

# A terminal in a locale's own character set (luit turns it into the pane's
# UTF-8): KOI8-R has the frame's characters, ISO-8859-1 gets +-| instead.
charset_case() {  # NAME LOCALE ENCODING TOP-BORDER-START GROUPED-SIZE
  begin_case "$1"
  if ! command -v luit >/dev/null 2>&1 || ! locale -a 2>/dev/null | grep -qix "$(echo "$2" | tr -d -- '-' )"; then
    echo "skip $1: needs luit and the locale $2 (localedef -i ${2%%.*} -f ${2#*.} $2)"
    [ "${CI:-}" != true ] || failures=$((failures + 1))
    return 0
  fi
  random_file "$case_dir/data/src.img" 1234567
  open_pane
  prefix=(env LC_ALL="$2" luit -encoding "$3" --)
  start_program src.img dst.img
  prefix=()
  finish_program
  expect_eq "exit code" 0 "$exit_code"
  check "the top border as \"$4\"" screen_has "$4"
  check "the size grouped as \"$5\"" screen_has "$5 bytes"
  end_case
}

# E2E_CASES="fresh-copy names" runs only the cases named (a developer's aid).
wanted() { [ -z "${E2E_CASES:-}" ] || [[ " $E2E_CASES " == *" $1 "* ]]; }

echo "blkcopy in a terminal: ${program[*]}"
wanted usage-no-arguments && usage_case usage-no-arguments
wanted usage-one-path && usage_case usage-one-path src.img
wanted usage-three-paths && usage_case usage-three-paths a.img b.img c.img
wanted help-alone && help_case help-alone /?
wanted help-among-paths && help_case help-among-paths a.img b.img --help
wanted version && help_case version --version
# On Windows NO_COLOR leaves the console's colours as they are.
wanted no-color && no_colour_case no-color NO_COLOR=1
if $windows; then
  # The quote reaches the Windows program's command line as it would from
  # cmd.exe: one double quote, an unbalanced line.
  wanted usage-unbalanced-quotes && usage_case usage-unbalanced-quotes '"src.img' dst.img
else
  wanted quote-in-argument && quote_refused_case
fi
wanted fresh-copy && fresh_copy_case
wanted break-then-resume && break_and_resume_case
wanted missing-source &&
  open_failure_case missing-source "Could not open source file" missing.img keep.img
wanted missing-folder &&
  open_failure_case missing-folder "Could not open destination file" src.img nofolder/dst.img
wanted names && names_case
wanted wide-names && wide_names_case
wanted typed-keys && typed_keys_case
if ! $windows; then
  wanted arrow-at-pause && pause_key=Up usage_case arrow-at-pause
  wanted narrow-window && small_window_case narrow-window 39 40
  wanted short-window && small_window_case short-window 100 12
  wanted resize && resize_case
  wanted stop-continue && stop_continue_case
  wanted dumb-terminal && dumb_terminal_case
  wanted clock-steps && clock_steps_case
  wanted xterm-mono && no_colour_case xterm-mono TERM=xterm-mono
  wanted vt100 && no_colour_case vt100 TERM=vt100
  wanted koi8-r && charset_case koi8-r ru_RU.KOI8-R KOI8-R "╓─ Source ─" $'1\u00a0234\u00a0567'
  wanted latin-1 && charset_case latin-1 de_DE.ISO-8859-1 ISO8859-1 "+- Source -" "1.234.567"
fi

if [ "$failures" -eq 0 ]; then
  echo "all terminal checks passed"
  exit 0
fi
echo "$failures case(s) FAILED"
exit 1
