// The stream calls of hrefgen, in the one place where the platforms differ.
// The calls of the read and write loop are inline here: hrefgen has a single
// thread, so where the C library offers calls that skip the per-call stream
// lock, these use them. The rest live in stream_io_posix.cpp and
// stream_io_windows.cpp.
#pragma once

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Which C library's stream calls the loop uses: glibc's unlocked calls and its
// stream buffer, the Windows runtime's unlocked calls, or, with neither of
// them defined (any other C library, or -DHREFGEN_PORTABLE_STDIO=ON), the
// standard calls alone.
#if !defined(HREFGEN_PORTABLE_STDIO) && defined(__GLIBC__)
#define HREFGEN_STDIO_GLIBC 1
#elif !defined(HREFGEN_PORTABLE_STDIO) && defined(_WIN32)
#define HREFGEN_STDIO_WINDOWS 1
#endif

// Open the input file at path for reading, in text mode; nullptr when it
// cannot be opened or is a directory, which holds no lines.
[[nodiscard]] std::FILE *open_input(const char *path);

// Open the file at path for writing from its start, in text mode, created if
// it does not exist but neither emptied nor appended to; nullptr when it
// cannot be opened. The file that standard output is open on is written
// through standard output's own open file, so that the anchor lines and the
// messages follow one another in it instead of overwriting each other.
[[nodiscard]] std::FILE *open_for_writing(const char *path);

// Tell whether the file at path is the one that input is open on: looked up
// and read through an open for reading only while output is nullptr, before
// the open for writing; then through output, opened for writing at path.
// Two files are one when the system says so (the same device and inode, or
// file ID on Windows; one block device through two nodes), and two regular
// files are one when they hold the same bytes (see holds_same_bytes). A
// terminal or another character device may be read and written at once, and
// counts as no file here.
[[nodiscard]] bool is_input_file(const char *path, std::FILE *output, std::FILE *input);

// Empty the file that stream is open on, if it is a file that holds data and
// not standard output's own; false when that fails.
[[nodiscard]] bool make_empty(std::FILE *stream);

// Tell whether two regular files, neither empty, hold bytes that agree as far
// as both go: the same bytes, or the shorter one's the start of the longer
// one's. So does one file seen twice, once through a layer that shows it as
// another file (an overlay, FUSE), even while a cache there still shows an
// old size. read_a(bytes, size, offset) and read_b read as pread does, without
// moving the file's position: the count, 0 at the end, -1 on failure. Reading
// stops at the first difference, which for a list and an HTML file is the
// first byte.
template <typename ReadA, typename ReadB>
[[nodiscard]] bool holds_same_bytes(ReadA read_a, ReadB read_b)
{
	constexpr std::size_t chunk = 16384;
	char a[chunk];
	char b[chunk];
	for (std::uint64_t offset = 0;;) {
		const long long a_count = read_a(a, chunk, offset);
		const long long b_count = read_b(b, chunk, offset);
		if (a_count < 0 || b_count < 0)
			return false;
		const auto common = static_cast<std::size_t>(std::min(a_count, b_count));
		if (common == 0)
			return offset > 0;
		if (std::memcmp(a, b, common) != 0)
			return false;
		offset += common;
	}
}

// Print a message on standard output, formatted as vprintf does; names in it
// are UTF-8 (WTF-8 on Windows). On a Windows console the message shows the
// characters the names stand for.
void print_message(const char *format, std::va_list args);

// Read one character, as getc does.
[[nodiscard]] inline int read_char(std::FILE *stream)
{
#if defined(HREFGEN_STDIO_GLIBC)
	return getc_unlocked(stream);
#elif defined(HREFGEN_STDIO_WINDOWS)
	// The C runtime's buffer macro; its text mode has already turned CR LF
	// into a newline and stopped at CTRL-Z when the buffer was filled.
	return _getc_nolock(stream);
#else
	return std::getc(stream);
#endif
}

// Write one byte; a failure is left in the stream's error indicator.
inline void write_byte(char value, std::FILE *stream)
{
#if defined(HREFGEN_STDIO_GLIBC)
	(void)putc_unlocked(value, stream);
#elif defined(HREFGEN_STDIO_WINDOWS)
	// The C runtime's buffer macro; its text mode turns newlines into CR LF
	// when the buffer is written.
	(void)_putc_nolock(value, stream);
#else
	(void)std::putc(value, stream);
#endif
}

// Write length bytes; a failure is left in the stream's error indicator.
inline void write_bytes(const char *bytes, std::size_t length, std::FILE *stream)
{
#if defined(HREFGEN_STDIO_GLIBC)
	(void)fwrite_unlocked(bytes, 1, length, stream);
#else
	(void)std::fwrite(bytes, 1, length, stream);
#endif
}

// Tell whether the stream's end-of-file indicator is set.
[[nodiscard]] inline bool at_end(std::FILE *stream)
{
#if defined(HREFGEN_STDIO_GLIBC)
	return feof_unlocked(stream) != 0;
#else
	return std::feof(stream) != 0;
#endif
}

// Tell whether the stream's error indicator is set.
[[nodiscard]] inline bool has_failed(std::FILE *stream)
{
#if defined(HREFGEN_STDIO_GLIBC)
	return ferror_unlocked(stream) != 0;
#else
	return std::ferror(stream) != 0;
#endif
}

#if defined(HREFGEN_STDIO_GLIBC)
// Copy what the stream's buffer holds of the line, up to room bytes and up to
// and including a newline, to line; the number of bytes copied, 0 when the
// buffer is empty. glibc's FILE is a complete type: the bytes already read
// into the stream's buffer lie between _IO_read_ptr and _IO_read_end, and a
// line is copied out of there in one memchr and one memcpy, as fgets does.
[[nodiscard]] inline std::size_t read_buffered(char *line, std::size_t room, std::FILE *stream)
{
	const char *buffered = stream->_IO_read_ptr;
	auto count = static_cast<std::size_t>(stream->_IO_read_end - buffered);
	// A stream that has not read yet has no buffer at all: a null pointer,
	// which memchr and memcpy may not be given even for no bytes.
	if (count == 0)
		return 0;
	count = std::min(count, room);
	const void *newline = std::memchr(buffered, '\n', count);
	if (newline != nullptr)
		count = static_cast<std::size_t>(static_cast<const char *>(newline) - buffered) + 1;
	std::memcpy(line, buffered, count);
	stream->_IO_read_ptr += count;
	return count;
}
#endif

// read_line(line, size, stream) reads the next line into line, a buffer of
// size bytes (at least 2), as fgets does: characters up to and including a
// newline, at most size - 1 of them, then a NUL byte. It returns the number of
// characters stored, 0 when the read yields no line. Unlike fgets on glibc,
// the characters stored before a read fails are returned as a line; the
// failure is left in the stream's error indicator, and a stream that has
// failed yields no more lines.
[[nodiscard]] inline std::size_t read_line(char *line, std::size_t size, std::FILE *stream)
{
	if (has_failed(stream))
		return 0;
	std::size_t stored = 0;
	while (stored < size - 1) {
#if defined(HREFGEN_STDIO_GLIBC)
		// What the buffer holds goes in one copy; a character read refills it.
		const std::size_t copied = read_buffered(line + stored, size - 1 - stored, stream);
		if (copied > 0) {
			stored += copied;
			if (line[stored - 1] == '\n')
				break;
			continue;
		}
#endif
		const int c = read_char(stream);
		if (c == EOF)
			break;
		line[stored++] = static_cast<char>(c);
		if (c == '\n')
			break;
	}
	line[stored] = '\0';
	return stored;
}
