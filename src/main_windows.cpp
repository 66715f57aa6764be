// hrefgen.exe's process entry. The C runtime splits the command line as it
// always does, but in UTF-16 (built with -municode): no code page stands
// between the names as typed and the files opened, on any Windows version.
#include <cstdlib>

#include "driver.hpp"
#include "messages.hpp"
#include "wtf8.hpp"

// Missing standard handles need no care here, unlike on POSIX: the C runtime
// keeps descriptors 0 to 2 for the standard streams even when the process
// has none, so no file opened later can take their place.
int wmain(int argc, wchar_t *argv[])
{
	// The run takes names as WTF-8, which turns back into exactly the UTF-16
	// typed, unpaired surrogates included.
	auto **arguments = static_cast<char **>(
	        std::calloc(static_cast<std::size_t>(argc) + 1, sizeof(char *)));
	if (arguments == nullptr)
		fail_out_of_memory();
	for (int i = 0; i < argc; ++i) {
		arguments[i] = wtf8_from_utf16(argv[i]);
		if (arguments[i] == nullptr)
			fail_out_of_memory();
	}
	return run(argc, arguments);
}
