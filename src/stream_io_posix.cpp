// The file and console calls on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/loop.h>
#include <linux/major.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#endif

#include <cerrno>

#include "stream_io.hpp"

namespace {

// Tell whether the file is one that holds bytes: a regular file or a block device.
[[nodiscard]] bool is_file_of_bytes(const struct stat &file)
{
	return S_ISREG(file.st_mode) || S_ISBLK(file.st_mode);
}

// Replace the device and inode of a loop device, open on descriptor, by
// those of the file behind it, as its driver tells them. cppcheck 2.17 also
// checks the body for other systems, which leave file as it is.
// cppcheck-suppress constParameterReference
void see_through_loop(int descriptor, struct stat &file)
{
#if defined(__linux__)
	loop_info64 info{};
	if (S_ISBLK(file.st_mode) && major(file.st_rdev) == LOOP_MAJOR &&
	    ioctl(descriptor, LOOP_GET_STATUS64, &info) == 0) {
		file.st_dev = static_cast<dev_t>(info.lo_device);
		file.st_ino = static_cast<ino_t>(info.lo_inode);
	}
#else
	(void)descriptor;
	(void)file;
#endif
}

// Tell whether the system says that the files open on two descriptors are
// one: the same device and inode, one block device through two nodes, or a
// loop device and the file behind it. Never a character device.
[[nodiscard]] bool is_same_file(int a, int b)
{
	struct stat first = {};
	struct stat second = {};
	if (fstat(a, &first) != 0 || fstat(b, &second) != 0 || S_ISCHR(first.st_mode) ||
	    S_ISCHR(second.st_mode))
		return false;
	if (S_ISBLK(first.st_mode) && S_ISBLK(second.st_mode) && first.st_rdev == second.st_rdev)
		return true;
	see_through_loop(a, first);
	see_through_loop(b, second);
	return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// A binary stream on descriptor, open for reading, for a file that holds
// bytes; Found::unreadable, the descriptor closed, when it is not such a file.
[[nodiscard]] Found reader_of(int descriptor, std::FILE **reader)
{
	struct stat opened = {};
	*reader = nullptr;
	if (descriptor >= 0 && fstat(descriptor, &opened) == 0 && is_file_of_bytes(opened))
		*reader = fdopen(descriptor, "rb");
	if (*reader != nullptr)
		return Found::bytes;
	if (descriptor >= 0)
		(void)close(descriptor);
	return Found::unreadable;
}

// A stream for writing on descriptor; nullptr, the descriptor closed, when it cannot be had.
[[nodiscard]] std::FILE *stream_on(int descriptor)
{
	std::FILE *stream = descriptor < 0 ? nullptr : fdopen(descriptor, "w");
	if (stream == nullptr && descriptor >= 0)
		(void)close(descriptor);
	return stream;
}

// Open the file at path for reading only, without waiting for a FIFO's
// writer or taking a terminal as the controlling one; -1 when it cannot be.
[[nodiscard]] int open_for_reading(const char *path)
{
	return open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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

Found look_at(const char *path, std::FILE **reader)
{
	// Only a file that holds bytes is opened: opening a device may do anything.
	struct stat named = {};
	if (stat(path, &named) != 0)
		return errno == ENOENT ? Found::nothing : Found::unreadable;
	if (!is_file_of_bytes(named))
		return Found::stream;
	return reader_of(open_for_reading(path), reader);
}

Found look_again(std::FILE *input, const char *path, std::FILE **reader)
{
	struct stat read = {};
	if (fstat(fileno(input), &read) != 0)
		return Found::unreadable;
	if (!is_file_of_bytes(read))
		return Found::stream;
	// The name is opened again, and must still lead to the input's file.
	const Found found = reader_of(open_for_reading(path), reader);
	if (found == Found::bytes && !is_same_file(fileno(*reader), fileno(input))) {
		(void)std::fclose(*reader);
		return Found::unreadable;
	}
	return found;
}

bool is_same_file(std::FILE *a, std::FILE *b)
{
	return is_same_file(fileno(a), fileno(b));
}

bool is_character_device(std::FILE *stream)
{
	struct stat opened = {};
	return fstat(fileno(stream), &opened) == 0 && S_ISCHR(opened.st_mode);
}

bool holds_bytes(std::FILE *stream)
{
	struct stat opened = {};
	return fstat(fileno(stream), &opened) != 0 || S_ISBLK(opened.st_mode) ||
	       (S_ISREG(opened.st_mode) && opened.st_size > 0);
}

std::FILE *open_for_writing(const char *path)
{
	// fopen's "w" would empty the file and "a" would write at its end (or
	// fail on a file that cannot seek); this writes from the start, as the
	// shell's > does.
	return stream_on(open(path, O_WRONLY | O_CREAT, 0666));
}

bool is_standard_output(std::FILE *stream)
{
	struct stat file = {};
	const int mode = fcntl(STDOUT_FILENO, F_GETFL);
	return mode != -1 && (mode & O_ACCMODE) != O_RDONLY && fstat(fileno(stream), &file) == 0 &&
	       S_ISREG(file.st_mode) && is_same_file(fileno(stream), STDOUT_FILENO);
}

std::FILE *share_standard_output()
{
	return stream_on(dup(STDOUT_FILENO));
}

bool make_empty(std::FILE *stream)
{
	// A FIFO, a terminal or another device has nothing to empty.
	const int descriptor = fileno(stream);
	struct stat opened = {};
	return fstat(descriptor, &opened) == 0 &&
	       (!S_ISREG(opened.st_mode) || ftruncate(descriptor, 0) == 0);
}

void print_message(const char *format, std::va_list args)
{
	(void)std::vprintf(format, args);
}
