// hrefgen's process entry on POSIX systems.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "driver.hpp"

namespace {

// Fill each of descriptors 0, 1 and 2 that is closed with one end of a
// socket pair whose other end is closed; false when one cannot be. Left
// closed, the first files opened would take them, and messages meant for
// standard output would land in the user's files. No name opens such a
// socket, so /dev/stdin and its kin fail to open as they would with the
// stream closed, and no /dev/null is needed.
[[nodiscard]] bool fill_standard_descriptors()
{
	for (int descriptor = 0; descriptor <= 2; ++descriptor) {
		if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
			continue;
		int ends[2] = {-1, -1};
		// The lowest free descriptor, this one, takes the first end.
		if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0 || ends[0] != descriptor)
			return false;
		(void)close(ends[1]);
	}
	return true;
}

}  // namespace

int main(int argc, char *argv[])
{
	if (!fill_standard_descriptors())
		return EXIT_FAILURE;
	// A reader that goes away makes a write fail with EPIPE, reported as the
	// write error it is, instead of killing the process without a word.
	(void)std::signal(SIGPIPE, SIG_IGN);
	// So does a file size limit (ulimit -f), which would send SIGXFSZ.
	(void)std::signal(SIGXFSZ, SIG_IGN);
	return run(argc, argv);
}
