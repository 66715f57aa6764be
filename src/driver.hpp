// The run of hrefgen, which the process entry of each platform starts.
#pragma once

// Run hrefgen with its command line, file names in UTF-8 (WTF-8 on Windows);
// the exit status of a complete run. Every failure ends the process at once
// with its message and exit status 1.
[[nodiscard]] int run(int argc, char *argv[]);
