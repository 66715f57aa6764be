// Run a command whose input file is a pseudo-terminal in raw mode: TEXT is
// waiting on the terminal, and its other end closes once the command has read
// it all, as when a terminal window is closed while a program reads from it.
//
// usage: pty_feed TEXT LINK COMMAND ARG...
//   LINK  made a symbolic link to the terminal, so that the command can name it
// The exit status is the command's.
#include <fcntl.h>
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

}  // namespace

int main(int argc, char *argv[])
{
	if (argc < 4) {
		std::fputs("usage: pty_feed TEXT LINK COMMAND ARG...\n", stderr);
		return 2;
	}
	const int master = posix_openpt(O_RDWR | O_NOCTTY);
	if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
		std::perror("pty_feed: posix_openpt");
		return 2;
	}
	// Keep the terminal open here, so that the text can wait on it before the command opens it.
	const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
	termios raw{};
	if (terminal < 0 || tcgetattr(terminal, &raw) != 0) {
		std::perror("pty_feed: terminal");
		return 2;
	}
	cfmakeraw(&raw);
	const auto length = static_cast<ssize_t>(std::strlen(argv[1]));
	if (tcsetattr(terminal, TCSANOW, &raw) != 0 || symlink(ptsname(master), argv[2]) != 0 ||
	    write(master, argv[1], static_cast<std::size_t>(length)) != length) {
		std::perror("pty_feed: set-up");
		return 2;
	}

	// The text reaches the terminal's side a moment after the write: wait for it.
	int waiting = 0;
	while (ioctl(terminal, FIONREAD, &waiting) == 0 && waiting < length)
		usleep(1000);

	const pid_t command = fork();
	if (command == 0) {
		close(terminal);
		close(master);
		execvp(argv[3], argv + 3);
		std::perror("pty_feed: exec");
		_exit(127);
	}
	// Hang up once the command has read everything and waits in its next read,
	// which the hang-up then fails; or once it has ended without. A read begun
	// after the hang-up would see the end of the input instead.
	int status = 0;
	while (waitpid(command, &status, WNOHANG) == 0 &&
	       (ioctl(terminal, FIONREAD, &waiting) != 0 || waiting > 0 ||
	        !is_blocked_in_read(command)))
		usleep(1000);
	close(terminal);
	close(master);
	if (waitpid(command, &status, 0) != command && !WIFEXITED(status))
		return 2;
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
