// The parts of hrefgen's stream handling that are Windows API and C runtime calls.
//
// Names arrive as WTF-8 (see main_windows.cpp) and turn back into exactly the
// UTF-16 typed for the wide file calls: no narrow file call and no code page
// stand between a name and its file, on any Windows version.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "messages.hpp"
#include "stream_io.hpp"
#include "wtf8.hpp"

namespace {

// The UTF-16 name for the WTF-8 name path, in a new heap block; ends the run when memory runs out.
[[nodiscard]] wchar_t *wide_name(const char *path)
{
	wchar_t *wide = utf16_from_wtf8(path);
	if (wide == nullptr)
		fail_out_of_memory();
	return wide;
}

// Open the file at the WTF-8 name path as _wfopen does with mode.
[[nodiscard]] std::FILE *open_named(const char *path, const wchar_t *mode)
{
	wchar_t *wide = wide_name(path);
	std::FILE *stream = _wfopen(wide, mode);
	std::free(wide);
	return stream;
}

// The handle under the C runtime's descriptor.
[[nodiscard]] HANDLE handle_of(int descriptor)
{
	// The C runtime hands out its handles as integers.
	// NOLINTNEXTLINE(performance-no-int-to-ptr)
	return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

// The handle under the stream.
[[nodiscard]] HANDLE handle_of(std::FILE *stream)
{
	return handle_of(_fileno(stream));
}

// Tell whether the system identifies two handles' files as one. FILE_ID_INFO's
// 64-bit volume serial and 128-bit file ID say so exactly on every file
// system; the older 64-bit file index is not unique on ReFS, and is used only
// where the system cannot give the former. A volume serial of 0 is no answer:
// it is what a volume without one reports (Wine gives it for every tmpfs, with
// the inode number as file ID), and the bytes decide there. Devices such as
// CON and NUL have no such identity.
[[nodiscard]] bool is_same_node(HANDLE a, HANDLE b)
{
	if (GetFileType(a) != FILE_TYPE_DISK || GetFileType(b) != FILE_TYPE_DISK)
		return false;
	FILE_ID_INFO first_id{};
	FILE_ID_INFO second_id{};
	if (GetFileInformationByHandleEx(a, FileIdInfo, &first_id, sizeof first_id) != 0 &&
	    GetFileInformationByHandleEx(b, FileIdInfo, &second_id, sizeof second_id) != 0)
		return first_id.VolumeSerialNumber != 0 &&
		       first_id.VolumeSerialNumber == second_id.VolumeSerialNumber &&
		       std::memcmp(&first_id.FileId, &second_id.FileId, sizeof first_id.FileId) ==
		               0;
	BY_HANDLE_FILE_INFORMATION first{};
	BY_HANDLE_FILE_INFORMATION second{};
	return GetFileInformationByHandle(a, &first) != 0 &&
	       GetFileInformationByHandle(b, &second) != 0 && first.dwVolumeSerialNumber != 0 &&
	       first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
	       first.nFileIndexHigh == second.nFileIndexHigh &&
	       first.nFileIndexLow == second.nFileIndexLow;
}

// Tell whether the handle is on a disk file that is not a folder.
[[nodiscard]] bool is_regular_file(HANDLE file)
{
	FILE_BASIC_INFO basic{};
	return GetFileType(file) == FILE_TYPE_DISK &&
	       GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) != 0 &&
	       (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A new handle for reading the file that file is open on, with a file
// position of its own; INVALID_HANDLE_VALUE when it cannot be had.
[[nodiscard]] HANDLE reopen_for_reading(HANDLE file)
{
	return ReOpenFile(file, GENERIC_READ,
	                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
}

// Positional reads of the handle, for holds_same_bytes; the handle's own
// position moves, so it must be one of ours.
[[nodiscard]] auto reads_of(HANDLE file)
{
	return [file](char *bytes, std::size_t size, std::uint64_t offset) -> long long {
		OVERLAPPED at{};
		at.Offset = static_cast<DWORD>(offset);
		at.OffsetHigh = static_cast<DWORD>(offset >> 32U);
		DWORD count = 0;
		if (ReadFile(file, bytes, static_cast<DWORD>(size), &count, &at) != 0)
			return count;
		return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
	};
}

// Tell whether two regular files hold the same bytes, read through handles of
// their own.
[[nodiscard]] bool files_hold_same_bytes(HANDLE a, HANDLE b)
{
	HANDLE a_reader = reopen_for_reading(a);
	HANDLE b_reader = reopen_for_reading(b);
	const bool same = a_reader != INVALID_HANDLE_VALUE && b_reader != INVALID_HANDLE_VALUE &&
	                  holds_same_bytes(reads_of(a_reader), reads_of(b_reader));
	if (a_reader != INVALID_HANDLE_VALUE)
		(void)CloseHandle(a_reader);
	if (b_reader != INVALID_HANDLE_VALUE)
		(void)CloseHandle(b_reader);
	return same;
}

// Tell whether the name is in a pipe namespace (\\.\pipe\, \\?\pipe\ or
// \\server\pipe\): opening it, even to look, would take up one of the pipe's
// instances, and a pipe is never the input's file here.
[[nodiscard]] bool is_pipe_name(const char *path)
{
	const auto is_slash = [](char c) { return c == '\\' || c == '/'; };
	if (!is_slash(path[0]) || !is_slash(path[1]))
		return false;
	const char *host_end = path + 2;
	while (*host_end != '\0' && !is_slash(*host_end))
		++host_end;
	return *host_end != '\0' && _strnicmp(host_end + 1, "pipe", 4) == 0 &&
	       is_slash(host_end[5]);
}

// Open the file at the WTF-8 name path to look at, with no access rights and
// full sharing, which disturbs no one; INVALID_HANDLE_VALUE when it cannot be.
[[nodiscard]] HANDLE open_to_look(const char *path)
{
	if (is_pipe_name(path))
		return INVALID_HANDLE_VALUE;
	wchar_t *wide = wide_name(path);
	HANDLE named = CreateFileW(wide, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
	                           nullptr, OPEN_EXISTING, 0, nullptr);
	std::free(wide);
	return named;
}

// Tell whether the descriptor is on standard output's own disk file.
[[nodiscard]] bool is_standard_output(int descriptor)
{
	HANDLE file = handle_of(descriptor);
	return is_regular_file(file) && is_same_node(file, handle_of(stdout));
}

// Format a message as vsnprintf does into a new heap block; nullptr when that fails.
[[nodiscard]] char *format_message(const char *format, std::va_list args)
{
	std::va_list copy;
	va_copy(copy, args);
	const int length = std::vsnprintf(nullptr, 0, format, copy);
	va_end(copy);
	if (length < 0)
		return nullptr;
	const auto size = static_cast<std::size_t>(length) + 1;
	auto *text = static_cast<char *>(std::malloc(size));
	if (text == nullptr)
		return nullptr;
	va_copy(copy, args);
	(void)std::vsnprintf(text, size, format, copy);
	va_end(copy);
	return text;
}

// Write the WTF-8 text to the console as UTF-16; false when it cannot be converted or written.
[[nodiscard]] bool write_console(HANDLE console, const char *text)
{
	wchar_t *wide = utf16_from_wtf8(text);
	if (wide == nullptr)
		return false;
	DWORD written = 0;
	const bool ok = WriteConsoleW(console, wide, static_cast<DWORD>(wcslen(wide)), &written,
	                              nullptr) != 0;
	std::free(wide);
	return ok;
}

}  // namespace

std::FILE *open_input(const char *path)
{
	std::FILE *stream = open_named(path, L"r");
	BY_HANDLE_FILE_INFORMATION opened{};
	if (stream != nullptr && GetFileInformationByHandle(handle_of(stream), &opened) != 0 &&
	    (opened.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
		(void)std::fclose(stream);
		return nullptr;
	}
	return stream;
}

std::FILE *open_for_writing(const char *path)
{
	// _wfopen's "w" would empty the file and "a" would write at its end; this
	// writes from the start and leaves the emptying to make_empty. Other
	// opens of the file, for reading or writing, still succeed meanwhile.
	wchar_t *wide = wide_name(path);
	int descriptor =
	        _wsopen(wide, _O_WRONLY | _O_CREAT | _O_TEXT, _SH_DENYNO, _S_IREAD | _S_IWRITE);
	std::free(wide);
	if (descriptor >= 0 && is_standard_output(descriptor)) {
		(void)_close(descriptor);
		descriptor = _dup(_fileno(stdout));
	}
	if (descriptor < 0)
		return nullptr;
	std::FILE *stream = _fdopen(descriptor, "w");
	if (stream == nullptr)
		(void)_close(descriptor);
	return stream;
}

bool is_input_file(const char *path, std::FILE *output, std::FILE *input)
{
	HANDLE read = handle_of(input);
	HANDLE named = output != nullptr ? handle_of(output) : open_to_look(path);
	if (named == INVALID_HANDLE_VALUE)
		return false;
	const bool same =
	        is_same_node(named, read) || (is_regular_file(named) && is_regular_file(read) &&
	                                      files_hold_same_bytes(named, read));
	if (output == nullptr)
		(void)CloseHandle(named);
	return same;
}

bool make_empty(std::FILE *stream)
{
	// A device such as NUL, or a pipe, has nothing to empty; standard
	// output's own file was readied by whoever opened it (cmd's > empties
	// it, >> appends).
	const int descriptor = _fileno(stream);
	return GetFileType(handle_of(stream)) != FILE_TYPE_DISK || is_standard_output(descriptor) ||
	       _chsize(descriptor, 0) == 0;
}

void print_message(const char *format, std::va_list args)
{
	char *text = format_message(format, args);
	if (text == nullptr) {
		(void)std::vprintf(format, args);
		return;
	}
	// A console shows the characters themselves, in UTF-16, whatever its code
	// page, which is left alone. Redirected output gets UTF-8 bytes.
	HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
	DWORD mode = 0;
	if (GetConsoleMode(console, &mode) == 0 || !write_console(console, text)) {
		replace_unpaired_surrogates(text);
		(void)std::fputs(text, stdout);
	}
	std::free(text);
}
