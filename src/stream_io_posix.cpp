// The parts of hrefgen's stream handling that are POSIX system calls.
#include <sys/stat.h>

#include "stream_io.hpp"

bool is_same_file(std::FILE *stream, const char *path)
{
	struct stat opened = {};
	struct stat named = {};
	if (fstat(fileno(stream), &opened) != 0 || stat(path, &named) != 0)
		return false;
	return S_ISREG(named.st_mode) && named.st_dev == opened.st_dev &&
	       named.st_ino == opened.st_ino;
}

bool is_directory(std::FILE *stream)
{
	struct stat opened = {};
	return fstat(fileno(stream), &opened) == 0 && S_ISDIR(opened.st_mode);
}

void print_message(const char *format, std::va_list args)
{
	(void)std::vprintf(format, args);
}
