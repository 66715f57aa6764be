// Google Benchmark of the link extractor over typical lines, written to /dev/null.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "link_extractor.hpp"

namespace {

// Time convert_line on one line, reporting bytes of line handled per second.
void run_lines(benchmark::State &state, const char *line, std::size_t length)
{
	std::FILE *output = std::fopen("/dev/null", "w");
	for (auto _ : state)
		benchmark::DoNotOptimize(convert_line(line, output));
	std::fclose(output);
	state.SetBytesProcessed(state.iterations() *
	                        static_cast<benchmark::IterationCount>(length));
}

#define LINE_BENCHMARK(name, text)                                                                 \
	void name(benchmark::State &state)                                                         \
	{                                                                                          \
		run_lines(state, text, sizeof(text) - 1);                                          \
	}                                                                                          \
	BENCHMARK(name)

LINE_BENCHMARK(link_line,
               "http://lists.example.org/slides/guide/weekly/to/39376.html  keep video streams\n");
LINE_BENCHMARK(link_in_middle,
               "see also http://docs.example.com/notes/unix/12345.html  design of unix tools\n");
LINE_BENCHMARK(comment_line, "# keep to c archive review, the history of the kernel notes\n");
LINE_BENCHMARK(address_only, "http://www.example.org/home/index.html\n");

}  // namespace

BENCHMARK_MAIN();
