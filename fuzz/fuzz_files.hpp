// The temporary input and output files of the fuzz targets that run hrefgen's files.
#pragma once

#include <cstdlib>
#include <unistd.h>

#include "fuzz_check.hpp"

// Make the files of the mkstemp templates input and output, removed at exit.
inline void make_temporary_files(char *input, char *output)
{
	static char *made[2] = {input, output};
	const int in = mkstemp(input);
	const int out = mkstemp(output);
	check(in >= 0 && out >= 0 && close(in) == 0 && close(out) == 0, "temporary files");
	std::atexit([] {
		unlink(made[0]);
		unlink(made[1]);
	});
}
