// hrefgen's messages on standard output, and the end of a run that fails.
#pragma once

// Print a message on standard output, formatted as printf does.
[[gnu::format(printf, 1, 2)]] void say(const char *format, ...);

// Print a failure message on standard output, formatted as printf does, and
// end the process with exit status 1.
[[noreturn, gnu::format(printf, 1, 2)]] void fail(const char *format, ...);

// End the process for want of memory, with its message and exit status 1.
[[noreturn]] void fail_out_of_memory();
