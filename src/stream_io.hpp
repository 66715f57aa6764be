// The stream calls of hrefgen's read and write loop, in the one place where the
// platforms differ: hrefgen has a single thread, so where the C library offers
// calls that skip the per-call stream lock, these use them.
#pragma once

#include <cstdio>

#if defined(__GLIBC__)

// Read up to count - 1 characters of a line into line, as fgets does.
inline char *read_line(char *line, int count, std::FILE *stream)
{
	return fgets_unlocked(line, count, stream);
}

// Write length bytes; a failure is left in the stream's error indicator.
inline void write_bytes(const char *bytes, std::size_t length, std::FILE *stream)
{
	(void)fwrite_unlocked(bytes, 1, length, stream);
}

// Write one byte; a failure is left in the stream's error indicator.
inline void write_byte(char byte, std::FILE *stream)
{
	(void)putc_unlocked(byte, stream);
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

inline char *read_line(char *line, int count, std::FILE *stream)
{
	return std::fgets(line, count, stream);
}

inline void write_bytes(const char *bytes, std::size_t length, std::FILE *stream)
{
	(void)std::fwrite(bytes, 1, length, stream);
}

inline void write_byte(char byte, std::FILE *stream)
{
#if defined(_WIN32)
	// The C runtime's buffer macro; its text mode turns newlines into CR LF when the buffer is
	// written.
	(void)_putc_nolock(byte, stream);
#else
	(void)std::putc(byte, stream);
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
