// The stream calls of the read loop, inline: hrefgen has a single thread, so
// where the C library offers calls that skip the per-call stream lock, these
// use them. Here the platforms differ by C library, as they differ by system
// in file_calls.hpp.
#pragma once

#include <algorithm>
#include <cstddef>
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

// The call that skips the stream lock where glibc has one, else the standard one.
#if defined(HREFGEN_STDIO_GLIBC)
#define HREFGEN_UNLOCKED(call) call##_unlocked
#else
#define HREFGEN_UNLOCKED(call) std::call
#endif

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

// Write length bytes; a failure is left in the stream's error indicator. The
// Windows runtime's text mode turns each newline into CR LF.
inline void write_bytes(const char *bytes, std::size_t length, std::FILE *stream)
{
	(void)HREFGEN_UNLOCKED(fwrite)(bytes, 1, length, stream);
}

[[nodiscard]] inline bool at_end(std::FILE *stream)
{
	return HREFGEN_UNLOCKED(feof)(stream) != 0;
}

[[nodiscard]] inline bool has_failed(std::FILE *stream)
{
	return HREFGEN_UNLOCKED(ferror)(stream) != 0;
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
