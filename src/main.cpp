// hrefgen's process entry on POSIX systems.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "driver.hpp"

namespace {

// Open each of descriptors 0, 1 and 2 that is closed on /dev/null; false when
// one cannot be. Left closed, the first files opened would take them, and
// messages meant for standard output would land in the user's files.
[[nodiscard]] bool open_standard_descriptors()
{
	for (int descriptor = 0; descriptor <= 2; ++descriptor) {
		if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
			continue;
		// The lowest free descriptor is this one.
		if (open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY) != descriptor)
			return false;
	}
	return true;
}

}  // namespace

int main(int argc, char *argv[])
{
	if (!open_standard_descriptors())
		return EXIT_FAILURE;
	// A reader that goes away makes a write fail with EPIPE, reported as the
	// write error it is, instead of killing the process without a word.
	(void)std::signal(SIGPIPE, SIG_IGN);
	return run(argc, argv);
}
