// The parts of hrefgen's stream handling that are POSIX system calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "stream_io.hpp"

namespace {

// Tell whether the system identifies two files as one: the same device and
// inode, or two nodes of one block device. Never a terminal or another
// character device, which may be read and written at once.
[[nodiscard]] bool is_same_node(const struct stat &a, const struct stat &b)
{
	if (S_ISCHR(a.st_mode) || S_ISCHR(b.st_mode))
		return false;
	if (S_ISBLK(a.st_mode) && S_ISBLK(b.st_mode))
		return a.st_rdev == b.st_rdev;
	return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Open the file at path for reading only, without waiting for a FIFO's
// writer or taking a terminal as the controlling one; -1 when it cannot be.
[[nodiscard]] int open_for_reading(const char *path)
{
	return open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// Positional reads of the open file descriptor, for holds_same_bytes.
[[nodiscard]] auto reads_of(int descriptor)
{
	return [descriptor](char *bytes, std::size_t size, std::uint64_t offset) -> long long {
		return pread(descriptor, bytes, size, static_cast<off_t>(offset));
	};
}

// Tell whether the descriptor is standard output's own regular file, open
// there for writing.
[[nodiscard]] bool is_standard_output(int descriptor)
{
	struct stat file = {};
	struct stat standard = {};
	const int mode = fcntl(STDOUT_FILENO, F_GETFL);
	return mode != -1 && (mode & O_ACCMODE) != O_RDONLY && fstat(descriptor, &file) == 0 &&
	       fstat(STDOUT_FILENO, &standard) == 0 && S_ISREG(file.st_mode) &&
	       is_same_node(file, standard);
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
	// shell's > does, and leaves the emptying to make_empty.
	int descriptor = open(path, O_WRONLY | O_CREAT, 0666);
	if (descriptor >= 0 && is_standard_output(descriptor)) {
		(void)close(descriptor);
		descriptor = dup(STDOUT_FILENO);
	}
	if (descriptor < 0)
		return nullptr;
	std::FILE *stream = fdopen(descriptor, "w");
	if (stream == nullptr)
		(void)close(descriptor);
	return stream;
}

bool is_input_file(const char *path, std::FILE *output, std::FILE *input)
{
	const int input_descriptor = fileno(input);
	struct stat named = {};
	struct stat read = {};
	if ((output != nullptr ? fstat(fileno(output), &named) : stat(path, &named)) != 0 ||
	    fstat(input_descriptor, &read) != 0)
		return false;
	if (is_same_node(named, read))
		return true;
	if (!S_ISREG(named.st_mode) || !S_ISREG(read.st_mode))
		return false;
	// The bytes are read through an open for reading, which copies nothing
	// up on an overlay. A name that now leads to another file than the one
	// looked at has changed meanwhile: it is refused rather than guessed at.
	const int reader = open_for_reading(path);
	if (reader < 0)
		return false;
	struct stat reopened = {};
	const bool same = fstat(reader, &reopened) == 0 &&
	                  (!is_same_node(reopened, named) ||
	                   holds_same_bytes(reads_of(reader), reads_of(input_descriptor)));
	(void)close(reader);
	return same;
}

bool make_empty(std::FILE *stream)
{
	// A FIFO, a terminal or another device has nothing to empty; standard
	// output's own file was readied by whoever opened it (the shell's >
	// empties it, >> appends).
	const int descriptor = fileno(stream);
	struct stat opened = {};
	return fstat(descriptor, &opened) == 0 &&
	       (!S_ISREG(opened.st_mode) || is_standard_output(descriptor) ||
	        ftruncate(descriptor, 0) == 0);
}

void print_message(const char *format, std::va_list args)
{
	(void)std::vprintf(format, args);
}
