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

#include "driver.hpp"
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

// The handle under the stream.
[[nodiscard]] HANDLE handle_of(std::FILE *stream)
{
	// The C runtime hands out its handles as integers.
	// NOLINTNEXTLINE(performance-no-int-to-ptr)
	return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// Tell whether two handles are open on one disk file. FILE_ID_INFO's 64-bit
// volume serial and 128-bit file ID say so exactly on every file system; the
// older 64-bit file index is not unique on ReFS, and is used only where the
// system cannot give the former. Devices such as CON and NUL have no such
// identity.
[[nodiscard]] bool is_same_file(HANDLE a, HANDLE b)
{
	if (GetFileType(a) != FILE_TYPE_DISK || GetFileType(b) != FILE_TYPE_DISK)
		return false;
	FILE_ID_INFO first_id{};
	FILE_ID_INFO second_id{};
	if (GetFileInformationByHandleEx(a, FileIdInfo, &first_id, sizeof first_id) != 0 &&
	    GetFileInformationByHandleEx(b, FileIdInfo, &second_id, sizeof second_id) != 0)
		return first_id.VolumeSerialNumber == second_id.VolumeSerialNumber &&
		       std::memcmp(&first_id.FileId, &second_id.FileId, sizeof first_id.FileId) ==
		               0;
	BY_HANDLE_FILE_INFORMATION first{};
	BY_HANDLE_FILE_INFORMATION second{};
	return GetFileInformationByHandle(a, &first) != 0 &&
	       GetFileInformationByHandle(b, &second) != 0 &&
	       first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
	       first.nFileIndexHigh == second.nFileIndexHigh &&
	       first.nFileIndexLow == second.nFileIndexLow;
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
	// writes from the start and leaves the emptying to empty_file. Other
	// opens of the file, for reading or writing, still succeed meanwhile.
	wchar_t *wide = wide_name(path);
	const int descriptor =
	        _wsopen(wide, _O_WRONLY | _O_CREAT | _O_TEXT, _SH_DENYNO, _S_IREAD | _S_IWRITE);
	std::free(wide);
	if (descriptor < 0)
		return nullptr;
	std::FILE *stream = _fdopen(descriptor, "w");
	if (stream == nullptr)
		(void)_close(descriptor);
	return stream;
}

bool is_same_file(std::FILE *a, std::FILE *b)
{
	return is_same_file(handle_of(a), handle_of(b));
}

bool names_file_of(const char *path, std::FILE *stream)
{
	// No access rights and full sharing: this open disturbs no one, and
	// FILE_FLAG_BACKUP_SEMANTICS lets it open a folder too.
	wchar_t *wide = wide_name(path);
	HANDLE named = CreateFileW(wide, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
	                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
	std::free(wide);
	if (named == INVALID_HANDLE_VALUE)
		return false;
	const bool same = is_same_file(named, handle_of(stream));
	(void)CloseHandle(named);
	return same;
}

bool empty_file(std::FILE *stream)
{
	// A device such as NUL, or a pipe, has nothing to empty.
	return GetFileType(handle_of(stream)) != FILE_TYPE_DISK || _chsize(_fileno(stream), 0) == 0;
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
