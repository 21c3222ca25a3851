#!/usr/bin/env bash
# Plays an installed game as a player would who cannot write where it is installed: from another
# folder, with a home of their own (XDG_DATA_HOME). When run as root the game runs as "nobody", so
# the installed files really are out of reach; otherwise the caller has made them read-only.
#   play_installed.sh GAME WORK
# GAME is the installed executable, WORK an empty folder for the player's home and the runs.
# Checks: --version answers; 60 headless frames and the main menu for 60 frames in an offscreen
# window exit 0; music muted in the options is remembered in the player's home and read back; the
# installed tree is left untouched; the executable alone, without its data, exits non-zero.
set -euo pipefail
game=$1
work=$2
mkdir -p "$work"
work=$(cd "$work" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

home="$work/home"
elsewhere="$work/elsewhere"
mkdir -p "$home" "$elsewhere"
chmod 755 "$work"
as_player=()
if [[ $(id -u) -eq 0 ]]; then
  chown nobody "$home" "$elsewhere"
  as_player=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
# The player can write to neither the game nor its data.
installed=$(cd "$(dirname "$game")/.." && pwd)
if "${as_player[@]}" test -w "$game" || "${as_player[@]}" test -w "$installed/share/quillmarch"; then
  fail "the player can write to the installed game"
fi
before=$(find "$installed/share/quillmarch" "$(dirname "$game")" -newer "$game" 2>/dev/null | wc -l)

play() {  # play NAME ARGS...: runs the game from the other folder, output in WORK/NAME.{out,err}
  local name=$1
  shift
  (cd "$elsewhere" && env XDG_DATA_HOME="$home" SDL_AUDIODRIVER=dummy "${as_player[@]}" "$game" "$@" \
    > "$work/$name.out" 2> "$work/$name.err")
}

play version --version || fail "--version exited $?"
grep -Eq '^quillmarch [0-9]+\.[0-9]+\.[0-9]+$' "$work/version.out" || fail "--version said: $(cat "$work/version.out")"

play headless --headless --frames 60 --fixed-dt 0.02 || fail "60 headless frames exited $?: $(cat "$work/headless.err")"
SDL_VIDEODRIVER=offscreen play menu --windowed --size 640x360 --scene 4 --frames 60 --fixed-dt 0.02 --no-dialogs \
  || fail "the main menu in an offscreen window exited $?: $(cat "$work/menu.err")"

# Pause the first level, open "options" and press "mute music".
printf 'qinput 1\n50\n1 ESCAPE\n4\n1 DOWN\n1\n1 ENTER\n1\n1 DOWN\n1\n1 DOWN\n1\n1 ENTER\n20\n' > "$work/mute.qinput"
chmod 644 "$work/mute.qinput"
play mute --headless --scene 6 --frames 90 --fixed-dt 0.02 --input "$work/mute.qinput" \
  || fail "the muting run exited $?: $(cat "$work/mute.err")"
settings="$home/quillmarch/Settings.lullwick"
grep -q '^mute_music = true$' "$settings" || fail "no muted music in $settings"
grep -q 'settings could not be saved' "$work/mute.err" && fail "a save failed: $(cat "$work/mute.err")"
# The next run reads it back (its log, turned on by the player's own Config.lullwick, says so).
printf 10 > "$home/quillmarch/Config.lullwick"
play again --headless --frames 5 --fixed-dt 0.02 || fail "the second run exited $?"
grep -q 'No settings file' "$home/quillmarch/output.log" && fail "the remembered settings were not read"
grep -q 'FrameTime' "$home/quillmarch/output.log" || fail "no log in the player's folder"

after=$(find "$installed/share/quillmarch" "$(dirname "$game")" -newer "$game" 2>/dev/null | wc -l)
[[ $before -eq $after ]] || fail "the installed tree changed"

# Without its data the game says so and fails.
mkdir -p "$work/lonely"
cp "$game" "$work/lonely/quillmarch"
set +e
env XDG_DATA_HOME="$home" "$work/lonely/quillmarch" --headless --frames 5 > /dev/null 2> "$work/lonely.err"
code=$?
set -e
[[ $code -ne 0 ]] || fail "a start without data exited 0"
grep -q 'data' "$work/lonely.err" || fail "a start without data said: $(cat "$work/lonely.err")"
echo "installed game at $game: plays from another folder for a player who cannot write there"
