// The file and console calls, the one place where the platforms differ:
// stream_io_posix.cpp and stream_io_windows.cpp. Each is a small primitive
// that answers what the system says; what to make of it is decided by their
// callers. None of them prints or ends the run.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

// Open the input file at path for reading, in text mode; nullptr when it
// cannot be opened or is a directory, which holds no lines.
[[nodiscard]] std::FILE *open_input(const char *path);

// What a look at a file finds.
enum class Found : std::uint8_t {
	nothing,    // no file of that name: opening it for writing creates one
	stream,     // a terminal or another character device, a FIFO, a pipe, a
	            // socket or a folder: written to, if at all, never emptied
	bytes,      // a regular file or a block device, opened for reading
	unreadable  // something that cannot be opened for reading
};

// Look at the file at path, before it is opened for writing, without
// changing it: no copy-up on an overlay, no wait for a FIFO's writer. For
// Found::bytes, *reader is a new binary stream on it, at its start.
[[nodiscard]] Found look_at(const char *path, std::FILE **reader);

// Look again at the file that input, opened at path, is open on: for
// Found::bytes, *reader is a new binary stream on that very file, at its
// start, leaving input's own position alone.
[[nodiscard]] Found look_again(std::FILE *input, const char *path, std::FILE **reader);

// Tell whether the system says that two open files are one: the same device
// and inode (a loop device and the file behind it, two nodes of one block
// device) on POSIX, the same volume and file ID on Windows. Never a guess:
// false also where the system cannot tell. Never true for a character
// device, such as a terminal, which may be read and written at once.
[[nodiscard]] bool is_same_file(std::FILE *a, std::FILE *b);

// Tell whether stream is on a character device, such as a terminal or the null device.
[[nodiscard]] bool is_character_device(std::FILE *stream);

// Tell whether stream's file holds bytes: a block device, or a regular file
// that is not empty; true when that cannot be found out.
[[nodiscard]] bool holds_bytes(std::FILE *stream);

// Open the file at path for writing from its start, in text mode, created if
// it does not exist but neither emptied nor appended to; nullptr when it
// cannot be opened.
[[nodiscard]] std::FILE *open_for_writing(const char *path);

// Tell whether stream is on the regular file that standard output is open on for writing.
[[nodiscard]] bool is_standard_output(std::FILE *stream);

// A new stream, in text mode, that writes through standard output's own open
// file, at its position or its end as the one who opened it chose; nullptr
// when it cannot be had.
[[nodiscard]] std::FILE *share_standard_output();

// Empty the file that stream is open on, if it is a regular file; false when that fails.
[[nodiscard]] bool make_empty(std::FILE *stream);

// Print a message on standard output, formatted as vprintf does; names in it
// are UTF-8 (WTF-8 on Windows). On a Windows console the message shows the
// characters the names stand for.
void print_message(const char *format, std::va_list args);
