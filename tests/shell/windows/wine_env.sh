# Sourced by the Windows test scripts after they set WINEPREFIX: Wine quiet, in that
# prefix, and never waiting for a click (no offers to download Mono or Gecko on a
# first start).
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
