// The file and console calls on Windows: Windows API and C runtime calls.
//
// Names arrive as WTF-8 (see main_windows.cpp) and turn back into exactly the
// UTF-16 typed for the wide file calls: no narrow file call and no code page
// stand between a name and its file, on any Windows version.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winternl.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "file_calls.hpp"
#include "wtf8.hpp"

namespace {

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Open the file at the WTF-8 name path as _wfopen does with mode; nullptr
// also when memory for the name runs out.
[[nodiscard]] std::FILE *open_named(const char *path, const wchar_t *mode)
{
	wchar_t *wide = utf16_from_wtf8(path);
	if (wide == nullptr)
		return nullptr;
	std::FILE *stream = _wfopen(wide, mode);
	std::free(wide);
	return stream;
}

// Open the existing file at the WTF-8 name path with the access rights
// asked and full sharing; INVALID_HANDLE_VALUE when it cannot be, missing
// then telling whether the name leads to nothing.
[[nodiscard]] HANDLE open_existing(const char *path, DWORD access, bool &missing)
{
	wchar_t *wide = utf16_from_wtf8(path);
	if (wide == nullptr)
		return INVALID_HANDLE_VALUE;
	HANDLE file = CreateFileW(wide, access, share_all, nullptr, OPEN_EXISTING, 0, nullptr);
	missing = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND;
	std::free(wide);
	return file;
}

[[nodiscard]] HANDLE handle_of(int descriptor)
{
	// The C runtime hands out its handles as integers.
	// NOLINTNEXTLINE(performance-no-int-to-ptr)
	return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

[[nodiscard]] HANDLE handle_of(std::FILE *stream)
{
	return handle_of(_fileno(stream));
}

// Tell whether the handle is on a disk file that is not a folder.
[[nodiscard]] bool is_disk_file(HANDLE file)
{
	FILE_BASIC_INFO basic{};
	return GetFileType(file) == FILE_TYPE_DISK &&
	       GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) != 0 &&
	       (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The full path of the handle's file, in a new heap block; nullptr when the
// system cannot give one (Wine, for a standard handle it inherited).
[[nodiscard]] wchar_t *final_path(HANDLE file)
{
	const DWORD size = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
	auto *path =
	        size == 0 ? nullptr : static_cast<wchar_t *>(std::malloc(size * sizeof(wchar_t)));
	if (path != nullptr &&
	    GetFinalPathNameByHandleW(file, path, size, FILE_NAME_NORMALIZED) >= size) {
		std::free(path);
		return nullptr;
	}
	return path;
}

// Tell whether the handles' files have one full path, which only one file
// can have; unknown when the system gives no path.
[[nodiscard]] Answer have_same_path(HANDLE a, HANDLE b)
{
	wchar_t *first = final_path(a);
	wchar_t *second = final_path(b);
	Answer same = Answer::unknown;
	if (first != nullptr && second != nullptr)
		same = std::wcscmp(first, second) == 0 ? Answer::yes : Answer::no;
	std::free(first);
	std::free(second);
	return same;
}

// Tell whether a change of the last access time through written, a handle
// open for writing, shows through read: where the system gives neither a
// volume serial nor a path (Wine, for standard output inherited from a
// shell), the one way left to ask the file itself. Two marks, days apart, so that neither a mark
// left by an earlier look nor a file system's coarse times can pass for a match; the time is put
// back.
[[nodiscard]] Answer shows_changes(HANDLE written, HANDLE read)
{
	constexpr LONGLONG day = 864000000000;  // in the 100 ns units of FILETIME
	FILE_BASIC_INFO original{};
	if (GetFileInformationByHandleEx(written, FileBasicInfo, &original, sizeof original) == 0 ||
	    original.LastAccessTime.QuadPart <= 4 * day)
		return Answer::unknown;
	Answer same = Answer::yes;
	for (LONGLONG days = 2; days <= 4 && same == Answer::yes; days += 2) {
		FILE_BASIC_INFO mark{};
		mark.LastAccessTime.QuadPart = original.LastAccessTime.QuadPart - days * day;
		FILE_BASIC_INFO seen{};
		if (SetFileInformationByHandle(written, FileBasicInfo, &mark, sizeof mark) == 0 ||
		    GetFileInformationByHandleEx(read, FileBasicInfo, &seen, sizeof seen) == 0)
			same = Answer::unknown;
		else if (seen.LastAccessTime.QuadPart != mark.LastAccessTime.QuadPart)
			same = Answer::no;
	}
	FILE_BASIC_INFO put_back{};
	put_back.LastAccessTime = original.LastAccessTime;
	(void)SetFileInformationByHandle(written, FileBasicInfo, &put_back, sizeof put_back);
	return same;
}

// The FILE_ID_INFO of two handles; false when the system cannot give them.
[[nodiscard]] bool get_ids(HANDLE a, HANDLE b, FILE_ID_INFO &first, FILE_ID_INFO &second)
{
	return GetFileInformationByHandleEx(a, FileIdInfo, &first, sizeof first) != 0 &&
	       GetFileInformationByHandleEx(b, FileIdInfo, &second, sizeof second) != 0;
}

// Tell whether two file IDs differ: one file has one ID, through whichever handle.
[[nodiscard]] bool differ(const FILE_ID_INFO &first, const FILE_ID_INFO &second)
{
	return std::memcmp(&first.FileId, &second.FileId, sizeof first.FileId) != 0;
}

// Tell whether the system says two handles' files are one. FILE_ID_INFO's
// 64-bit volume serial and 128-bit file ID say so exactly on every file
// system; the older 64-bit file index is not unique on ReFS, and is used only
// where the system cannot give the former. A volume serial of 0 is no answer:
// it is what a volume without one reports (Wine gives it for every tmpfs, and
// for a standard handle it inherited), and there one full path decides.
// Devices such as CON and NUL, and pipes, have no such identity.
[[nodiscard]] Answer is_same_file_by_id(HANDLE a, HANDLE b)
{
	const bool a_disk = GetFileType(a) == FILE_TYPE_DISK;
	const bool b_disk = GetFileType(b) == FILE_TYPE_DISK;
	if (!a_disk || !b_disk)
		return a_disk != b_disk ? Answer::no : Answer::unknown;
	FILE_ID_INFO first_id{};
	FILE_ID_INFO second_id{};
	if (!get_ids(a, b, first_id, second_id)) {
		BY_HANDLE_FILE_INFORMATION first{};
		BY_HANDLE_FILE_INFORMATION second{};
		if (GetFileInformationByHandle(a, &first) == 0 ||
		    GetFileInformationByHandle(b, &second) == 0 || first.dwVolumeSerialNumber == 0)
			return Answer::unknown;
		return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
		                       first.nFileIndexHigh == second.nFileIndexHigh &&
		                       first.nFileIndexLow == second.nFileIndexLow
		               ? Answer::yes
		               : Answer::no;
	}
	if (differ(first_id, second_id))
		return Answer::no;
	if (first_id.VolumeSerialNumber != 0 && second_id.VolumeSerialNumber != 0)
		return first_id.VolumeSerialNumber == second_id.VolumeSerialNumber ? Answer::yes
		                                                                   : Answer::no;
	return have_same_path(a, b);
}

// Tell whether the system says two handles' files are one, by their IDs or,
// where it gives neither a volume serial nor a path (Wine, for a standard
// handle it inherited from a shell), by asking the files themselves, through
// a handle of a's own that may change its times.
[[nodiscard]] Answer is_same_file(HANDLE a, HANDLE b)
{
	const Answer same = is_same_file_by_id(a, b);
	if (same != Answer::unknown || !is_disk_file(a) || !is_disk_file(b))
		return same;
	HANDLE marker = ReOpenFile(a, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, share_all, 0);
	if (marker == INVALID_HANDLE_VALUE)
		return Answer::unknown;
	const Answer shows = shows_changes(marker, b);
	(void)CloseHandle(marker);
	return shows;
}

// A binary stream, for reading, on a new handle of its own on the disk file
// that file is open on; nullptr when it cannot be had.
[[nodiscard]] std::FILE *reader_of(HANDLE file)
{
	HANDLE read = ReOpenFile(file, GENERIC_READ, share_all, 0);
	if (read == INVALID_HANDLE_VALUE)
		return nullptr;
	// NOLINTNEXTLINE(performance-no-int-to-ptr)
	const int descriptor =
	        _open_osfhandle(reinterpret_cast<std::intptr_t>(read), _O_RDONLY | _O_BINARY);
	if (descriptor < 0) {
		(void)CloseHandle(read);
		return nullptr;
	}
	std::FILE *reader = _fdopen(descriptor, "rb");
	if (reader == nullptr)
		(void)_close(descriptor);
	else
		(void)std::setvbuf(reader, nullptr, _IONBF, 0);
	return reader;
}

// Tell whether the file that stream is open on is of the type asked about;
// unknown when the system cannot tell.
[[nodiscard]] Answer has_type(std::FILE *stream, DWORD type)
{
	SetLastError(NO_ERROR);
	const DWORD found = GetFileType(handle_of(stream));
	if (found == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR)
		return Answer::unknown;
	return found == type ? Answer::yes : Answer::no;
}

// Tell whether c separates the folders of a name.
[[nodiscard]] bool is_slash(char c)
{
	return c == '\\' || c == '/';
}

// Tell whether the name is in a pipe namespace (\\.\pipe\, \\?\pipe\ or
// \\server\pipe\): opening it, even to look, would take up one of the pipe's
// instances, and a pipe is never the input's file here.
[[nodiscard]] bool is_pipe_name(const char *path)
{
	if (!is_slash(path[0]) || !is_slash(path[1]))
		return false;
	const char *host_end = path + 2;
	while (*host_end != '\0' && !is_slash(*host_end))
		++host_end;
	return *host_end != '\0' && _strnicmp(host_end + 1, "pipe", 4) == 0 &&
	       is_slash(host_end[5]);
}

// A stream for writing, in text mode, on descriptor; nullptr, the descriptor
// closed, when it cannot be had.
[[nodiscard]] std::FILE *stream_on(int descriptor)
{
	std::FILE *stream = descriptor < 0 ? nullptr : _fdopen(descriptor, "w");
	if (stream == nullptr && descriptor >= 0)
		(void)_close(descriptor);
	return stream;
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
	// Windows opens no folder as a file: nothing is left to ask of it.
	return open_named(path, L"r");
}

Found look_at(const char *path, std::FILE **reader)
{
	*reader = nullptr;
	if (is_pipe_name(path))
		return Found::other;
	// Opened with no access rights, which disturbs no one.
	bool missing = false;
	HANDLE named = open_existing(path, 0, missing);
	if (named == INVALID_HANDLE_VALUE)
		return missing ? Found::nothing : Found::unreadable;
	Found found = GetFileType(named) == FILE_TYPE_CHAR ? Found::character_device : Found::other;
	if (is_disk_file(named)) {
		*reader = reader_of(named);
		found = *reader != nullptr ? Found::file : Found::unreadable;
	}
	(void)CloseHandle(named);
	return found;
}

Answer is_device_alias(const char *path)
{
	// The last part of the name, after its folders and its drive.
	const char *name = path;
	for (const char *c = path; *c != '\0'; ++c) {
		if (is_slash(*c))
			name = c + 1;
	}
	if (name == path && std::isalpha(static_cast<unsigned char>(path[0])) != 0 &&
	    path[1] == ':')
		name += 2;
	// Its base: up to an extension or a colon, without the spaces before them.
	std::size_t base = std::strcspn(name, ".:");
	while (base > 0 && name[base - 1] == ' ')
		--base;
	if (name[base] == '\0')
		return Answer::no;
	constexpr const char *devices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2",
	                                   "COM3", "COM4", "COM5", "COM6", "COM7", "COM8",
	                                   "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5",
	                                   "LPT6", "LPT7", "LPT8", "LPT9"};
	for (const char *device : devices) {
		if (std::strlen(device) == base && _strnicmp(name, device, base) == 0)
			return Answer::yes;
	}
	return Answer::no;
}

bool skip_hole(std::FILE * /*reader*/)
{
	// Holes are read as the NUL bytes they hold.
	return true;
}

Again look_again(std::FILE *input, const char * /*path*/, std::FILE **reader)
{
	// The input's own handle is opened again: no name is looked up.
	*reader = nullptr;
	if (!is_disk_file(handle_of(input)))
		return Again::stream;
	*reader = reader_of(handle_of(input));
	return *reader != nullptr ? Again::bytes : Again::unreadable;
}

Answer is_same_file(std::FILE *a, std::FILE *b)
{
	return is_same_file(handle_of(a), handle_of(b));
}

Answer leads_to(const char *path, std::FILE *stream)
{
	bool missing = false;
	HANDLE named = open_existing(path, FILE_READ_ATTRIBUTES, missing);
	if (named == INVALID_HANDLE_VALUE)
		return missing ? Answer::no : Answer::unknown;
	const Answer same = is_same_file(named, handle_of(stream));
	(void)CloseHandle(named);
	return same;
}

Answer is_character_device(std::FILE *stream)
{
	return has_type(stream, FILE_TYPE_CHAR);
}

Answer holds_bytes(std::FILE *stream)
{
	return has_type(stream, FILE_TYPE_DISK);
}

bool get_state(std::FILE *stream, FileState &state)
{
	HANDLE file = handle_of(stream);
	LARGE_INTEGER size{};
	FILE_BASIC_INFO basic{};
	if (GetFileSizeEx(file, &size) == 0 ||
	    GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) == 0)
		return false;
	state.size = size.QuadPart;
	state.modified = basic.LastWriteTime.QuadPart;
	return true;
}

std::FILE *open_for_writing(const char *path, Opening how)
{
	// _wfopen's "w" would empty the file and "a" would write at its end; this
	// writes from the start. Other opens of the file, for reading or
	// writing, still succeed meanwhile.
	wchar_t *wide = utf16_from_wtf8(path);
	if (wide == nullptr)
		return nullptr;
	const int flags = how == Opening::create ? _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT
	                                         : _O_WRONLY | _O_TEXT;
	const int descriptor = _wsopen(wide, flags, _SH_DENYNO, _S_IREAD | _S_IWRITE);
	std::free(wide);
	return stream_on(descriptor);
}

Answer is_standard_output(std::FILE *stream)
{
	HANDLE file = handle_of(stream);
	HANDLE standard = handle_of(stdout);
	if (!is_disk_file(file) || GetFileType(standard) != FILE_TYPE_DISK)
		return Answer::no;
	// What standard output may do to its file: Wine says every standard
	// handle it makes of a file may write it.
	IO_STATUS_BLOCK status{};
	FILE_ACCESS_INFORMATION access{};
	if (NtQueryInformationFile(standard, &status, &access, sizeof access,
	                           FileAccessInformation) != 0)
		return Answer::unknown;
	if ((access.AccessFlags & (FILE_WRITE_DATA | FILE_APPEND_DATA)) == 0)
		return Answer::no;
	return is_same_file(file, standard);
}

bool get_standard_output_position(WritePosition &position)
{
	// Windows writes at the handle's position, which cmd's >> sets at the end.
	HANDLE standard = handle_of(stdout);
	LARGE_INTEGER offset{};
	LARGE_INTEGER size{};
	if (SetFilePointerEx(standard, LARGE_INTEGER{}, &offset, FILE_CURRENT) == 0 ||
	    GetFileSizeEx(standard, &size) == 0)
		return false;
	position.appending = false;
	position.offset = offset.QuadPart;
	position.size = size.QuadPart;
	return true;
}

Answer resembles_standard_output(std::FILE *stream)
{
	HANDLE standard = handle_of(stdout);
	if (!is_disk_file(standard))
		return Answer::no;
	FILE_ID_INFO first{};
	FILE_ID_INFO second{};
	FileState file{};
	FileState shown{};
	if (!get_ids(handle_of(stream), standard, first, second) || !get_state(stream, file) ||
	    !get_state(stdout, shown))
		return Answer::unknown;
	return !differ(first, second) && file.size == shown.size && file.modified == shown.modified
	               ? Answer::yes
	               : Answer::no;
}

bool make_empty(std::FILE *stream)
{
	return _chsize(_fileno(stream), 0) == 0;
}

std::FILE *share_stream(std::FILE *stream)
{
	return stream_on(_dup(_fileno(stream)));
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
