#!/usr/bin/env bash
# Say that a part of the suite cannot run here for want of what it needs, and
# end with the status for it: 77, a skip, or 1, a failure where
# HREFGEN_REQUIRE_ALL=1 asks for every part (as CI does). The one place
# where that choice is made.
#
# usage: tests/missing.sh PART NEED   prints "SKIP PART: needs NEED" or "FAIL PART: needs NEED"
if [ "${HREFGEN_REQUIRE_ALL:-0}" = 1 ]; then
	echo "FAIL $1: needs $2"
	exit 1
fi
echo "SKIP $1: needs $2"
exit 77
