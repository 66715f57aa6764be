// The stream calls of hrefgen, in the one place where the platforms differ.
// The calls of the read and write loop are inline here: hrefgen has a single
// thread, so where the C library offers calls that skip the per-call stream
// lock, these use them. The rest live in stream_io_posix.cpp and
// stream_io_windows.cpp.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

// Open the input file at path for reading, in text mode; nullptr when it
// cannot be opened or is a directory, which holds no lines.
[[nodiscard]] std::FILE *open_input(const char *path);

// What became of opening the output file.
enum class OutputOpen {
	opened,    // it is open for writing, emptied if it is a regular file
	is_input,  // it is the input's own file, left as it was
	failed     // it cannot be opened for writing
};

// Open the output file at path for writing, in text mode: created if it does
// not exist, emptied if it does, but only once the opened file is known not to
// be the file that input reads. A terminal or another character device may be
// both; the same regular file, FIFO or pipe is refused.
[[nodiscard]] OutputOpen open_output(const char *path, std::FILE *input, std::FILE *&output);

// Print a message on standard output, formatted as vprintf does; names in it
// are UTF-8 (WTF-8 on Windows). On a Windows console the message shows the
// characters the names stand for.
void print_message(const char *format, std::va_list args);

// read_line(line, size, stream) reads the next line into line, a buffer of
// size bytes (at least 2), as fgets does: characters up to and including a
// newline, at most size - 1 of them, then a NUL byte. It returns the number of
// characters stored, 0 when the read yields no line. Unlike fgets on glibc,
// the characters stored before a read fails are returned as a line; the
// failure is left in the stream's error indicator, and a stream that has
// failed yields no more lines.

#if defined(__GLIBC__)

// glibc's FILE is a complete type: the bytes already read into the stream's
// buffer lie between _IO_read_ptr and _IO_read_end. A line is copied out of
// there in one memchr and one memcpy, as fgets itself does, and getc refills
// the buffer when it runs dry.
[[nodiscard]] inline std::size_t read_line(char *line, std::size_t size, std::FILE *stream)
{
	if (ferror_unlocked(stream) != 0)
		return 0;
	std::size_t stored = 0;
	while (stored < size - 1) {
		const char *buffered = stream->_IO_read_ptr;
		auto count = static_cast<std::size_t>(stream->_IO_read_end - buffered);
		if (count == 0) {
			const int c = getc_unlocked(stream);
			if (c == EOF)
				break;
			line[stored++] = static_cast<char>(c);
			if (c == '\n')
				break;
			continue;
		}
		if (count > size - 1 - stored)
			count = size - 1 - stored;
		const void *newline = std::memchr(buffered, '\n', count);
		if (newline != nullptr)
			count = static_cast<std::size_t>(static_cast<const char *>(newline) -
			                                 buffered) +
			        1;
		std::memcpy(line + stored, buffered, count);
		stream->_IO_read_ptr += count;
		stored += count;
		if (newline != nullptr)
			break;
	}
	line[stored] = '\0';
	return stored;
}

// Write length bytes; a failure is left in the stream's error indicator.
inline void write_bytes(const char *bytes, std::size_t length, std::FILE *stream)
{
	(void)fwrite_unlocked(bytes, 1, length, stream);
}

// Write one byte; a failure is left in the stream's error indicator.
inline void write_byte(char value, std::FILE *stream)
{
	(void)putc_unlocked(value, stream);
}

// Tell whether the stream's end-of-file indicator is set.
inline bool at_end(std::FILE *stream)
{
	return feof_unlocked(stream) != 0;
}

// Tell whether the stream's error indicator is set.
inline bool has_failed(std::FILE *stream)
{
	return ferror_unlocked(stream) != 0;
}

#else

[[nodiscard]] inline std::size_t read_line(char *line, std::size_t size, std::FILE *stream)
{
	if (std::ferror(stream) != 0)
		return 0;
	std::size_t stored = 0;
	while (stored < size - 1) {
#if defined(_WIN32)
		// The C runtime's buffer macro; its text mode has already turned CR LF
		// into a newline and stopped at CTRL-Z when the buffer was filled.
		const int c = _getc_nolock(stream);
#else
		const int c = std::getc(stream);
#endif
		if (c == EOF)
			break;
		line[stored++] = static_cast<char>(c);
		if (c == '\n')
			break;
	}
	line[stored] = '\0';
	return stored;
}

inline void write_bytes(const char *bytes, std::size_t length, std::FILE *stream)
{
	(void)std::fwrite(bytes, 1, length, stream);
}

inline void write_byte(char value, std::FILE *stream)
{
#if defined(_WIN32)
	// The C runtime's buffer macro; its text mode turns newlines into CR LF when the buffer is
	// written.
	(void)_putc_nolock(value, stream);
#else
	(void)std::putc(value, stream);
#endif
}

inline bool at_end(std::FILE *stream)
{
	return std::feof(stream) != 0;
}

inline bool has_failed(std::FILE *stream)
{
	return std::ferror(stream) != 0;
}

#endif
