// The stream calls of hrefgen, in the one place where the platforms differ.
// The calls of the read and write loop are inline here: hrefgen has a single
// thread, so where the C library offers calls that skip the per-call stream
// lock, these use them. The rest live in stream_io_posix.cpp and
// stream_io_windows.cpp.
#pragma once

#include <cstdarg>
#include <cstdio>

// Tell whether path names the regular file that stream is open on. The name
// is looked up exactly as fopen looks it up, so every spelling and link of the
// file counts.
[[nodiscard]] bool is_same_file(std::FILE *stream, const char *path);

// Print a message on standard output, formatted as vprintf does. On a Windows
// console the message shows the characters that the bytes stand for.
void print_message(const char *format, std::va_list args);

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

inline char *read_line(char *line, int count, std::FILE *stream)
{
	return std::fgets(line, count, stream);
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
