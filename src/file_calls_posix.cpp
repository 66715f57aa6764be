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

#include "file_calls.hpp"

namespace {

// Linux takes O_EXCL without O_CREAT for an exclusive claim on a block
// device, which fails while the device is mounted or claimed by another, and
// does nothing with it for any other file.
#if defined(__linux__)
constexpr int block_device_claim = O_EXCL;
#else
constexpr int block_device_claim = 0;
#endif

// Tell whether the file is one that holds bytes: a regular file or a block device.
[[nodiscard]] bool is_file_of_bytes(const struct stat &file)
{
	return S_ISREG(file.st_mode) || S_ISBLK(file.st_mode);
}

// Replace the device and inode of a loop device, or of a partition of one,
// open on descriptor, by those of the file behind it, as the loop driver
// tells them. A partition beyond the loop device's own minor numbers has an
// extended number, as other disks' may: the driver of those refuses the
// loop's question. cppcheck 2.17 also checks the body for other systems,
// which leave file as it is.
// cppcheck-suppress constParameterReference
void see_through_loop(int descriptor, struct stat &file)
{
#if defined(__linux__)
	loop_info64 info{};
	const unsigned int number = major(file.st_rdev);
	if (S_ISBLK(file.st_mode) && (number == LOOP_MAJOR || number == BLOCK_EXT_MAJOR) &&
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
// loop device and the file behind it.
[[nodiscard]] Answer is_same_file(int a, int b)
{
	struct stat first = {};
	struct stat second = {};
	if (fstat(a, &first) != 0 || fstat(b, &second) != 0)
		return Answer::unknown;
	if (S_ISBLK(first.st_mode) && S_ISBLK(second.st_mode) && first.st_rdev == second.st_rdev)
		return Answer::yes;
	see_through_loop(a, first);
	see_through_loop(b, second);
	return first.st_dev == second.st_dev && first.st_ino == second.st_ino ? Answer::yes
	                                                                      : Answer::no;
}

// The file open on descriptor: false when the system cannot tell.
[[nodiscard]] bool stat_of(int descriptor, struct stat &file)
{
	return fstat(descriptor, &file) == 0;
}

// A stream on descriptor, opened with mode as fdopen takes it; nullptr, the
// descriptor closed, when it cannot be had.
[[nodiscard]] std::FILE *stream_on(int descriptor, const char *mode)
{
	std::FILE *stream = descriptor < 0 ? nullptr : fdopen(descriptor, mode);
	if (stream == nullptr && descriptor >= 0)
		(void)close(descriptor);
	return stream;
}

// An unbuffered binary stream for reading on descriptor, as stream_on gives it.
[[nodiscard]] std::FILE *reader_on(int descriptor)
{
	std::FILE *reader = stream_on(descriptor, "rb");
	if (reader != nullptr)
		(void)std::setvbuf(reader, nullptr, _IONBF, 0);
	return reader;
}

// Open the file at path for reading only, without waiting for a FIFO's
// writer or taking a terminal as the controlling one; -1 when it cannot be.
[[nodiscard]] int open_for_reading(const char *path)
{
	return open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// What an exclusive open of the block device at path, which descriptor is
// open on, finds: Found::device when no one else has it mounted or held.
[[nodiscard]] Found claim(const char *path, int descriptor)
{
	const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
	// cppcheck also checks the other systems', whose claim is no flag.
	// cppcheck-suppress badBitmaskCheck
	const int claimed = open(path, flags | block_device_claim);
	if (claimed < 0)
		return errno == EBUSY ? Found::held_device : Found::unreadable;
	const Answer same = is_same_file(claimed, descriptor);
	(void)close(claimed);
	return same == Answer::yes ? Found::device : Found::unreadable;
}

// Tell whether standard output is open for writing, on a regular file or a
// block device, *file.
[[nodiscard]] Answer standard_output_file(struct stat &file)
{
	const int mode = fcntl(STDOUT_FILENO, F_GETFL);
	if (mode == -1)
		return errno == EBADF ? Answer::no : Answer::unknown;
	if ((mode & O_ACCMODE) == O_RDONLY)
		return Answer::no;
	if (!stat_of(STDOUT_FILENO, file))
		return Answer::unknown;
	return is_file_of_bytes(file) ? Answer::yes : Answer::no;
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
	*reader = nullptr;
	struct stat named = {};
	if (stat(path, &named) != 0)
		return errno == ENOENT ? Found::nothing : Found::unreadable;
	if (S_ISCHR(named.st_mode))
		return Found::character_device;
	if (!is_file_of_bytes(named))
		return Found::other;
	// What was opened is asked again: the name may have changed meanwhile.
	struct stat opened = {};
	*reader = reader_on(open_for_reading(path));
	if (*reader == nullptr)
		return Found::unreadable;
	Found found = Found::unreadable;
	if (stat_of(fileno(*reader), opened) && is_file_of_bytes(opened))
		found = S_ISBLK(opened.st_mode) ? claim(path, fileno(*reader)) : Found::file;
	if (found != Found::file && found != Found::device) {
		(void)std::fclose(*reader);
		*reader = nullptr;
	}
	return found;
}

Answer is_device_alias(const char * /*path*/)
{
	return Answer::no;
}

bool skip_hole(std::FILE *reader)
{
	const off_t from = ftello(reader);
	if (from < 0)
		return false;
	const off_t data = lseek(fileno(reader), from, SEEK_DATA);
	if (data >= 0)
		return fseeko(reader, data, SEEK_SET) == 0;
	// No data after from: the rest is a hole. A file system without holes
	// (and older kernels) may refuse the question.
	if (errno == ENXIO)
		return fseeko(reader, 0, SEEK_END) == 0;
	return errno == EINVAL && fseeko(reader, from, SEEK_SET) == 0;
}

Again look_again(std::FILE *input, const char *path, std::FILE **reader)
{
	*reader = nullptr;
	struct stat read = {};
	if (!stat_of(fileno(input), read))
		return Again::unreadable;
	if (!is_file_of_bytes(read))
		return Again::stream;
	*reader = reader_on(open_for_reading(path));
	if (*reader == nullptr)
		return Again::unreadable;
	// The name must still lead to the input's own file.
	if (is_same_file(fileno(*reader), fileno(input)) == Answer::yes)
		return Again::bytes;
	(void)std::fclose(*reader);
	*reader = nullptr;
	return Again::unreadable;
}

Answer is_same_file(std::FILE *a, std::FILE *b)
{
	return is_same_file(fileno(a), fileno(b));
}

Answer leads_to(const char *path, std::FILE *stream)
{
	struct stat named = {};
	struct stat opened = {};
	if (stat(path, &named) != 0)
		return errno == ENOENT ? Answer::no : Answer::unknown;
	if (!stat_of(fileno(stream), opened))
		return Answer::unknown;
	return named.st_dev == opened.st_dev && named.st_ino == opened.st_ino ? Answer::yes
	                                                                      : Answer::no;
}

Answer is_character_device(std::FILE *stream)
{
	struct stat opened = {};
	if (!stat_of(fileno(stream), opened))
		return Answer::unknown;
	return S_ISCHR(opened.st_mode) ? Answer::yes : Answer::no;
}

Answer holds_bytes(std::FILE *stream)
{
	struct stat opened = {};
	if (!stat_of(fileno(stream), opened))
		return Answer::unknown;
	return is_file_of_bytes(opened) ? Answer::yes : Answer::no;
}

bool get_state(std::FILE *stream, FileState &state)
{
	struct stat opened = {};
	if (!stat_of(fileno(stream), opened))
		return false;
	state.size = static_cast<long long>(opened.st_size);
	state.modified = static_cast<long long>(opened.st_mtim.tv_sec) * 1000000000LL +
	                 static_cast<long long>(opened.st_mtim.tv_nsec);
	return true;
}

std::FILE *open_for_writing(const char *path, Opening how)
{
	// fopen's "w" would empty the file and "a" would write at its end (or
	// fail on a file that cannot seek); this writes from the start, as the
	// shell's > does.
	const int flags = how == Opening::create ? O_CREAT | O_EXCL : block_device_claim;
	return stream_on(open(path, O_WRONLY | O_NOCTTY | O_CLOEXEC | flags, 0666), "w");
}

Answer is_standard_output(std::FILE *stream)
{
	struct stat standard = {};
	const Answer regular = standard_output_file(standard);
	if (regular != Answer::yes)
		return regular;
	return is_same_file(fileno(stream), STDOUT_FILENO);
}

bool get_standard_output_position(WritePosition &position)
{
	const int mode = fcntl(STDOUT_FILENO, F_GETFL);
	struct stat file = {};
	const off_t offset = lseek(STDOUT_FILENO, 0, SEEK_CUR);
	if (mode == -1 || offset < 0 || !stat_of(STDOUT_FILENO, file))
		return false;
	position.appending = (mode & O_APPEND) != 0;
	position.offset = static_cast<long long>(offset);
	position.size = static_cast<long long>(file.st_size);
	return true;
}

Answer resembles_standard_output(std::FILE *stream)
{
	struct stat standard = {};
	const Answer regular = standard_output_file(standard);
	if (regular != Answer::yes)
		return regular;
	struct stat file = {};
	if (!stat_of(fileno(stream), file))
		return Answer::unknown;
	return file.st_dev != standard.st_dev && file.st_ino == standard.st_ino &&
	                       file.st_size == standard.st_size &&
	                       file.st_mtim.tv_sec == standard.st_mtim.tv_sec &&
	                       file.st_mtim.tv_nsec == standard.st_mtim.tv_nsec
	               ? Answer::yes
	               : Answer::no;
}

bool make_empty(std::FILE *stream)
{
	return ftruncate(fileno(stream), 0) == 0;
}

std::FILE *share_stream(std::FILE *stream)
{
	return stream_on(fcntl(fileno(stream), F_DUPFD_CLOEXEC, 0), "w");
}

void print_message(const char *format, std::va_list args)
{
	(void)std::vprintf(format, args);
}
