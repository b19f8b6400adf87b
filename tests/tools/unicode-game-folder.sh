# shellcheck shell=bash
# Sourced by the tests that start a program in a game folder named as a
# player's may be: a scratch folder $work, removed at exit, holding $game,
# named in accented, Cyrillic and CJK letters.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
game="$work/Jeux é Игры 游戏"
mkdir -p "$game"
