#!/bin/bash
# Runs in the emulated machine as its first process, once init has made the
# host's file system its root: readies Wine, runs the command the host left
# in the run's folder, leaves its exit status beside it and powers off.
# Output goes to the serial console, which the host shows.
set -u
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/root LANG=C.UTF-8 WINEDEBUG=-all VEXILO_TIME_FACTOR=$vexilo_time_factor
run=$vexilo_run
cd "$vexilo_work" || exit 1
stty -onlcr 2>/dev/null

power_off() {
  # Files written through the shares reach the host only once synced.
  sync
  # The first process must not end, or the kernel panics: it waits on a FIFO
  # in memory, made while the shares still serve programs.
  mkfifo /run/power-off
  echo o >/proc/sysrq-trigger
  read -r <>/run/power-off
}
trap power_off EXIT

echo "emulated machine: up after $(cut -d' ' -f1 /proc/uptime) s"
if [ -f "$run/wine" ]; then
  # shellcheck source=wine-prefix.sh
  . "$run/wine-prefix.sh" || { echo 125 >"$run/status"; exit; }
fi
bash "$run/command"
echo $? >"$run/status"
