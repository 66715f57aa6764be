// The parts of hrefgen's stream handling that are POSIX system calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "stream_io.hpp"

namespace {

// Tell whether two regular files on two devices are two views of one file.
// An overlay shows a file of its layers under its own device number but with
// the layer's inode number, size and modification time: all of these, and
// the file's type and permissions, must agree. Two distinct files rarely do
// (a snapshot's copy of a file may), and a refusal loses nothing.
[[nodiscard]] bool is_alias(const struct stat &a, const struct stat &b)
{
	return S_ISREG(a.st_mode) && a.st_ino == b.st_ino && a.st_mode == b.st_mode &&
	       a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
	       a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Tell whether two files are one: the same device and inode, or two views
// of one regular file; never a terminal or another character device.
[[nodiscard]] bool is_same_file(const struct stat &a, const struct stat &b)
{
	if (S_ISCHR(a.st_mode))
		return false;
	return a.st_dev == b.st_dev ? a.st_ino == b.st_ino : is_alias(a, b);
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
	// fopen's "w" would empty the file and "a" would write at its end (or
	// fail on a file that cannot seek); this writes from the start, as the
	// shell's > does, and leaves the emptying to empty_file.
	const int descriptor = open(path, O_WRONLY | O_CREAT, 0666);
	if (descriptor < 0)
		return nullptr;
	std::FILE *stream = fdopen(descriptor, "w");
	if (stream == nullptr)
		(void)close(descriptor);
	return stream;
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
