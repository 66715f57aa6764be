// The parts of hrefgen's stream handling that are Windows API calls.
//
// File names are narrow strings in the process code page: the ANSI code page,
// or UTF-8 where the manifest's activeCodePage setting is honoured (Windows 10
// version 1903 and later). fopen and CreateFileA read them the same way.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <io.h>

#include <cstdlib>

#include "stream_io.hpp"

namespace {

// Tell whether two open files are the same file: the same volume and file index.
[[nodiscard]] bool same_identity(const BY_HANDLE_FILE_INFORMATION &a,
                                 const BY_HANDLE_FILE_INFORMATION &b)
{
	return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
	       a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// Get what Windows knows of the file that stream is open on; false when it cannot.
[[nodiscard]] bool describe(std::FILE *stream, BY_HANDLE_FILE_INFORMATION &information)
{
	// The C runtime hands out its handles as integers.
	// NOLINTNEXTLINE(performance-no-int-to-ptr)
	auto *const handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
	return GetFileInformationByHandle(handle, &information) != 0;
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

// Write text to the console as UTF-16; false when it cannot be converted or written.
[[nodiscard]] bool write_console(HANDLE console, const char *text)
{
	const int wide_length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
	if (wide_length <= 0)
		return false;
	auto *wide = static_cast<wchar_t *>(
	        std::malloc(static_cast<std::size_t>(wide_length) * sizeof(wchar_t)));
	if (wide == nullptr)
		return false;
	DWORD written = 0;
	// The length counts the NUL terminator, which is not written.
	const bool ok =
	        MultiByteToWideChar(CP_ACP, 0, text, -1, wide, wide_length) == wide_length &&
	        WriteConsoleW(console, wide, static_cast<DWORD>(wide_length - 1), &written,
	                      nullptr) != 0;
	std::free(wide);
	return ok;
}

}  // namespace

bool is_directory(std::FILE *stream)
{
	BY_HANDLE_FILE_INFORMATION opened{};
	return describe(stream, opened) &&
	       (opened.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool is_same_file(std::FILE *stream, const char *path)
{
	BY_HANDLE_FILE_INFORMATION opened{};
	if (!describe(stream, opened))
		return false;
	// No access rights and full sharing: this open disturbs no one, and
	// FILE_FLAG_BACKUP_SEMANTICS lets it open a folder too.
	HANDLE output = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
	                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
	if (output == INVALID_HANDLE_VALUE)
		return false;
	BY_HANDLE_FILE_INFORMATION named{};
	const bool known = GetFileInformationByHandle(output, &named) != 0;
	(void)CloseHandle(output);
	return known && (named.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
	       same_identity(opened, named);
}

void print_message(const char *format, std::va_list args)
{
	// Redirected output gets the bytes as they are. A console shows bytes in
	// its own code page, which is seldom the process code page of the names,
	// so a message for it is written in UTF-16 instead; the console's code
	// page is left alone.
	HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
	DWORD mode = 0;
	if (GetConsoleMode(console, &mode) != 0) {
		char *text = format_message(format, args);
		const bool written = text != nullptr && write_console(console, text);
		std::free(text);
		if (written)
			return;
	}
	(void)std::vprintf(format, args);
}
