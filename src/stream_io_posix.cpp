// The parts of hrefgen's stream handling that are POSIX system calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "stream_io.hpp"

namespace {

// Tell whether two files are one: the same device and inode. A terminal or
// another character device may be read and written at once; anything else
// would be emptied under the read, or fed its own output.
[[nodiscard]] bool is_same_file(const struct stat &a, const struct stat &b)
{
	return a.st_dev == b.st_dev && a.st_ino == b.st_ino && !S_ISCHR(a.st_mode);
}

// Tell whether path names the file that stream is open on, looked up by name.
[[nodiscard]] bool names_file_of(const char *path, std::FILE *stream)
{
	struct stat opened = {};
	struct stat named = {};
	return fstat(fileno(stream), &opened) == 0 && stat(path, &named) == 0 &&
	       is_same_file(named, opened);
}

// Empty the output file open as file, unless it is the file that input reads.
[[nodiscard]] OutputOpen empty_unless_input(int file, std::FILE *input)
{
	struct stat opened = {};
	struct stat read_file = {};
	if (fstat(file, &opened) != 0 || fstat(fileno(input), &read_file) != 0)
		return OutputOpen::failed;
	if (is_same_file(opened, read_file))
		return OutputOpen::is_input;
	// A FIFO, a terminal or another device has nothing to empty.
	if (S_ISREG(opened.st_mode) && ftruncate(file, 0) != 0)
		return OutputOpen::failed;
	return OutputOpen::opened;
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

OutputOpen open_output(const char *path, std::FILE *input, std::FILE *&output)
{
	// Without O_TRUNC: nothing is emptied before the file has been looked at.
	const int file = open(path, O_WRONLY | O_CREAT, 0666);
	if (file < 0) {
		// The input itself, read-only say, still gets the message that says so.
		return names_file_of(path, input) ? OutputOpen::is_input : OutputOpen::failed;
	}
	OutputOpen result = empty_unless_input(file, input);
	if (result == OutputOpen::opened) {
		output = fdopen(file, "w");
		if (output != nullptr)
			return result;
		result = OutputOpen::failed;
	}
	(void)close(file);
	return result;
}

void print_message(const char *format, std::va_list args)
{
	(void)std::vprintf(format, args);
}
