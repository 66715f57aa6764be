// Fuzz the look at an earlier output: arbitrary bytes as an existing output,
// taken for an earlier output exactly when a plain model of the manual
// page's rule takes them for one. The first byte may put the rest across the
// boundary of the chunks that the look reads, after lines that it takes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "anchor_model.hpp"
#include "fuzz_check.hpp"
#include "fuzz_files.hpp"
#include "messages.hpp"
#include "output_rule.hpp"

namespace {

char input_path[] = "/tmp/hrefgen-fuzz-list-XXXXXX";
char output_path[] = "/tmp/hrefgen-fuzz-earlier-XXXXXX";

// The chunks the look reads.
constexpr std::size_t chunk_size = std::size_t{1} << 16;

// Anchor lines and then a blank line, size bytes in all (at least 1).
std::string filler(std::size_t size)
{
	constexpr std::string_view anchor = "<a href=\"http://f\">g</a>\n";
	std::string bytes;
	while (bytes.size() + anchor.size() < size)
		bytes += anchor;
	bytes.append(size - bytes.size() - 1, ' ');
	return bytes + '\n';
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/)
{
	make_temporary_files(input_path, output_path);
	// A list that no earlier output starts with, so that none is taken for it.
	std::FILE *list = std::fopen(input_path, "wb");
	check(list != nullptr && std::fputs("\x01\n", list) >= 0 && std::fclose(list) == 0,
	      "temporary list written");
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	if (size == 0)
		return 0;
	// An odd first byte puts the rest up to 127 bytes before a chunk's end.
	std::string bytes =
	        data[0] % 2 == 0 ? std::string{} : filler(chunk_size - 1 - (data[0] / 2));
	bytes.append(reinterpret_cast<const char *>(data + 1), size - 1);
	std::FILE *output = std::fopen(output_path, "wb");
	check(output != nullptr &&
	              std::fwrite(bytes.data(), 1, bytes.size(), output) == bytes.size() &&
	              std::fclose(output) == 0,
	      "earlier output written");

	std::FILE *input = std::fopen(input_path, "r");
	check(input != nullptr, "list opens");
	std::FILE *opened = nullptr;
	const OutputResult result =
	        open_output(output_path, input, input_path, Purpose::look, &opened);
	std::fclose(input);
	check(opened == nullptr, "a look opens no stream");
	check(result == OutputResult::opened || result == OutputResult::not_earlier_output ||
	              (result == OutputResult::is_input && bytes.starts_with('\x01')),
	      "the look's answer is about the lines");
	check((result == OutputResult::opened) == is_model_earlier_output(bytes, message::every),
	      "the look takes what the rule takes");
	return 0;
}
