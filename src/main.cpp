// hrefgen's process entry on POSIX systems.
#include <csignal>

#include "driver.hpp"

int main(int argc, char *argv[])
{
	// A reader that goes away makes a write fail with EPIPE, reported as the
	// write error it is, instead of killing the process without a word.
	(void)std::signal(SIGPIPE, SIG_IGN);
	return run(argc, argv);
}
