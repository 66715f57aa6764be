#!/usr/bin/env bash
# Run a Windows program under Wine with hrefgen's Wine settings, the one place
# they are written: a prefix of the tree's own (build/wine-prefix), no debug
# output, and no offer to install Mono or Gecko. CTest runs every Windows test
# through it, and the release checks and the benchmark use it too.
#
# usage: tests/wine.sh PROGRAM ARG...   run PROGRAM
#        tests/wine.sh --start          make the prefix if need be, and keep Wine up
#                                       (one wineserver, its services running) until --stop
#        tests/wine.sh --stop           stop it
set -u
WINEPREFIX=$(cd "$(dirname "$0")/.." && pwd)/build/wine-prefix
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine

case ${1:-} in
--start)
	# A wineserver left by a run that was cut short would keep the wait below waiting.
	"$wine/wineserver" -k >/dev/null 2>&1
	mkdir -p "$WINEPREFIX"
	# wineboot returns while Wine's services are still starting, and a program
	# started then can fail inside Wine: wait for them to end, then keep one
	# wineserver. The services start again with the next program and keep its
	# output open, so the first program's output is no one's.
	"$wine/wine64" wineboot --init >/dev/null 2>&1 </dev/null || exit
	"$wine/wineserver" -w
	"$wine/wineserver" -p >/dev/null 2>&1 </dev/null
	exec "$wine/wine64" cmd /c exit >/dev/null 2>&1 </dev/null
	;;
--stop)
	exec "$wine/wineserver" -k
	;;
*)
	# Now and then Wine fails to start a program at all: status 1, and not a
	# byte written to a standard output and error that are files, as the case
	# table's are (their sizes and positions unchanged). The program has then
	# done nothing, and is started again, twice at the most; the retries are
	# noted in the prefix's retries.log.
	written() { stat -L -c %s /proc/$$/fd/1 /proc/$$/fd/2 && grep -h '^pos:' /proc/$$/fdinfo/1 /proc/$$/fdinfo/2; }
	if [ ! -f /proc/$$/fd/1 ] || [ ! -f /proc/$$/fd/2 ]; then exec "$wine/wine64" "$@"; fi
	before=$(written)
	for attempt in 1 2 3; do
		"$wine/wine64" "$@"
		status=$?
		if [ "$status" != 1 ] || [ "$(written)" != "$before" ] || [ $attempt = 3 ]; then exit "$status"; fi
		echo "Wine started nothing (status 1, no output): $*" >>"$WINEPREFIX/retries.log"
	done
	;;
esac
