// hrefgen's messages on standard output, and the end of a run that fails.
// C-style variadic so that the compiler checks each message's arguments
// against its format.
#include "messages.hpp"

#include <cstdarg>
#include <cstdlib>

#include "file_calls.hpp"

// NOLINTNEXTLINE(cert-dcl50-cpp)
void say(const char *format, ...)
{
	std::va_list args;
	va_start(args, format);
	print_message(format, args);
	va_end(args);
}

// NOLINTNEXTLINE(cert-dcl50-cpp)
void fail(const char *format, ...)
{
	std::va_list args;
	va_start(args, format);
	print_message(format, args);
	va_end(args);
	std::exit(EXIT_FAILURE);
}

void fail_out_of_memory()
{
	fail(message::out_of_memory);
}
