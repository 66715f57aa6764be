// The one way the fuzz targets report a broken rule.
#pragma once

#include <cstdio>
#include <cstdlib>

// Stop the fuzzer with a message when a check fails.
inline void check(bool ok, const char *what)
{
	if (!ok) {
		std::fprintf(stderr, "check failed: %s\n", what);
		std::abort();
	}
}
