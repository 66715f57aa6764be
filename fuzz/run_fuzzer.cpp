// Fuzz whole runs of hrefgen: arbitrary file contents with a read limit taken
// from the input's first byte, checked against the pieces the input cuts into,
// and the same run again over its own output.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

#include "anchor_model.hpp"
#include "driver.hpp"
#include "fuzz_check.hpp"
#include "fuzz_files.hpp"

namespace {

char input_path[] = "/tmp/hrefgen-fuzz-in-XXXXXX";
char output_path[] = "/tmp/hrefgen-fuzz-out-XXXXXX";

// Replace the contents of the file at path with bytes.
void write_file(const char *path, std::string_view bytes)
{
	std::FILE *file = std::fopen(path, "wb");
	check(file != nullptr, "temporary input opens");
	std::fwrite(bytes.data(), 1, bytes.size(), file);
	std::fclose(file);
}

// The whole contents of the file at path.
std::string read_file(const char *path)
{
	std::string bytes;
	std::FILE *file = std::fopen(path, "rb");
	check(file != nullptr, "output file exists");
	char chunk[4096];
	std::size_t got = 0;
	while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
		bytes.append(chunk, got);
	std::fclose(file);
	return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/)
{
	// The run's closing message is of no interest here.
	check(std::freopen("/dev/null", "w", stdout) != nullptr, "stdout to /dev/null");
	make_temporary_files(input_path, output_path);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	if (size == 0)
		return 0;
	// Limits 2 to 129: short enough to cut most inputs into several pieces.
	const std::size_t read_limit = 2 + (data[0] % 128);
	const std::string_view input(reinterpret_cast<const char *>(data + 1), size - 1);
	write_file(input_path, input);
	// Each run makes its output anew: an output left by the last run that
	// holds this run's input, or its start, would be refused as the input.
	unlink(output_path);

	std::string limit = std::to_string(read_limit);
	char program[] = "hrefgen";
	char *argv[] = {program, limit.data(), input_path, output_path, nullptr};
	check(run(4, argv) == 0, "the run succeeds");
	const std::string output = read_file(output_path);
	check(output == expected_output(input, read_limit),
	      "one anchor line per piece, as the rules say");
	// The same run again replaces what the first wrote, unless the two files,
	// neither empty, agree as far as both go: the input seen twice.
	if (!output.empty() && !input.empty() &&
	    (output.starts_with(input) || input.starts_with(output)))
		return 0;
	check(run(4, argv) == 0, "the run over its own output succeeds");
	check(read_file(output_path) == output, "and writes it again");
	return 0;
}
