// Run a command whose input file is a pseudo-terminal with TEXT waiting on it.
//
// usage: pty_feed TEXT LINK COMMAND ARG...
//        pty_feed -e WRITTEN TEXT LINK COMMAND ARG...
//   LINK     made a symbolic link to the terminal, so that the command can name it
// Without -e the terminal is in raw mode, and its other end closes once the
// command has read all of TEXT, as when a terminal window is closed while a
// program reads from it: the command's next read fails.
// With -e the terminal takes lines, without echo or output processing: TEXT is
// followed by the end-of-file character, so that the command's read after TEXT
// sees the end of its input, and what the command writes to the terminal is
// saved in the file WRITTEN.
// The exit status is the command's.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Tell whether process pid is blocked in a read system call, as /proc shows it.
bool is_blocked_in_read(pid_t pid)
{
	char path[64];
	std::snprintf(path, sizeof path, "/proc/%d/syscall", static_cast<int>(pid));
	std::FILE *file = std::fopen(path, "r");
	if (file == nullptr)
		return false;
	char line[256] = "";
	const bool known = std::fgets(line, sizeof line, file) != nullptr;
	std::fclose(file);
	char *end = nullptr;
	return known && std::strtol(line, &end, 10) == SYS_read && end != line;
}

// Copy what waits on the master side of the terminal to written, waiting up to
// timeout milliseconds for the first byte; false once the other side has closed.
bool copy_written(int master, std::FILE *written, int timeout)
{
	pollfd ready{master, POLLIN, 0};
	char bytes[4096];
	while (poll(&ready, 1, timeout) > 0) {
		const ssize_t got = read(master, bytes, sizeof bytes);
		if (got <= 0)
			return false;
		std::fwrite(bytes, 1, static_cast<std::size_t>(got), written);
		timeout = 0;
	}
	return true;
}

}  // namespace

int main(int argc, char *argv[])
{
	const bool to_end = argc > 2 && std::strcmp(argv[1], "-e") == 0;
	std::FILE *written = to_end ? std::fopen(argv[2], "wb") : nullptr;
	if (to_end) {
		argv += 2;
		argc -= 2;
	}
	if (argc < 4 || (to_end && written == nullptr)) {
		std::fputs("usage: pty_feed [-e WRITTEN] TEXT LINK COMMAND ARG...\n", stderr);
		return 2;
	}
	const int master = posix_openpt(O_RDWR | O_NOCTTY);
	if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
		std::perror("pty_feed: posix_openpt");
		return 2;
	}
	// Keep the terminal open here, so that the text can wait on it before the command opens it.
	const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
	termios mode{};
	if (terminal < 0 || tcgetattr(terminal, &mode) != 0) {
		std::perror("pty_feed: terminal");
		return 2;
	}
	if (to_end) {
		mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ISIG);
		mode.c_lflag |= ICANON;
		mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
	} else {
		cfmakeraw(&mode);
	}
	const auto length = static_cast<ssize_t>(std::strlen(argv[1]));
	if (tcsetattr(terminal, TCSANOW, &mode) != 0 || symlink(ptsname(master), argv[2]) != 0 ||
	    write(master, argv[1], static_cast<std::size_t>(length)) != length ||
	    (to_end && write(master, &mode.c_cc[VEOF], 1) != 1)) {
		std::perror("pty_feed: set-up");
		return 2;
	}

	// The text reaches the terminal's side a moment after the write: wait for it.
	int waiting = 0;
	while (!to_end && ioctl(terminal, FIONREAD, &waiting) == 0 && waiting < length)
		usleep(1000);

	const pid_t command = fork();
	if (command == 0) {
		close(terminal);
		close(master);
		execvp(argv[3], argv + 3);
		std::perror("pty_feed: exec");
		_exit(127);
	}
	int status = 0;
	if (to_end) {
		// Keep the terminal up until the command ends, saving what it writes.
		while (waitpid(command, &status, WNOHANG) == 0)
			(void)copy_written(master, written, 10);
		close(terminal);
		(void)copy_written(master, written, 0);
		close(master);
		std::fclose(written);
	} else {
		// Hang up once the command has read everything and waits in its next
		// read, which the hang-up then fails; or once it has ended without. A
		// read begun after the hang-up would see the end of the input instead.
		pid_t ended = 0;
		while ((ended = waitpid(command, &status, WNOHANG)) == 0 &&
		       (ioctl(terminal, FIONREAD, &waiting) != 0 || waiting > 0 ||
		        !is_blocked_in_read(command)))
			usleep(1000);
		close(terminal);
		close(master);
		if (ended != command && waitpid(command, &status, 0) != command)
			return 2;
	}
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
