// hrefgen's messages on standard output, and the end of a run that fails.
#pragma once

#include <string_view>

// Every message hrefgen prints, as printf formats. Their texts are part of
// hrefgen's interface, which scripts match: "To few" and MAX_LINE_LENGHT are
// spelt so on purpose, and stay. The look at an earlier output knows them
// too, since standard output sent to the output leaves them there.
namespace message {
constexpr char too_few_arguments[] = "To few arguments specified.\n";
constexpr char usage[] = "Usage: hrefgen.exe MAX_LINE_LENGHT INPUT_FILE OUTPUT_FILE\n";
constexpr char out_of_memory[] = "Unable to allocate memory, aborting!\n";
constexpr char cannot_open_input[] = "Error opening input file %s, aborting!\n";
constexpr char cannot_open_output[] = "Error opening output file %s, aborting!\n";
constexpr char output_is_input[] =
        "Error opening output file %s: it is the input file, aborting!\n";
constexpr char not_earlier_output[] =
        "Error opening output file %s: it is not an earlier output, aborting!\n";
constexpr char cannot_read[] = "Error reading line from input file %s line %lld, aborting!\n";
constexpr char cannot_write[] = "Error writing output file %s, aborting!\n";
constexpr char done[] = "All done, exiting...\n";
constexpr std::string_view every[] = {too_few_arguments,  usage,
                                      out_of_memory,      cannot_open_input,
                                      cannot_open_output, output_is_input,
                                      not_earlier_output, cannot_read,
                                      cannot_write,       done};
}  // namespace message

// Print a message on standard output, formatted as printf does.
[[gnu::format(printf, 1, 2)]] void say(const char *format, ...);

// Print a failure message on standard output, formatted as printf does, and
// end the process with exit status 1.
[[noreturn, gnu::format(printf, 1, 2)]] void fail(const char *format, ...);

// End the process for want of memory, with its message and exit status 1.
[[noreturn]] void fail_out_of_memory();
