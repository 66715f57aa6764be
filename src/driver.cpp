// hrefgen's run: turn a plain-text list of web links into HTML anchor lines.
//
// usage: hrefgen MAX_LINE_LENGHT INPUT_FILE OUTPUT_FILE
//
// The input is read in pieces of at most MAX_LINE_LENGHT - 1 bytes, a
// line at a time; every piece that holds "http://" becomes one anchor line in
// the output. All messages go to standard output; the exit status is 0 when
// the whole input was converted and 1 on any failure.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "driver.hpp"
#include "file_calls.hpp"
#include "link_extractor.hpp"
#include "messages.hpp"
#include "output_rule.hpp"
#include "stream_io.hpp"

namespace {

// Each stream gets a buffer of its own, 16 times the C library's usual 4 KiB
// (bench/README.md says what that gains).
constexpr std::size_t stream_buffer_size = std::size_t{1} << 16;
char input_buffer[stream_buffer_size];
char output_buffer[stream_buffer_size];

// The least read limit that leaves room for a character beside the NUL byte:
// a read with less never yields a line.
constexpr std::int32_t min_read_limit = 2;

// Parse the read limit as atoi does, but wrapping around in 32 bits instead of overflowing.
[[nodiscard]] std::int32_t parse_read_limit(const char *text)
{
	// The white space of isspace in the C locale, written out so that no
	// locale can change it: space, tab, newline, vertical tab, form feed, CR.
	while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
		++text;
	const bool negative = *text == '-';
	if (*text == '-' || *text == '+')
		++text;
	std::uint32_t value = 0;
	for (; *text >= '0' && *text <= '9'; ++text)
		value = value * 10U + static_cast<std::uint32_t>(*text - '0');
	if (negative)
		value = 0U - value;
	return static_cast<std::int32_t>(value);
}

// Allocate the line buffer of exactly read_limit bytes; a limit of 0 needs none.
[[nodiscard]] char *allocate_line_buffer(std::int32_t read_limit)
{
	if (read_limit < 0)
		fail_out_of_memory();
	if (read_limit == 0)
		return nullptr;
	auto *line = static_cast<char *>(std::malloc(static_cast<std::size_t>(read_limit)));
	if (line == nullptr)
		fail_out_of_memory();
	return line;
}

// Give stream buffer; a stream that cannot take it keeps its own.
void use_buffer(std::FILE *stream, char (&buffer)[stream_buffer_size])
{
	(void)std::setvbuf(stream, buffer, _IOFBF, sizeof buffer);
}

// Open the output for the purpose, or end the run with the reason it was refused.
[[nodiscard]] std::FILE *open_output_or_fail(const char *path, std::FILE *input,
                                             const char *input_path, Purpose purpose)
{
	std::FILE *output = nullptr;
	switch (open_output(path, input, input_path, purpose, &output)) {
	case OutputResult::opened:
		break;
	case OutputResult::cannot_open:
		fail(message::cannot_open_output, path);
	case OutputResult::is_input:
		fail(message::output_is_input, path);
	case OutputResult::not_earlier_output:
		fail(message::not_earlier_output, path);
	}
	if (output != nullptr)
		use_buffer(output, output_buffer);
	return output;
}

// Read the next piece of the input into line; its length, 0 when the read yields no line.
[[nodiscard]] std::size_t read_piece(char *line, std::int32_t read_limit, std::FILE *input)
{
	if (read_limit < min_read_limit)
		return 0;
	return read_line(line, static_cast<std::size_t>(read_limit), input);
}

// Hand every piece of the input to the extractor, ending the run on any failure.
void convert(char *line, std::int32_t read_limit, std::FILE *input, const char *input_path,
             std::FILE *output, const char *output_path)
{
	for (long long read_count = 1; !at_end(input); ++read_count) {
		const std::size_t length = read_piece(line, read_limit, input);
		if (length == 0) {
			if (at_end(input))
				break;
			fail(message::cannot_read, input_path, read_count);
		}
		if (convert_line(line, output) == ExtractResult::out_of_memory)
			fail_out_of_memory();
		if (has_failed(output))
			fail(message::cannot_write, output_path);
	}
}

}  // namespace

int run(int argc, char *argv[])
{
	if (argc < 4) {
		say(message::too_few_arguments);
		fail(message::usage);
	}
	const char *input_path = argv[2];
	const char *output_path = argv[3];

	const std::int32_t read_limit = parse_read_limit(argv[1]);
	char *line = allocate_line_buffer(read_limit);

	std::FILE *input = open_input(input_path);
	if (input == nullptr)
		fail(message::cannot_open_input, input_path);
	use_buffer(input, input_buffer);
	// A run whose first read cannot yield a line only looks at the output, so
	// that a refusal still says why, and fails at that read having changed nothing.
	const Purpose purpose = read_limit < min_read_limit ? Purpose::look : Purpose::convert;
	std::FILE *output = open_output_or_fail(output_path, input, input_path, purpose);

	convert(line, read_limit, input, input_path, output, output_path);

	(void)std::fclose(input);
	if (close_output(output_path, output) != Closing::closed)
		fail(message::cannot_write, output_path);
	std::free(line);
	say(message::done);
	return EXIT_SUCCESS;
}
