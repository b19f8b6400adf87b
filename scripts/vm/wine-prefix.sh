# Sourced by guest.sh: readies the Wine prefixes the Windows tests use, and
# keeps Wine's services running for the whole command.
#
# Making a prefix takes minutes under emulation, and Wine gives a prefix its
# first program makes only 5 minutes before it leaves it half-made. So each
# is made to the end here, once, in the build folder, and made again only
# for another version of Wine. They are used where they are, through the
# share: copying them into the machine's memory each boot costs more.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$vexilo_work/build/vm/wine-prefix
export VEXILO_CONSOLE_WINEPREFIX=$vexilo_work/build/vm/wine-prefix-console
wine_version=$(dpkg-query -W -f='${Version}' wine32:i386 2>/dev/null)
made_by() { [ "$(cat "$1.made-by" 2>/dev/null)" = "$wine_version" ]; }
if ! made_by "$WINEPREFIX"; then
  echo "emulated machine: making a Wine prefix for Wine $wine_version (a few minutes, once)"
  rm -rf "$WINEPREFIX" "$WINEPREFIX.made-by"
  if ! timeout 900 wineboot --init >/dev/null 2>&1 </dev/null || ! timeout 300 wineserver -w; then
    echo "emulated machine: Wine could not make its prefix (wineboot --init failed or took over 15 minutes)"
    return 1
  fi
  echo "$wine_version" >"$WINEPREFIX.made-by"
fi
# The console test's prefix of its own starts as a copy; it brings it up to date itself.
if ! made_by "$VEXILO_CONSOLE_WINEPREFIX"; then
  rm -rf "$VEXILO_CONSOLE_WINEPREFIX"
  cp -a "$WINEPREFIX" "$VEXILO_CONSOLE_WINEPREFIX" && cp "$WINEPREFIX.made-by" "$VEXILO_CONSOLE_WINEPREFIX.made-by"
fi
# A Windows program that waits for input that never comes keeps the prefix's
# wineserver and services up: every later program starts in seconds, not in
# the twenty a cold start takes under emulation.
tail -f /dev/null | wine cmd.exe >/dev/null 2>&1 &
if ! timeout 300 wine cmd.exe /c exit 0 >/dev/null 2>&1 </dev/null; then
  echo "emulated machine: Wine cannot run a Windows program here (cmd.exe did not start within 300 s)"
  return 1
fi
echo "emulated machine: Wine ready after $(cut -d' ' -f1 /proc/uptime) s"
