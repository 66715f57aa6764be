// The parts of hrefgen's stream handling that are POSIX system calls.
#include <sys/stat.h>
#include <unistd.h>

#include "stream_io.hpp"

namespace {

// Tell whether two files are one: the same device and inode, and not a
// terminal or another character device.
[[nodiscard]] bool is_same_file(const struct stat &a, const struct stat &b)
{
	return a.st_dev == b.st_dev && a.st_ino == b.st_ino && !S_ISCHR(a.st_mode);
}

}  // namespace

std::FILE *open_input(const char *path)
{
	std::FILE *stream = std::fopen(path, "r");
	struct stat opened = {};
	if (stream != nullptr && (fstat(fileno(stream), &opened) != 0 || S_ISDIR(opened.st_mode))) {
		(void)std::fclose(stream);
		return nullptr;
	}
	return stream;
}

std::FILE *open_for_writing(const char *path)
{
	// Created if need be, and not emptied, unlike "w". Appending writes at
	// the end, which is the start once the file has been emptied.
	return std::fopen(path, "a");
}

bool is_same_file(std::FILE *a, std::FILE *b)
{
	struct stat first = {};
	struct stat second = {};
	return fstat(fileno(a), &first) == 0 && fstat(fileno(b), &second) == 0 &&
	       is_same_file(first, second);
}

bool names_file_of(const char *path, std::FILE *stream)
{
	struct stat named = {};
	struct stat opened = {};
	return stat(path, &named) == 0 && fstat(fileno(stream), &opened) == 0 &&
	       is_same_file(named, opened);
}

bool empty_file(std::FILE *stream)
{
	// A FIFO, a terminal or another device has nothing to empty.
	struct stat opened = {};
	return fstat(fileno(stream), &opened) == 0 &&
	       (!S_ISREG(opened.st_mode) || ftruncate(fileno(stream), 0) == 0);
}

void print_message(const char *format, std::va_list args)
{
	(void)std::vprintf(format, args);
}
