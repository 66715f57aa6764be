// The system's file and console calls, one file for each platform:
// file_calls_posix.cpp and file_calls_windows.cpp. Each is a small primitive
// that reports what the system says, "cannot tell" included; what to make of
// it is decided by its callers, and none ends the run. The read loop's
// stream calls, which differ by C library, are in stream_io.hpp.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

// Open the input file at path for reading, in text mode; nullptr when it
// cannot be opened, or is a folder, which holds no lines (Windows opens none),
// or the system cannot tell whether it is one.
[[nodiscard]] std::FILE *open_input(const char *path);

// What the system says to a yes-or-no question: unknown when it cannot tell.
enum class Answer : std::uint8_t { no, yes, unknown };

// What a look at a name finds. Block devices are looked at on POSIX only:
// Windows finds none, as it guards a mounted volume itself.
enum class Found : std::uint8_t {
	nothing,           // no file of that name
	character_device,  // a terminal, the null device or another character
	                   // device: not opened to look
	other,             // a FIFO, a pipe, a socket or a folder: not opened to look
	file,              // a regular file, opened for reading
	device,            // a block device, opened for reading, which no one else
	                   // has mounted or holds, as an exclusive open of it finds
	held_device,       // a block device that is mounted or held: not opened
	unreadable         // anything else the system says: it cannot be looked at
};

// Look at the file at path without changing it: no copy-up on an overlay,
// no wait for a FIFO's writer, no device opened but a block device. For
// Found::file and Found::device, *reader is a new unbuffered binary stream on
// it, at its start.
[[nodiscard]] Found look_at(const char *path, std::FILE **reader);

// Tell whether the system takes path for a device that the name does not
// name: on Windows a device's name with an extension, spaces or a colon
// after it, such as nul.html or com1.txt, opens that device; a device's name
// alone (NUL) or one in the device namespace (\\.\NUL) is no alias. Never on
// POSIX, where a device is reached only through a node of its own.
[[nodiscard]] Answer is_device_alias(const char *path);

// Move reader, a stream of look_at's or look_again's that stands in a run of
// NUL bytes of its file, past what the system says is a hole there, to the
// next data or to the end; false when the system fails to say. Where the
// system tells of no holes (Windows, here), reader stays.
[[nodiscard]] bool skip_hole(std::FILE *reader);

// What a second look at the input's own file finds.
enum class Again : std::uint8_t {
	stream,     // not a file of bytes: a pipe, a terminal, a FIFO
	bytes,      // *reader is a new unbuffered binary stream on the input's file,
	            // at its start
	unreadable  // its name no longer leads to it, or anything else the system says
};

// Look again at the file that input, opened at path, is open on, leaving
// input's own position alone.
[[nodiscard]] Again look_again(std::FILE *input, const char *path, std::FILE **reader);

// Tell whether the system says that two open files are one: the same device
// and inode on POSIX (a loop device, or a partition of one, and the file
// behind it; two nodes of one block device), the same volume and file ID on
// Windows. A FIFO or a pipe is answered like any file on POSIX; Windows gives
// pipes and devices no such identity, and cannot tell.
[[nodiscard]] Answer is_same_file(std::FILE *a, std::FILE *b);

// Tell whether the name path leads to the file that stream is open on, as
// is_same_file tells; no when it leads to nothing.
[[nodiscard]] Answer leads_to(const char *path, std::FILE *stream);

// Tell whether stream is on a character device, such as a terminal or the null device.
[[nodiscard]] Answer is_character_device(std::FILE *stream);

// Tell whether stream is on a regular file or a block device.
[[nodiscard]] Answer holds_bytes(std::FILE *stream);

// A file's size and the time of its last change, in the system's own units.
struct FileState
{
	long long size;
	long long modified;
};

// The size and modification time of stream's file; false when the system cannot give them.
[[nodiscard]] bool get_state(std::FILE *stream, FileState &state);

// How the output is opened for writing: always from its start, neither
// emptied nor appended to, in text mode. A block device is claimed
// exclusively while it is open, and fails to open while it is mounted or
// held.
enum class Opening : std::uint8_t {
	create,   // a new file; fails when the name leads to anything
	existing  // what the name leads to; fails when it leads to nothing
};

// Open the file at path for writing as how says; nullptr when it cannot be opened.
[[nodiscard]] std::FILE *open_for_writing(const char *path, Opening how);

// Tell whether stream's file is the regular file or block device that
// standard output is open on for writing.
[[nodiscard]] Answer is_standard_output(std::FILE *stream);

// Where a write through standard output lands in its file.
struct WritePosition
{
	bool appending;    // at the end, wherever the offset stands
	long long offset;  // else at this offset
	long long size;    // the file's size
};

// The position of standard output in its file; false when the system cannot give it.
[[nodiscard]] bool get_standard_output_position(WritePosition &position);

// Tell whether standard output is open for writing on a regular file that
// the system shows as another file than stream's, but with the same inode
// number, size and modification time: one file seen through a second view
// (bindfs), as far as anything can tell.
[[nodiscard]] Answer resembles_standard_output(std::FILE *stream);

// Empty the regular file that stream is open on; false when the system says it failed.
[[nodiscard]] bool make_empty(std::FILE *stream);

// A second stream, for writing in text mode, on stream's own open file: it
// writes at the position they share or at the end, as the one who opened it
// chose, and keeps the file open after stream's close; nullptr when it
// cannot be had.
[[nodiscard]] std::FILE *share_stream(std::FILE *stream);

// Print a message on standard output, formatted as vprintf does; names in it
// are UTF-8 (WTF-8 on Windows). On a Windows console the message shows the
// characters the names stand for. The one primitive that prints.
void print_message(const char *format, std::va_list args);
