// Read a Windows program's version resource back and compare it with the
// version, name and description it should carry.
//
// usage: version_probe PROGRAM VERSION FILE_DESCRIPTION COMMENTS
//   FILE_DESCRIPTION  the name Windows shows for the program: 40 characters at
//                     most, and not a sentence
//   COMMENTS          the sentence that says what it does
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The value of one string of the resource's U.S. English table, or "" when absent.
std::string value(std::vector<char> &resource, const char *name)
{
	const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
	char *text = nullptr;
	UINT length = 0;
	if (VerQueryValueA(resource.data(), key.c_str(), reinterpret_cast<void **>(&text),
	                   &length) == 0 ||
	    text == nullptr)
		return "";
	return text;
}

}  // namespace

int main(int argc, char *argv[])
{
	if (argc != 5) {
		std::puts("usage: version_probe PROGRAM VERSION FILE_DESCRIPTION COMMENTS");
		return 2;
	}
	DWORD ignored = 0;
	std::vector<char> resource(GetFileVersionInfoSizeA(argv[1], &ignored));
	if (resource.empty() || GetFileVersionInfoA(argv[1], 0, static_cast<DWORD>(resource.size()),
	                                            resource.data()) == 0) {
		std::printf("%s has no version resource\n", argv[1]);
		return 1;
	}
	VS_FIXEDFILEINFO *fixed = nullptr;
	UINT length = 0;
	if (VerQueryValueA(resource.data(), "\\", reinterpret_cast<void **>(&fixed), &length) ==
	            0 ||
	    fixed == nullptr || length < sizeof *fixed) {
		std::printf("%s has no fixed file information\n", argv[1]);
		return 1;
	}
	char numbers[64];
	std::snprintf(numbers, sizeof numbers, "%u.%u.%u", unsigned{HIWORD(fixed->dwFileVersionMS)},
	              unsigned{LOWORD(fixed->dwFileVersionMS)},
	              unsigned{HIWORD(fixed->dwFileVersionLS)});
	struct
	{
		const char *name;
		std::string got, want;
	} checks[] = {
	        {"file version numbers", numbers, argv[2]},
	        {"FileVersion", value(resource, "FileVersion"), argv[2]},
	        {"ProductVersion", value(resource, "ProductVersion"), argv[2]},
	        {"FileDescription", value(resource, "FileDescription"), argv[3]},
	        {"Comments", value(resource, "Comments"), argv[4]},
	        {"ProductName", value(resource, "ProductName"), "hrefgen"},
	        {"LegalCopyright", value(resource, "LegalCopyright").substr(0, 9), "Copyright"},
	};
	int status = 0;
	const std::string name = value(resource, "FileDescription");
	if (name.size() > 40 || name.find_first_of(".!?") != std::string::npos) {
		std::printf("FileDescription is not a short name: %s\n", name.c_str());
		status = 1;
	}
	for (const auto &check : checks) {
		std::printf("%-20s %s\n", check.name, check.got.c_str());
		if (check.got != check.want) {
			std::printf("  want %s\n", check.want.c_str());
			status = 1;
		}
	}
	return status;
}
